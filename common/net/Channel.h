// The packet channel to the application server. The host opens it (and logs on)
// before any screen runs and installs it; CBASEBASE::SendPacket/RecvPacket use it.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "common/records/PacketHead.h"

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
    // A channel that connects again by itself (SessionChannel):
    kChannelAnswerLost = 8,         // the request went out, its answer was lost; connected again
    kChannelAnswerLostOffline = 9,  // the same, and connecting again did not succeed
    kChannelUnreachable = 10,       // nothing was sent: no server could be reached in time
};

// What a channel result means, in the user's words; null for a code no channel gives.
inline const char* ChannelErrorText(int code) {
    switch (code) {
        case kChannelOk: return "成功";
        case kChannelNotConnected: return "未连接到应用服务器";
        case kChannelSendFailed: return "发送数据包失败";
        case kChannelReceiveFailed: return "接收数据包失败";
        case kChannelTimeout: return "等待应用服务器应答超时";
        case kChannelFrameTooLarge: return "数据包过大";
        case kChannelClosed: return "与应用服务器的连接已断开";
        case kChannelNoMemory: return "分配内存失败";
        case kChannelAnswerLost:
            return "与应用服务器的连接曾中断，现已恢复。上一操作的应答在中断时丢失，该操作可能已经完成，也可能没有完成"
                   "："
                   "请重新读取数据核对后再继续";
        case kChannelAnswerLostOffline:
            return "与应用服务器的连接已中断，上一操作的应答丢失，该操作可能已经完成，也可能没有完成。"
                   "暂时无法重新连接，下一操作时将再次尝试";
        case kChannelUnreachable: return "暂时无法连接到应用服务器，操作未发送。请稍后再试，下一操作时将再次连接";
        default: return nullptr;
    }
}

class Channel {
public:
    virtual ~Channel() = default;
    // Sends one request: head and body.
    virtual int Send(const _PacketHead& head, const void* body, std::size_t length) = 0;
    // Receives one answer: head and body (empty for a head-only answer).
    virtual int Receive(_PacketHead& head, std::vector<char>& body) = 0;
    // True when the connection is known to be gone while no answer is awaited (the
    // server closed it): a request sent now would be lost. Asks the socket, reads nothing.
    virtual bool Gone() { return false; }
    // True when the last try to reach a server found none and none has been reached
    // since: a request now would wait for another try and most likely fail.
    virtual bool Away() { return false; }
};

// The one channel of the process, shared by host and module.
void InstallChannel(std::shared_ptr<Channel> channel);
std::shared_ptr<Channel> InstalledChannel();

// Largest frame either end accepts (length field: head + body).
inline constexpr std::size_t kMaxFrameBytes = 16u * 1024u * 1024u;

}  // namespace kel
