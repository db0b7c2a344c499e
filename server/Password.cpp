#include "server/Password.h"

#include <crypt.h>

#include <memory>

namespace kel::server {
namespace {

// crypt_rn's work area is large (tens of kilobytes): on the heap, one per call.
std::unique_ptr<crypt_data> WorkArea() { return std::make_unique<crypt_data>(); }

}  // namespace

std::optional<std::string> HashPassword(std::string_view password) {
    if (password.find('\0') != std::string_view::npos) return std::nullopt;
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (!crypt_gensalt_rn("$y$", 0, nullptr, 0, setting, sizeof setting)) return std::nullopt;
    auto data = WorkArea();
    const std::string phrase(password);
    const char* hash = crypt_rn(phrase.c_str(), setting, data.get(), sizeof *data);
    if (!hash || hash[0] == '*') return std::nullopt;
    return std::string(hash);
}

bool VerifyPassword(std::string_view password, const std::string& hash) {
    if (hash.empty() || hash[0] != '$' || password.find('\0') != std::string_view::npos) return false;
    auto data = WorkArea();
    const std::string phrase(password);
    const char* computed = crypt_rn(phrase.c_str(), hash.c_str(), data.get(), sizeof *data);
    if (!computed || computed[0] == '*') return false;
    const std::string_view a(computed);
    if (a.size() != hash.size()) return false;
    unsigned char diff = 0;  // the same time whatever matches
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ hash[i]);
    return diff == 0;
}

}  // namespace kel::server
