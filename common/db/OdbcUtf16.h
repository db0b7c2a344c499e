// UTF-8 <-> UTF-16 for the wide ODBC calls (SQLWCHAR is a 16-bit unit under unixODBC).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kel::db::odbc {

// nullopt when the text is not valid UTF-8 (it is then refused, never altered).
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates coming back from a driver become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace kel::db::odbc
