#include "common/net/TcpChannel.h"

#include <cstring>
#include <utility>

#include "common/net/Frame.h"
#include "common/net/ServerList.h"
#include "common/net/Socket.h"
#include "common/net/TcpConnect.h"
#include "common/net/TlsClient.h"

namespace kel::net {
namespace {

TcpOptions WithDefaults(TcpOptions options) {
    const TcpOptions defaults;
    if (options.connectTimeoutMs <= 0) options.connectTimeoutMs = defaults.connectTimeoutMs;
    if (options.receiveTimeoutMs <= 0) options.receiveTimeoutMs = defaults.receiveTimeoutMs;
    if (options.logonTimeoutMs <= 0) options.logonTimeoutMs = options.receiveTimeoutMs;
    return options;
}

}  // namespace

TcpChannel::~TcpChannel() = default;

ConnectResult TcpChannel::Connect(const std::string& host, std::uint16_t port, std::string_view userCode,
                                  std::string_view password, const TcpOptions& options) {
    const TcpOptions effective = WithDefaults(options);
    {
        std::unique_lock lock(m_mutex);
        DropLocked(State::NotConnected);
    }

    _PacketHead head;
    _LogonBody body;
    ConnectResult result = BuildLogonRequest(userCode, password, head, body);
    if (!result.ok()) return result;

    OpenResult open = OpenTcpConnection(host, port, DeadlineAfter(effective.connectTimeoutMs));
    if (open.fd < 0) return ConnectResult{open.error, false, std::move(open.message)};
    std::unique_ptr<Stream> stream = std::make_unique<SocketStream>(open.fd);

    const Deadline deadline = DeadlineAfter(effective.logonTimeoutMs);
    if (effective.tls.Enabled()) {
        // The password goes out only to a server that has proved who it is.
        ConnectResult tls = StartClientTls(stream, host, port, effective.tls, deadline);
        if (!tls.ok()) {
            std::memset(&body, 0, sizeof body);
            return tls;
        }
    }
    int r = WriteFrame(*stream, head, &body, sizeof body, deadline);
    std::memset(&body, 0, sizeof body);
    _PacketHead answer{};
    std::vector<char> answerBody;
    if (r == kChannelOk) r = ReadFrame(*stream, answer, answerBody, deadline);
    if (r != kChannelOk) {
        std::string message = "登录时与应用服务器通讯失败：" + std::string(DescribeChannelError(r));
        // A TLS port drops a plain log-on without a word.
        if (r == kChannelClosed && !effective.tls.Enabled())
            message += "（" + AddressText({host, port}) + " 可能只接受加密连接：请配置服务器的证书或指纹）";
        return ConnectResult{r, false, std::move(message)};
    }
    result = CheckLogonAnswer(answer);
    if (!result.ok()) return result;

    std::unique_lock lock(m_mutex);
    DropLocked(State::NotConnected);  // in case another thread connected meanwhile
    m_stream = std::move(stream);
    m_options = effective;
    m_state = State::Connected;
    return result;
}

void TcpChannel::Close() {
    std::unique_lock lock(m_mutex);
    DropLocked(State::NotConnected);
}

bool TcpChannel::IsConnected() const {
    std::lock_guard lock(m_mutex);
    return m_state == State::Connected;
}

bool TcpChannel::Gone() {
    std::lock_guard lock(m_mutex);
    if (m_state != State::Connected) return true;
    if (m_pending > 0) return false;  // an answer is on its way: the receive will tell
    if (!m_stream->PeerClosed()) return false;
    DropLocked(State::Broken);
    return true;
}

int TcpChannel::Send(const _PacketHead& head, const void* body, std::size_t length) {
    // Refusals that write nothing leave the connection as it is.
    if (length > kMaxBodyBytes) return kChannelFrameTooLarge;
    if (length > 0 && body == nullptr) return kChannelSendFailed;

    std::unique_lock lock(m_mutex);
    if (int r = AwaitTurnLocked(lock)) return r;
    const int r = WriteFrame(*m_stream, head, body, length, DeadlineAfter(m_options.receiveTimeoutMs));
    if (r == kChannelNoMemory) return r;  // nothing was written
    if (r != kChannelOk) {
        DropLocked(State::Broken);
        return r;
    }
    m_owner = std::this_thread::get_id();
    ++m_pending;
    return kChannelOk;
}

int TcpChannel::Receive(_PacketHead& head, std::vector<char>& body) {
    std::unique_lock lock(m_mutex);
    if (int r = AwaitTurnLocked(lock)) return r;
    const int r = ReadFrame(*m_stream, head, body, DeadlineAfter(m_options.receiveTimeoutMs));
    if (r != kChannelOk) {
        // Whatever part of the answer is still to come would be read as the next one.
        DropLocked(State::Broken);
        return r;
    }
    if (m_pending > 0 && m_owner == std::this_thread::get_id() && --m_pending == 0) ReleaseTurnLocked();
    return kChannelOk;
}

int TcpChannel::StateErrorLocked() const {
    switch (m_state) {
        case State::Connected: return kChannelOk;
        case State::Broken: return kChannelClosed;
        case State::NotConnected: break;
    }
    return kChannelNotConnected;
}

int TcpChannel::AwaitTurnLocked(std::unique_lock<std::mutex>& lock) {
    const auto me = std::this_thread::get_id();
    const auto free = [&] { return m_state != State::Connected || m_pending == 0 || m_owner == me; };
    // The owner's own receive is bounded by the receive time-out; twice that means
    // it is not coming back for its answer.
    const auto limit = std::chrono::milliseconds(2LL * m_options.receiveTimeoutMs);
    if (!m_turnFree.wait_for(lock, limit, free)) return kChannelTimeout;
    return StateErrorLocked();
}

void TcpChannel::ReleaseTurnLocked() {
    m_owner = std::thread::id();
    m_pending = 0;
    m_turnFree.notify_all();
}

void TcpChannel::DropLocked(State next) {
    m_stream.reset();
    m_state = next;
    ReleaseTurnLocked();
}

}  // namespace kel::net
