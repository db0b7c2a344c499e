// The server's request path on any request: a 24-byte head and the body after it,
// answered by Server::Handle over the demo data. The answer always repeats the
// request's code, carries a known status, and a refused request carries no body.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzServer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kel::fuzz::DemoServer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    _PacketHead head{};
    std::memcpy(&head, data, std::min(size, sizeof head));
    const std::string_view body =
        size > sizeof head ? std::string_view(reinterpret_cast<const char*>(data) + sizeof head, size - sizeof head)
                           : std::string_view();
    _PacketHead answer{};
    std::vector<char> answerBody;
    kel::server::ConnectionContext client{"demo"};  // a fresh connection, logged on
    kel::fuzz::DemoServer().Handle(client, head, body, answer, answerBody);
    FUZZ_CHECK(answer.nTransCode == head.nTransCode && answer.nOperation == head.nOperation);
    FUZZ_CHECK(answer.cStatus >= 0 && answer.cStatus <= 5);
    FUZZ_CHECK(answer.cStatus == 0 || (answerBody.empty() && answer.nCount == 0));
    FUZZ_CHECK(answer.nCount >= 0);
    return 0;
}
