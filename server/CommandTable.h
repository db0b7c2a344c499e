// The command table: one entry per transaction code, naming the request size rule
// (the entry of the shared transaction table), how the handler runs and the handler.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/records/TransactionCodes.h"
#include "server/Handlers.h"

namespace kel::server {

enum class Tx : uint8_t {
    None,   // one statement: no transaction of its own
    Read,   // several reads from one snapshot
    Write,  // one write transaction, one writer at a time
};

struct Command {
    const kel::records::TransactionInfo* rule;  // sizes, counts, operations
    Tx tx;
    Handler handler;
};

// The entry of a code, or nullptr.
const Command* FindCommand(int code);

// Holds the request against its rule: operation, head count and body size
// (for 187 and 189 the counts inside the body). Throws Fault(kBadRequest).
void CheckRequest(const kel::records::TransactionInfo& rule, const _PacketHead& head, std::string_view body);

}  // namespace kel::server
