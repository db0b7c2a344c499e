#include "server/CommandTable.h"

#include <array>
#include <cstring>
#include <string>

#include "server/Limits.h"
#include "server/Status.h"

namespace kel::server {
namespace {

namespace h = handlers;

// The rule of a code known at compile time; a code missing from the shared
// table stops the build.
consteval const kel::records::TransactionInfo* Rule(int code) {
    // A loop rather than FindTransaction's null answer: the sanitizers' null
    // checks make a pointer comparison unusable at compile time.
    for (const auto& t : kel::records::kTransactions)
        if (t.nCode == code) return &t;
    throw "transaction code missing from common/records/TransactionCodes.h";
}

constexpr std::array kCommands = {
    Command{Rule(134), Tx::None, h::OrderLoad},          Command{Rule(135), Tx::Write, h::OrderDelete},
    Command{Rule(136), Tx::Write, h::OrderMove},         Command{Rule(137), Tx::Write, h::OrderAdd},
    Command{Rule(138), Tx::Write, h::OrderCopy},         Command{Rule(163), Tx::None, h::PromptLoad},
    Command{Rule(164), Tx::Write, h::PromptSet},         Command{Rule(165), Tx::None, h::DetailInfoCount},
    Command{Rule(166), Tx::None, h::DetailInfoList},     Command{Rule(167), Tx::Write, h::DetailInfoDone},
    Command{Rule(180), Tx::None, h::ContCodeList},       Command{Rule(181), Tx::Write, h::ContCodeStore},
    Command{Rule(182), Tx::None, h::RICompanyList},      Command{Rule(183), Tx::Write, h::RICompanyStore},
    Command{Rule(186), Tx::None, h::ContInfoList},       Command{Rule(187), Tx::Write, h::ContInfoUpdate},
    Command{Rule(188), Tx::Write, h::ContInfoDelete},    Command{Rule(189), Tx::Write, h::ContInfoInsert},
    Command{Rule(190), Tx::Read, h::ContSubList},        Command{Rule(191), Tx::None, h::SectionList},
    Command{Rule(192), Tx::Write, h::SectionStore},      Command{Rule(193), Tx::None, h::SectDetailList},
    Command{Rule(194), Tx::Write, h::SectDetailStore},   Command{Rule(198), Tx::None, h::InsrncSectList},
    Command{Rule(199), Tx::Write, h::InsrncSectStore},   Command{Rule(200), Tx::Write, h::GenerateCont},
    Command{Rule(201), Tx::Write, h::AdjustDetail},      Command{Rule(205), Tx::None, h::ContDetailList},
    Command{Rule(206), Tx::Write, h::ContDetailStore},   Command{Rule(207), Tx::Read, h::CheckCont},
    Command{Rule(210), Tx::None, h::ExchRateList},       Command{Rule(211), Tx::None, h::InsrClassDtlList},
    Command{Rule(212), Tx::Write, h::InsrClassDtlStore}, Command{Rule(214), Tx::Write, h::RICompanyDelete},
    Command{Rule(215), Tx::None, h::RIAccountList},      Command{Rule(216), Tx::None, h::RIAgentList},
    Command{Rule(217), Tx::Write, h::RIAgentStore},      Command{Rule(3019), Tx::None, h::RICompanyLookup},
};

static_assert(kCommands.size() == kel::records::kTransactionCount, "every transaction code has a handler");

}  // namespace

const Command* FindCommand(int code) {
    for (const Command& c : kCommands)
        if (c.rule->nCode == code) return &c;
    return nullptr;
}

void CheckRequest(const kel::records::TransactionInfo& rule, const _PacketHead& head, std::string_view body) {
    using namespace kel::records;
    if (!IsOperationAllowed(rule, head.nOperation))
        BadRequest("operation " + std::to_string(head.nOperation) + " is not one of this transaction");
    std::optional<std::size_t> expected;
    if (rule.bodyRule == BodyRule::ContSubLists) {
        if (body.size() < sizeof(_ContSubHead)) BadRequest("body shorter than its list head");
        _ContSubHead sub;
        std::memcpy(&sub, body.data(), sizeof sub);
        const auto counts = ContSubCountsOf(rule.nCode, sub);
        if (counts) expected = ContSubListsSize(counts->nReins, counts->nRisk, counts->nExtra);
        if (!expected) BadRequest("negative list count");
        if (counts->nReins > kMaxParticipants || counts->nRisk > kMaxProductShareRows ||
            counts->nExtra > kMaxSubReinsurers)
            BadRequest("more than " + std::to_string(kMaxParticipants) + " participants, " +
                       std::to_string(kMaxProductShareRows) + " product share rows or " +
                       std::to_string(kMaxSubReinsurers) + " sub-reinsurers");
    } else {
        if ((rule.bodyRule == BodyRule::Records || rule.bodyRule == BodyRule::FixedPlusRecords) && head.nCount < 0)
            BadRequest("negative record count");
        expected = ExpectedBodySize(rule, head.nCount, head.nOperation);
        if (!expected) BadRequest("no body size for this head");
    }
    if (body.size() != *expected)
        BadRequest("body of " + std::to_string(body.size()) + " bytes, expected " + std::to_string(*expected));
}

}  // namespace kel::server
