#include "common/net/SessionChannel.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>

#include "common/net/Frame.h"
#include "common/net/SessionResume.h"

namespace kel::net {
namespace {

int MsLeft(std::chrono::steady_clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

// Overwrites a secret so that it does not outlive its use in freed memory.
void Wipe(std::string& secret) {
    volatile char* p = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i) p[i] = 0;
    secret.clear();
}

}  // namespace

SessionChannel::Dial SessionChannel::TcpDial(const TcpOptions& options) {
    return [options](const ServerAddress& address, std::string_view user, std::string_view password, int timeoutMs,
                     std::shared_ptr<Channel>& link) {
        TcpOptions o = options;
        o.connectTimeoutMs = timeoutMs;
        o.logonTimeoutMs = timeoutMs;
        auto tcp = std::make_shared<TcpChannel>();
        ConnectResult result = tcp->Connect(address.host, address.port, user, password, o);
        if (result.ok()) link = std::move(tcp);
        return result;
    };
}

SessionChannel::SessionChannel(std::vector<ServerAddress> servers, std::string user, std::string password,
                               SessionOptions options, Dial dial)
    : m_servers(std::move(servers)),
      m_user(std::move(user)),
      m_password(std::move(password)),
      m_options(options),
      m_dial(dial ? std::move(dial) : TcpDial(options.tcp)) {
    std::random_device random;
    for (unsigned char& byte : m_token) byte = static_cast<unsigned char>(random());
}

SessionChannel::~SessionChannel() { Wipe(m_password); }

ConnectResult SessionChannel::Open() {
    std::lock_guard dial(m_dialMutex);
    std::size_t index = 0;
    ConnectResult result;
    const int each =
        m_options.tcp.connectTimeoutMs > 0 ? m_options.tcp.connectTimeoutMs : TcpOptions{}.connectTimeoutMs;
    auto link = DialAny(each * static_cast<int>(std::max<std::size_t>(m_servers.size(), 1)), false, index, result);
    {
        std::lock_guard lock(m_mutex);
        m_link = link;
        m_server = index;
    }
    Changed();
    return result;
}

std::shared_ptr<Channel> SessionChannel::DialAny(int budgetMs, bool again, std::size_t& index, ConnectResult& result) {
    result = ConnectResult{kChannelNotConnected, false, "没有应用服务器地址"};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs);
    for (std::size_t i = 0; i < m_servers.size(); ++i) {
        // A server that does not answer may not take the time of those after it.
        const int share = MsLeft(end) / static_cast<int>(m_servers.size() - i);
        if (share <= 0) break;
        std::shared_ptr<Channel> link;
        result = m_dial(m_servers[i], m_user, m_password, share, link);
        if (result.ok() && link) {
            Resume(*link, again);
            if (!link->Gone()) {
                index = i;
                return link;
            }
            result = ConnectResult{kChannelClosed, false, ChannelErrorText(kChannelClosed)};
        }
        if (result.refused) break;  // another server would refuse the same user
        if (!result.message.empty() && m_servers.size() > 1)
            result.message = AddressText(m_servers[i]) + ": " + result.message;
    }
    return nullptr;
}

void SessionChannel::Resume(Channel& link, bool again) {
    _PacketHead head{};
    head.nTransCode = kResumeTransCode;
    head.nCount = 1;
    head.nSubSystem = kSubSystemDefault;
    _ResumeBody body{};
    std::memcpy(body.token, m_token, sizeof body.token);
    body.cAgain = again ? 1 : 0;
    _PacketHead answer{};
    std::vector<char> answerBody;
    // A server that refuses the frame keeps no session across connections; a
    // transport failure shows in Gone().
    if (link.Send(head, &body, sizeof body) == kChannelOk) link.Receive(answer, answerBody);
}

std::shared_ptr<Channel> SessionChannel::Link() const {
    std::lock_guard lock(m_mutex);
    return m_link;
}

std::shared_ptr<Channel> SessionChannel::Reconnect(const std::shared_ptr<Channel>& failed) {
    std::lock_guard dial(m_dialMutex);
    {
        std::lock_guard lock(m_mutex);
        // Another thread connected again while this one waited.
        if (m_link && m_link != failed && !m_link->Gone()) return m_link;
        m_link.reset();
    }
    Changed();
    if (m_waiting) m_waiting(true);
    std::size_t index = 0;
    ConnectResult result;
    auto link = DialAny(std::max(m_options.reconnectBudgetMs, 1), true, index, result);
    if (m_waiting) m_waiting(false);
    if (!link) return nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_link = link;
        m_server = index;
        ++m_reconnects;
    }
    Changed();
    return link;
}

int SessionChannel::Send(const _PacketHead& head, const void* body, std::size_t length) {
    // Refusals that write nothing leave the connection as it is.
    if (length > kMaxBodyBytes) return kChannelFrameTooLarge;
    if (length > 0 && body == nullptr) return kChannelSendFailed;
    std::shared_ptr<Channel> link = Link();
    if (!link || link->Gone()) {
        link = Reconnect(link);
        if (!link) return kChannelUnreachable;
    }
    int r = link->Send(head, body, length);
    if (r == kChannelOk || !link->Gone()) return r;
    // A send that failed delivered no whole request: it goes out once more.
    link = Reconnect(link);
    if (!link) return kChannelUnreachable;
    r = link->Send(head, body, length);
    return r;
}

int SessionChannel::Receive(_PacketHead& head, std::vector<char>& body) {
    std::shared_ptr<Channel> link = Link();
    if (!link) return kChannelNotConnected;
    const int r = link->Receive(head, body);
    if (r == kChannelOk || !link->Gone()) return r;
    // The request went out and its answer is lost: whether the server carried it
    // out is unknown, so it is not sent again; the user reads and decides.
    return Reconnect(link) ? kChannelAnswerLost : kChannelAnswerLostOffline;
}

bool SessionChannel::Gone() {
    auto link = Link();
    return !link || link->Gone();
}

bool SessionChannel::Away() { return !Link(); }

bool SessionChannel::Reach() {
    auto link = Link();
    if (link && !link->Gone()) return true;
    return Reconnect(link) != nullptr;
}

void SessionChannel::OnWaiting(std::function<void(bool)> waiting) {
    std::lock_guard dial(m_dialMutex);
    m_waiting = std::move(waiting);
}

void SessionChannel::OnStateChange(std::function<void(const SessionState&)> changed) {
    {
        std::lock_guard lock(m_mutex);
        m_changed = std::move(changed);
    }
    Changed();
}

SessionState SessionChannel::State() const {
    std::lock_guard lock(m_mutex);
    SessionState s;
    s.connected = m_link != nullptr;
    s.address =
        s.connected && m_server < m_servers.size() ? AddressText(m_servers[m_server]) : AddressListText(m_servers);
    s.user = m_user;
    return s;
}

int SessionChannel::Reconnects() const {
    std::lock_guard lock(m_mutex);
    return m_reconnects;
}

void SessionChannel::Changed() {
    std::function<void(const SessionState&)> changed;
    {
        std::lock_guard lock(m_mutex);
        changed = m_changed;
    }
    if (changed) changed(State());
}

}  // namespace kel::net
