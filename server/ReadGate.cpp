#include "server/ReadGate.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace kel::server {

std::size_t ReadGate::DefaultAtOnce() {
    std::size_t cpus = 0;
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) cpus = static_cast<std::size_t>(CPU_COUNT(&allowed));
    if (cpus == 0) cpus = std::thread::hardware_concurrency();
    return std::max<std::size_t>(4, 2 * cpus);
}

std::size_t ReadGate::Waiting() {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

void ReadGate::Enter() {
    std::unique_lock lock(mutex_);
    if (free_ > 0 && waiting_.empty()) {
        --free_;
        return;
    }
    Waiter me;
    waiting_.push_back(&me);
    me.wake.wait(lock, [&] { return me.admitted; });
}

void ReadGate::Leave() {
    std::lock_guard lock(mutex_);
    if (waiting_.empty()) {
        ++free_;
        return;
    }
    // The turn passes straight to the first waiting: nobody arriving meanwhile takes it.
    Waiter* next = waiting_.front();
    waiting_.pop_front();
    next->admitted = true;
    next->wake.notify_one();
}

}  // namespace kel::server
