// Key and filter bodies of the queries and deletes, and the decimal-text form
// in which numeric identifiers travel as keys.
//
// Packed; texts NUL-terminated and zero-padded. Shared with the server:
// include nothing but the standard integer headers and the record headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/records/RefRecords.h"

#pragma pack(push, 1)

// 181 delete: the treaty code field of _ContCodeStruct.
struct _ContCodeKey {
    char szContCode[3];
};

// 186: the start-date field of _ContInfoStruct, holding the searched year.
struct _ContYearKey {
    char szStartDate[9];
};

// 190: treaty data identifier as decimal text.
struct _ContIdKey10 {
    char szContId[10];
};

// 188: treaty data identifier as decimal text.
struct _ContIdKey32 {
    char szContId[32];
};

// 191, 193, 198, 207: an identifier as decimal text (treaty data identifier,
// or section identifier for 193).
struct _TextKey64 {
    char szKey[64];
};

// 214, 215: reinsurer code; 216: broker code.
struct _RICodeKey {
    char szRICode[5];
};

// 211: a class product record with identifier and class code set, then zero.
struct _InsrClassDtlFilter {
    _InsrClassDtlStruct stFilter;
    char szReserved[100];
};

#pragma pack(pop)

static_assert(sizeof(_ContCodeKey) == 3);
static_assert(offsetof(_ContCodeKey, szContCode) == 0);
static_assert(sizeof(_ContYearKey) == 9);
static_assert(offsetof(_ContYearKey, szStartDate) == 0);
static_assert(sizeof(_ContIdKey10) == 10);
static_assert(offsetof(_ContIdKey10, szContId) == 0);
static_assert(sizeof(_ContIdKey32) == 32);
static_assert(offsetof(_ContIdKey32, szContId) == 0);
static_assert(sizeof(_TextKey64) == 64);
static_assert(offsetof(_TextKey64, szKey) == 0);
static_assert(sizeof(_RICodeKey) == 5);
static_assert(offsetof(_RICodeKey, szRICode) == 0);
static_assert(sizeof(_InsrClassDtlFilter) == 164);
static_assert(offsetof(_InsrClassDtlFilter, stFilter) == 0);
static_assert(offsetof(_InsrClassDtlFilter, szReserved) == 64);

namespace kel::records {

// Writes `id` as decimal text (sign only when negative, no leading zeros),
// NUL-terminated, into a zero-filled field of `width` bytes. A value whose
// text does not fit leaves the field all zero and returns false.
inline bool PutDecimalKey(char* field, std::size_t width, int32_t id) {
    for (std::size_t i = 0; i < width; ++i) field[i] = 0;
    char digits[12];
    std::size_t n = 0;
    // Work on the magnitude in 64 bits so INT32_MIN is safe.
    int64_t v = id < 0 ? -static_cast<int64_t>(id) : id;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    const std::size_t len = n + (id < 0 ? 1 : 0);
    if (len + 1 > width) return false;
    std::size_t pos = 0;
    if (id < 0) field[pos++] = '-';
    while (n > 0) field[pos++] = digits[--n];
    return true;
}

// Reads a decimal key field: an optional '-' and 1..10 digits followed by a
// NUL inside the field. Anything else (no terminator, other characters, a
// value outside the 32-bit range) returns false and leaves `id` unchanged.
inline bool GetDecimalKey(const char* field, std::size_t width, int32_t& id) {
    std::size_t pos = 0;
    const bool negative = width > 0 && field[0] == '-';
    if (negative) ++pos;
    int64_t v = 0;
    std::size_t digits = 0;
    for (; pos < width && field[pos] != '\0'; ++pos) {
        const char c = field[pos];
        if (c < '0' || c > '9' || ++digits > 10) return false;
        v = v * 10 + (c - '0');
    }
    if (pos == width || digits == 0) return false;
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    id = static_cast<int32_t>(v);
    return true;
}

template <std::size_t N>
bool PutDecimalKey(char (&field)[N], int32_t id) {
    return PutDecimalKey(field, N, id);
}
template <std::size_t N>
bool GetDecimalKey(const char (&field)[N], int32_t& id) {
    return GetDecimalKey(field, N, id);
}

}  // namespace kel::records
