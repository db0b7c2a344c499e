// Salted password hashes through libxcrypt (yescrypt, "$y$"; SHA-512, "$6$", for
// passwords everybody knows).
//
// One hash takes about 16 MiB and tens of milliseconds: a bounded number run at a
// time, and the others wait their turn (a log-on waits, it is never refused for it).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kel::server {

// A fresh salted hash of the password; nullopt when the library fails. `cost` 0 is
// the library's default; tests use 1 to store users cheaply.
std::optional<std::string> HashPassword(std::string_view password, unsigned long cost = 0);

// A salted hash for a password that is published (the embedded default's demo users:
// each password is the user's code): SHA-512 at its fewest rounds, checked in a
// fraction of a millisecond, since a costly hash would guard nothing there.
std::optional<std::string> HashPublishedPassword(std::string_view password);

// True when the password matches the stored hash. A malformed hash never matches.
bool VerifyPassword(std::string_view password, const std::string& hash);

// The most hashes that run at once, and the most that did since the last reset.
int MaxHashesAtOnce();
int PeakHashesAtOnce();
void ResetPeakHashesAtOnce();

}  // namespace kel::server
