// How much work one request may make, so that no request holds the write lock
// (and with it every other writer) for long: the lists of a treaty data save, and
// the lines and the time of a generation of treaty details. Other writers wait at
// most for one request's work, far below the client's answer time-out (60 s).
#pragma once

#include <chrono>
#include <cstddef>

namespace kel::server {

// The lists of a treaty data save (187, 189); more is a malformed request (status 2):
// no treaty has that many, and the request alone tells.
inline constexpr int kMaxParticipants = 100;
inline constexpr int kMaxProductShareRows = 2000;
inline constexpr int kMaxSubReinsurers = 1000;

struct WorkLimits {
    // Lines one generation (200) may write; more is refused (status 1) before any is.
    std::size_t maxDetailLines = 100000;
    // A generation still writing after this is rolled back and refused (status 1).
    std::chrono::milliseconds generationTime{10000};
};

}  // namespace kel::server
