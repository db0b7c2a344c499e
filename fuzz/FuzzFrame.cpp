// The frame decoder on any byte stream: the client's decoder and the server's
// request reader (over a socket pair) take the same frames out of it, a decoded
// frame encodes back to its bytes, and the reader holds nothing once it is done.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "common/net/Frame.h"
#include "common/net/Logon.h"
#include "fuzz/FuzzCheck.h"
#include "server/RequestReader.h"

namespace {

struct Frame {
    _PacketHead head{};
    std::vector<char> body;
};

// The frames DecodeFrame takes from the front of the bytes, until it stops.
std::vector<Frame> Decode(std::string_view data) {
    std::vector<Frame> frames;
    for (;;) {
        kel::net::DecodedFrame frame;
        std::size_t consumed = 0;
        if (kel::net::DecodeFrame(data, frame, consumed) != kel::kChannelOk || consumed == 0) break;
        FUZZ_CHECK(consumed <= data.size());
        std::vector<char> again;
        FUZZ_CHECK(kel::net::EncodeFrame(frame.head, frame.body.data(), frame.body.size(), again) == kel::kChannelOk);
        FUZZ_CHECK(again.size() == consumed && std::memcmp(again.data(), data.data(), consumed) == 0);
        frames.push_back({frame.head, std::move(frame.body)});
        data.remove_prefix(consumed);
    }
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64 * 1024));
    const std::vector<Frame> decoded = Decode(bytes);

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return 0;
    const int buffer = 256 * 1024;
    ::setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    ::setsockopt(pair[1], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    const bool sent =
        kel::net::WriteAll(pair[0], bytes.data(), bytes.size(), kel::net::DeadlineAfter(1000)) == kel::kChannelOk;
    ::shutdown(pair[0], SHUT_WR);
    if (sent) {
        // The first frame as before log-on, the others as after.
        kel::server::HeldBytes held;
        const kel::server::FrameRule logon{static_cast<uint32_t>(24 + sizeof(_LogonBody)), kel::net::kLogonTransCode};
        const bool firstIsLogon = !decoded.empty() && decoded[0].body.size() == sizeof(_LogonBody) &&
                                  decoded[0].head.nTransCode == kel::net::kLogonTransCode;
        std::size_t i = 0;
        for (;; ++i) {
            _PacketHead head{};
            std::vector<char> body;
            const auto got = kel::server::ReadRequest(pair[1], i == 0 ? logon : kel::server::FrameRule{},
                                                      kel::net::DeadlineAfter(1000), held, head, body);
            FUZZ_CHECK(held.Now() == 0);
            if (got != kel::server::ReadOutcome::kWhole) {
                if (i == 0 && !decoded.empty() && !firstIsLogon)
                    FUZZ_CHECK(got == kel::server::ReadOutcome::kRefusedAtHead);
                break;
            }
            FUZZ_CHECK(i < decoded.size());
            FUZZ_CHECK(std::memcmp(&head, &decoded[i].head, sizeof head) == 0 && body == decoded[i].body);
        }
        FUZZ_CHECK(i == decoded.size() || (i == 0 && !firstIsLogon));
        FUZZ_CHECK(held.Peak() <= 24 + std::max<std::size_t>(bytes.size(), kel::server::kReadChunkBytes) * 2);
    }
    ::close(pair[0]);
    ::close(pair[1]);
    return 0;
}
