#include "data/CallWatch.h"

#include "data/ConnectionPolicy.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

using namespace Firebird;
using Clock = std::chrono::steady_clock;

namespace callwatch {

namespace {

// A server that answered is asked again after this long, while the call still waits.
constexpr auto kProbeAgainAfter = std::chrono::seconds(30);

struct Watched {
    IAttachment* attachment = nullptr;
    Probe probe;
    int depth = 0;           // calls in progress
    Clock::time_point askAt; // when to ask the server next, while a call waits
    bool cutOff = false;     // the waiting call was cut off
};

// One thread for the whole program; it sleeps until a call has waited long enough.
class Watcher {
public:
    static Watcher& instance()
    {
        // Never destroyed: the thread may still be asking a server when the program ends.
        static Watcher* watcher = new Watcher;
        return *watcher;
    }

    void watch(const void* owner, IAttachment* attachment, Probe probe)
    {
        std::lock_guard lock(mutex_);
        Watched& w = watched_[owner];
        w.attachment = attachment;
        w.probe = std::move(probe);
        w.cutOff = false;
        w.askAt = Clock::now() + unansweredAfter();
        startThread();
        changed_.notify_one();
    }

    void unwatch(const void* owner)
    {
        std::lock_guard lock(mutex_);
        const auto it = watched_.find(owner);
        if (it == watched_.end())
            return;
        it->second.attachment = nullptr;
        it->second.probe = nullptr;
        if (it->second.depth == 0)
            watched_.erase(it);
    }

    void begin(const void* owner)
    {
        std::lock_guard lock(mutex_);
        Watched& w = watched_[owner];
        if (w.depth++ == 0) {
            w.askAt = Clock::now() + unansweredAfter();
            w.cutOff = false;
            if (w.attachment)
                changed_.notify_one();
        }
    }

    void end(const void* owner)
    {
        std::lock_guard lock(mutex_);
        const auto it = watched_.find(owner);
        if (it == watched_.end())
            return;
        if (--it->second.depth == 0 && !it->second.attachment)
            watched_.erase(it);
    }

private:
    static Clock::duration unansweredAfter() { return std::chrono::seconds(connectionpolicy::unansweredCallSeconds()); }

    void startThread()
    {
        if (started_)
            return;
        started_ = true;
        std::thread([this] { run(); }).detach();
    }

    bool waiting(const Watched& w) const { return w.attachment && w.depth > 0 && !w.cutOff; }

    void run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            const Clock::time_point now = Clock::now();
            const void* due = nullptr;
            Clock::time_point next = Clock::time_point::max();
            for (const auto& [owner, w] : watched_) {
                if (!waiting(w))
                    continue;
                if (w.askAt <= now) {
                    due = owner;
                    break;
                }
                next = std::min(next, w.askAt);
            }
            if (!due) {
                if (next == Clock::time_point::max())
                    changed_.wait(lock);
                else
                    changed_.wait_until(lock, next);
                continue;
            }
            ask(lock, due);
        }
    }

    // Asks the server of `owner` whether it answers, without holding the lock meanwhile, and cuts
    // off the call that still waits on a server that did not.
    void ask(std::unique_lock<std::mutex>& lock, const void* owner)
    {
        Watched& before = watched_[owner];
        const Probe probe = before.probe;
        IAttachment* const attachment = before.attachment;
        before.askAt = Clock::now() + kProbeAgainAfter;
        lock.unlock();
        const bool answered = probe();
        lock.lock();
        const auto it = watched_.find(owner);
        if (it == watched_.end() || !waiting(it->second) || it->second.attachment != attachment)
            return; // the call ended, or the connection was made again, while the server was asked
        if (answered)
            return;
        CheckStatusWrapper st(fb_get_master_interface()->getStatus());
        attachment->cancelOperation(&st, fb_cancel_abort);
        st.dispose();
        it->second.cutOff = true;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::unordered_map<const void*, Watched> watched_;
    bool started_ = false;
};

} // namespace

void watch(const void* owner, IAttachment* attachment, Probe probe)
{
    if (connectionpolicy::unansweredCallSeconds() > 0)
        Watcher::instance().watch(owner, attachment, std::move(probe));
}

void unwatch(const void* owner)
{
    Watcher::instance().unwatch(owner);
}

Busy::Busy(const void* owner) : owner_(owner)
{
    Watcher::instance().begin(owner_);
}

Busy::~Busy()
{
    Watcher::instance().end(owner_);
}

} // namespace callwatch
