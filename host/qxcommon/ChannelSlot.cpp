#include <mutex>

#include "common/net/Channel.h"

namespace kel {
namespace {
std::mutex g_mutex;
std::shared_ptr<Channel> g_channel;
}  // namespace

void InstallChannel(std::shared_ptr<Channel> channel) {
    std::lock_guard lock(g_mutex);
    g_channel = std::move(channel);
}

std::shared_ptr<Channel> InstalledChannel() {
    std::lock_guard lock(g_mutex);
    return g_channel;
}

}  // namespace kel
