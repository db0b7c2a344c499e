// The 24-byte head of every request and answer packet. Little-endian, packed.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct _PacketHead {
    int16_t nTransCode;   // 0: transaction code (request)
    char szReserved1[6];  // 2
    int16_t nCount;       // 8: records in the body
    char szReserved2[2];  // 10
    int16_t nReserved3;   // 12: always 0 in requests
    int16_t nSubSystem;   // 14: 82, or 80 for the prompt transactions 163..167
    int8_t cStatus;       // 16: answer status, 0 = success
    char szReserved4[3];  // 17
    int32_t nOperation;   // 20: 0 insert, 1 update, 2 delete
};
#pragma pack(pop)

static_assert(sizeof(_PacketHead) == 24);
static_assert(offsetof(_PacketHead, nTransCode) == 0);
static_assert(offsetof(_PacketHead, nCount) == 8);
static_assert(offsetof(_PacketHead, nReserved3) == 12);
static_assert(offsetof(_PacketHead, nSubSystem) == 14);
static_assert(offsetof(_PacketHead, cStatus) == 16);
static_assert(offsetof(_PacketHead, nOperation) == 20);

inline constexpr int16_t kSubSystemDefault = 82;
inline constexpr int16_t kSubSystemPrompt = 80;
