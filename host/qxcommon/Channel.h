// The packet channel to the application server. The host opens it (and logs on)
// before any screen runs and installs it; CBASEBASE::SendPacket/RecvPacket use it.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "data/PacketHead.h"

namespace kel {

// Result codes of Send/Receive: 0 success, anything else a failure.
enum ChannelError : int {
    kChannelOk = 0,
    kChannelNotConnected = 1,
    kChannelSendFailed = 2,
    kChannelReceiveFailed = 3,
    kChannelTimeout = 4,
    kChannelFrameTooLarge = 5,
    kChannelClosed = 6,
    kChannelNoMemory = 7,
};

class Channel {
public:
    virtual ~Channel() = default;
    // Sends one request: head and body.
    virtual int Send(const _PacketHead& head, const void* body, std::size_t length) = 0;
    // Receives one answer: head and body (empty for a head-only answer).
    virtual int Receive(_PacketHead& head, std::vector<char>& body) = 0;
};

// The one channel of the process, shared by host and module.
void InstallChannel(std::shared_ptr<Channel> channel);
std::shared_ptr<Channel> InstalledChannel();

// Largest frame either end accepts (length field: head + body).
inline constexpr std::size_t kMaxFrameBytes = 16u * 1024u * 1024u;

}  // namespace kel
