#include "server/Password.h"

#include <crypt.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace kel::server {
namespace {

// crypt_rn's work area is large (tens of kilobytes): on the heap, one per call.
std::unique_ptr<crypt_data> WorkArea() { return std::make_unique<crypt_data>(); }

// Lets a bounded number of hashes run at once; the rest wait.
class HashGate {
public:
    HashGate() : limit_(static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2u, 4u))) {}

    void Enter() {
        std::unique_lock lock(mutex_);
        free_.wait(lock, [&] { return running_ < limit_; });
        peak_ = std::max(peak_, ++running_);
    }
    void Leave() {
        {
            std::lock_guard lock(mutex_);
            --running_;
        }
        free_.notify_one();
    }
    int Limit() const { return limit_; }
    int Peak() {
        std::lock_guard lock(mutex_);
        return peak_;
    }
    void ResetPeak() {
        std::lock_guard lock(mutex_);
        peak_ = running_;
    }

private:
    const int limit_;
    std::mutex mutex_;
    std::condition_variable free_;
    int running_ = 0;
    int peak_ = 0;
};

HashGate& Gate() {
    static HashGate gate;
    return gate;
}

// Runs crypt_rn inside the gate; the work area lives only while its turn lasts.
std::optional<std::string> Crypt(const std::string& phrase, const char* setting) {
    struct Turn {
        Turn() { Gate().Enter(); }
        ~Turn() { Gate().Leave(); }
    } turn;
    auto data = WorkArea();
    const char* hash = crypt_rn(phrase.c_str(), setting, data.get(), sizeof *data);
    if (!hash || hash[0] == '*') return std::nullopt;
    return std::string(hash);
}

// A fresh salt for the method `prefix` at `cost`, and the password hashed with it.
std::optional<std::string> HashWithFreshSalt(std::string_view password, const char* prefix, unsigned long cost) {
    if (password.find('\0') != std::string_view::npos) return std::nullopt;
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (!crypt_gensalt_rn(prefix, cost, nullptr, 0, setting, sizeof setting)) return std::nullopt;
    return Crypt(std::string(password), setting);
}

}  // namespace

std::optional<std::string> HashPassword(std::string_view password, unsigned long cost) {
    return HashWithFreshSalt(password, "$y$", cost);
}

std::optional<std::string> HashPublishedPassword(std::string_view password) {
    return HashWithFreshSalt(password, "$6$", 1000);  // SHA-512's fewest rounds
}

bool VerifyPassword(std::string_view password, const std::string& hash) {
    if (hash.empty() || hash[0] != '$' || password.find('\0') != std::string_view::npos) return false;
    const auto computed = Crypt(std::string(password), hash.c_str());
    if (!computed) return false;
    const std::string_view a(*computed);
    if (a.size() != hash.size()) return false;
    unsigned char diff = 0;  // the same time whatever matches
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ hash[i]);
    return diff == 0;
}

int MaxHashesAtOnce() { return Gate().Limit(); }
int PeakHashesAtOnce() { return Gate().Peak(); }
void ResetPeakHashesAtOnce() { Gate().ResetPeak(); }

}  // namespace kel::server
