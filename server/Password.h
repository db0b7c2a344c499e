// Salted password hashes through libxcrypt (yescrypt, "$y$").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kel::server {

// A fresh salted hash of the password; nullopt when the library fails.
std::optional<std::string> HashPassword(std::string_view password);

// True when the password matches the stored hash. A malformed hash never matches.
bool VerifyPassword(std::string_view password, const std::string& hash);

}  // namespace kel::server
