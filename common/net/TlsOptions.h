// How a client checks the application server it connects to. Both empty: plain TCP
// (a host that brings its own channel). Otherwise the connection is TLS and nothing
// of the client's goes out before the server's certificate has passed:
// - caFile: a PEM file of the certificates to trust; the server's chain must lead
//   to one of them and its certificate must name the host the client dialled.
// - fingerprintHex: the SHA-256 of the server's certificate (DER), pinned; the
//   certificate is taken for exactly that, whoever signed it.
// Given both, both must pass.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kel::net {

struct TlsClientOptions {
    std::string caFile;
    std::string fingerprintHex;
    bool Enabled() const { return !caFile.empty() || !fingerprintHex.empty(); }
};

using Sha256 = std::array<unsigned char, 32>;

// Reads a SHA-256 fingerprint as 64 hex digits, plain or in pairs separated by ':'
// (either case; spaces around it ignored). Nothing when it is not one.
std::optional<Sha256> ParseFingerprint(std::string_view text);
// The form the server prints: upper-case pairs joined by ':'.
std::string FingerprintText(const Sha256& digest);

}  // namespace kel::net
