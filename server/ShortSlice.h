// A save's thread asks the scheduler for short turns while it writes. Every
// client has a thread of its own, and a save waits many times (for the write lock,
// the commit's sync, each round trip to the database); each time it wakes, a
// scheduler that deals out turns by virtual deadline places it behind every reading
// thread whose turn ends sooner, so with thirty readers at work a save waited about
// as long as a whole round of their turns, again after each wait. With a short turn
// its deadline comes first and it runs as it wakes; it takes no more of the
// processor than before, only sooner. Where the system has no such setting the
// request is refused or ignored and nothing changes.
#pragma once

#include <cstdint>

namespace kel::server {

class ShortSlice {
public:
    // Turns of `nanoseconds` for the calling thread while this lives.
    explicit ShortSlice(uint64_t nanoseconds = 100'000);
    ~ShortSlice();  // the turns it had before
    ShortSlice(const ShortSlice&) = delete;
    ShortSlice& operator=(const ShortSlice&) = delete;

private:
    bool changed_ = false;
    uint64_t before_ = 0;
};

}  // namespace kel::server
