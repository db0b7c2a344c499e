// The application servers a client may use, as the user writes them: "HOST:PORT",
// several separated by commas ("a:7000,b:7000"); an IPv6 host in brackets
// ("[::1]:7000"). The channel tries them in this order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kel::net {

struct ServerAddress {
    std::string host;  // without brackets
    std::uint16_t port = 0;
};

// "host:port", an IPv6 host in brackets.
std::string AddressText(const ServerAddress& address);
// The addresses joined with commas, as ParseServerList reads them.
std::string AddressListText(const std::vector<ServerAddress>& addresses);

// Every address of the list, or nothing with `error` naming the item that is wrong.
std::optional<std::vector<ServerAddress>> ParseServerList(std::string_view text, std::string& error);

}  // namespace kel::net
