// UTF-8 <-> GBK conversion and the fixed-width text fields of records and packets.
//
// In memory every string is UTF-8. Records hold GBK, NUL-terminated and zero-padded
// to the field's width. Only these helpers convert between the two.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kel::text {

// Whole-string conversion. nullopt when the input cannot be converted
// (a character GBK does not hold, or invalid UTF-8 / GBK bytes).
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
std::optional<std::string> GbkToUtf8(std::string_view gbk);

// True when every character of the UTF-8 text exists in GBK.
bool IsGbkEncodable(std::string_view utf8);

// Byte offset in the UTF-8 text of the first character that GBK cannot hold (or of
// the first invalid UTF-8 byte); nullopt when the whole text is encodable. Lets a
// caller name the offending character in its message.
std::optional<std::size_t> FirstNonGbkOffset(std::string_view utf8);

// Number of GBK bytes the text takes, or nullopt when it is not encodable.
std::optional<std::size_t> GbkByteLength(std::string_view utf8);

// Longest prefix of the UTF-8 text whose GBK form takes at most maxBytes bytes,
// never splitting a character. Text GBK cannot hold yields nullopt.
std::optional<std::string> CutToGbkBytes(std::string_view utf8, std::size_t maxBytes);

// Length of the longest prefix of a GBK byte string of at most maxBytes bytes that
// does not split a two-byte character (a byte 0x81..0xFE begins one).
std::size_t GbkSafeCut(std::string_view gbk, std::size_t maxBytes);

enum class PutResult {
    Ok,         // stored whole
    Truncated,  // stored, cut to width - 1 bytes at a character boundary
    NotGbk,     // refused: the field was zero-filled and nothing stored
};

// Encode the UTF-8 text to GBK and store it into a field of `width` bytes:
// at most width - 1 bytes, cut at a character boundary, NUL-terminated, zero-padded.
PutResult PutField(char* field, std::size_t width, std::string_view utf8);

// Store raw GBK (or ASCII) bytes the same way, without conversion.
void PutRawField(char* field, std::size_t width, std::string_view gbk);

// Read a field: up to its first NUL or its full width when there is none,
// decoded to UTF-8. Bytes that are not valid GBK end the text there.
std::string GetField(const char* field, std::size_t width);

// Raw bytes of a field up to its first NUL or its width, without conversion.
std::string GetRawField(const char* field, std::size_t width);

template <std::size_t N>
PutResult PutField(char (&field)[N], std::string_view utf8) {
    return PutField(field, N, utf8);
}
template <std::size_t N>
std::string GetField(const char (&field)[N]) {
    return GetField(field, N);
}

}  // namespace kel::text
