// How many reads the server runs at once. Every client has a thread of its own, so
// without a bound thirty clients reading at once are thirty threads wanting the
// processors, and a save that wakes from each of its waits (a commit's sync, a round
// trip to the database) queues behind all of them for a processor, again and again.
// Reads beyond the bound wait here, asleep, in the order they came; saves never
// wait here, so a save competes with a few running reads only. Reads lose nothing:
// with more of them at once than processors they only take turns on the processors.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace kel::server {

class ReadGate {
public:
    // `atOnce` reads run at once (at least one).
    explicit ReadGate(std::size_t atOnce) : free_(atOnce ? atOnce : 1) {}
    ReadGate(const ReadGate&) = delete;
    ReadGate& operator=(const ReadGate&) = delete;

    // One read's turn: held from construction (after waiting, first come first
    // served) to destruction.
    class Turn {
    public:
        explicit Turn(ReadGate& gate) : gate_(gate) { gate_.Enter(); }
        ~Turn() { gate_.Leave(); }
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;

    private:
        ReadGate& gate_;
    };

    // Reads waiting for their turn now.
    std::size_t Waiting();

    // Reads a server on this machine runs at once by default: twice the processors
    // the process may use, at least four (reads also wait for the database).
    static std::size_t DefaultAtOnce();

private:
    struct Waiter {
        std::condition_variable wake;
        bool admitted = false;
    };
    void Enter();
    void Leave();

    std::mutex mutex_;
    std::size_t free_;
    std::deque<Waiter*> waiting_;  // the first to come at the front
};

}  // namespace kel::server
