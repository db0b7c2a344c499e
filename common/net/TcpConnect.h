// Opening a TCP connection with a time-out: name lookup, then a non-blocking connect
// to each address in turn until one answers or the deadline passes.
#pragma once

#include <cstdint>
#include <string>

#include "common/net/Frame.h"

namespace kel::net {

struct OpenResult {
    int fd = -1;    // connected, non-blocking, close-on-exec, TCP_NODELAY
    int error = 0;  // kChannelNotConnected or kChannelTimeout when fd is -1
    std::string message;
};

OpenResult OpenTcpConnection(const std::string& host, std::uint16_t port, Deadline deadline);

}  // namespace kel::net
