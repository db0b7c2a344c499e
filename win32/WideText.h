// The window layer's UTF-8 text to and from the system's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace kel::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace kel::win32
