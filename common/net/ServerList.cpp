#include "common/net/ServerList.h"

#include <charconv>

namespace kel::net {
namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<ServerAddress> ParseOne(std::string_view item) {
    const auto colon = item.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    std::string_view host = item.substr(0, colon);
    const std::string_view portText = item.substr(colon + 1);
    unsigned port = 0;
    const auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (ec != std::errc() || end != portText.data() + portText.size() || port == 0 || port > 65535) return std::nullopt;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    // A bare IPv6 address would be read with its last group as the port.
    else if (host.find(':') != std::string_view::npos)
        return std::nullopt;
    if (host.empty() || host.find_first_of(" \t,[]") != std::string_view::npos) return std::nullopt;
    return ServerAddress{std::string(host), static_cast<std::uint16_t>(port)};
}

}  // namespace

std::string AddressText(const ServerAddress& address) {
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

std::string AddressListText(const std::vector<ServerAddress>& addresses) {
    std::string text;
    for (const ServerAddress& a : addresses) text += (text.empty() ? "" : ",") + AddressText(a);
    return text;
}

std::optional<std::vector<ServerAddress>> ParseServerList(std::string_view text, std::string& error) {
    std::vector<ServerAddress> list;
    for (;;) {
        const auto comma = text.find(',');
        const std::string_view item = Trimmed(text.substr(0, comma));
        const auto address = ParseOne(item);
        if (!address) {
            error = item.empty() ? "an empty server address" : "\"" + std::string(item) + "\" is not HOST:PORT";
            return std::nullopt;
        }
        list.push_back(*address);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return list;
}

}  // namespace kel::net
