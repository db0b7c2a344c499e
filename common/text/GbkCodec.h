// The platform's GBK converter behind GbkText (internal to the text library): glibc
// iconv on Linux, code page 936 on Windows, giving the same results for the same
// input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kel::text::codec {

// Converts the whole input. True when all of it converted; `out` then holds the
// result. False at the first invalid sequence or character without a counterpart:
// `out` holds what converted before it and `consumed` how many input bytes that took.
bool Utf8ToGbk(std::string_view utf8, std::string& out, std::size_t* consumed = nullptr);
bool GbkToUtf8(std::string_view gbk, std::string& out, std::size_t* consumed = nullptr);

}  // namespace kel::text::codec
