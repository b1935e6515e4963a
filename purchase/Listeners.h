#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>

// Keeps a listener registered for as long as it lives; the listener goes with it. It may outlive
// the list it was registered with.
class ListenerHandle {
public:
    ListenerHandle() = default;
    explicit ListenerHandle(std::function<void()> remove) : remove_(std::move(remove)) {}
    ListenerHandle(ListenerHandle&& other) noexcept : remove_(std::exchange(other.remove_, {})) {}
    ListenerHandle& operator=(ListenerHandle&& other) noexcept
    {
        if (this != &other) {
            release();
            remove_ = std::exchange(other.remove_, {});
        }
        return *this;
    }
    ListenerHandle(const ListenerHandle&) = delete;
    ListenerHandle& operator=(const ListenerHandle&) = delete;
    ~ListenerHandle() { release(); }

private:
    void release()
    {
        if (remove_)
            std::exchange(remove_, {})();
    }

    std::function<void()> remove_;
};

// The callbacks told of one kind of event, in the order they were added. A callback may add or
// remove listeners while it is told: the ones told are those registered when the event came.
template <typename... Args> class Listeners {
public:
    using Callback = std::function<void(Args...)>;

    [[nodiscard]] ListenerHandle add(Callback callback)
    {
        const int id = state_->nextId++;
        state_->callbacks.emplace(id, std::move(callback));
        return ListenerHandle([weak = std::weak_ptr<State>(state_), id] {
            if (const auto state = weak.lock())
                state->callbacks.erase(id);
        });
    }

    void notify(Args... args) const
    {
        const auto callbacks = state_->callbacks;
        for (const auto& entry : callbacks)
            entry.second(args...);
    }

private:
    struct State {
        int nextId = 0;
        std::map<int, Callback> callbacks;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
