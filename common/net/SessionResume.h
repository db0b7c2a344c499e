// The frame a client sends right after each log-on: its session's token. A server
// that still holds the session of that token (the line dropped, the client came
// back) gives the new connection what the old one had read, so that a save of a
// record changed meanwhile is still refused. The log-on frame stays as it was; a
// server that does not know this frame refuses it and nothing else changes.
//
// Request head: code 2, count 1, subsystem 82. Answer: a head, status 0 when taken;
// count 1 when the server still held the session, 0 when it starts a new one.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct _ResumeBody {
    unsigned char token[16];  // 0: random, made once per client session
    char cAgain;              // 16: 1 when this session was connected before, else 0
    char reserved[15];        // 17: zero
};
#pragma pack(pop)

static_assert(sizeof(_ResumeBody) == 32);
static_assert(offsetof(_ResumeBody, cAgain) == 16);

namespace kel::net {
inline constexpr int16_t kResumeTransCode = 2;
}  // namespace kel::net
