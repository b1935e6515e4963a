#pragma once

#include <utility>

// Holds one reference to a Firebird interface and gives it back when it goes, however the code
// that took it ends. The interfaces counted by reference (attachment, transaction, statement, result
// set, blob, metadata...) are given back with release(); the disposable ones (status, parameter
// block builder) with dispose().
//
// Some calls end the interface and give its reference back themselves when they succeed: close()
// of a result set or a blob, free() of a statement, commit() and rollback() of a transaction,
// detach() and dropDatabase() of an attachment. Such a call goes through `end`: once it succeeds the
// reference is no longer held; when it fails, the reference is still held and goes with release().
//
// The interface type need only be complete where a reference is given back.
template <typename T> class FbRef {
public:
    FbRef() = default;
    explicit FbRef(T* taken) : p_(taken) {}
    ~FbRef() { reset(); }
    FbRef(FbRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    FbRef& operator=(FbRef&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    FbRef(const FbRef&) = delete;
    FbRef& operator=(const FbRef&) = delete;

    // A reference of its own to an interface somebody else holds too.
    static FbRef shared(T* held)
    {
        if (held)
            held->addRef();
        return FbRef(held);
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Runs `call(interface)`, a call that gives the reference back when it succeeds.
    template <typename Call> void end(Call&& call)
    {
        if (!p_)
            return;
        std::forward<Call>(call)(p_);
        p_ = nullptr;
    }

    // Gives the reference back at once, without asking the server for anything.
    void reset()
    {
        if (T* p = std::exchange(p_, nullptr)) {
            if constexpr (requires { p->release(); })
                p->release();
            else
                p->dispose();
        }
    }

private:
    T* p_ = nullptr;
};
