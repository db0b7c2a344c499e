// The table of every transaction the module sends: who sends it, which
// subsystem value its head carries, how long its request body must be and
// what its answer holds. Header-only; the application server registers its
// handlers against the same table and checks requests with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/records/Records.h"

namespace kel::records {

// Values of _PacketHead::nOperation.
inline constexpr int32_t kOpInsert = 0;
inline constexpr int32_t kOpUpdate = 1;
inline constexpr int32_t kOpDelete = 2;

enum class TransKind : uint8_t {
    Query,          // sent by a manager, the answer carries records
    Command,        // sent by a manager, the answer is a head
    ScreenQuery,    // built by a screen, the answer carries data
    ScreenCommand,  // built by a screen, the answer is a head
    Screen,         // built by a screen, the screen reads only the status
};

enum class BodyRule : uint8_t {
    Empty,             // no body
    Fixed,             // exactly nFixed bytes
    FixedOrDeleteKey,  // nFixed bytes; a delete sends only the first nDeleteKey bytes
    Records,           // head count x nRecord bytes
    FixedPlusRecords,  // nFixed bytes, then head count x nRecord bytes
    ContSubLists,      // _ContSubHead, _ContInfoStruct, then the three lists it counts
};

enum class AnswerRule : uint8_t {
    HeadOnly,      // only the status byte matters
    Records,       // head count x nAnswerRecord bytes
    ContSubLists,  // _ContSubListHead, then the three lists it counts
    CountOnly,     // the head count is the result, no body is read
};

// Bit (1 << operation) for each operation value a request may carry.
inline constexpr uint8_t kOpsNone = 1u << kOpInsert;  // requests that carry 0
inline constexpr uint8_t kOpsAll = 0x7;

struct TransactionInfo {
    int16_t nCode;
    TransKind kind;
    const char* szSender;
    int16_t nSubSystem;
    BodyRule bodyRule;
    uint16_t nFixed;      // fixed body size (Fixed, FixedOrDeleteKey, FixedPlusRecords, ContSubLists)
    uint16_t nRecord;     // size of each repeated record (Records, FixedPlusRecords)
    uint16_t nDeleteKey;  // delete body size (FixedOrDeleteKey)
    uint8_t nOperations;  // allowed operation values, bit per value
    AnswerRule answerRule;
    uint16_t nAnswerRecord;  // size of each answer record (AnswerRule::Records)
    const char* szMeaning;
};

namespace detail {
// Short names for the table below only.
inline constexpr int16_t S82 = kSubSystemDefault;
inline constexpr int16_t S80 = kSubSystemPrompt;
using K = TransKind;
using B = BodyRule;
using A = AnswerRule;
inline constexpr uint8_t I = 1u << kOpInsert, U = 1u << kOpUpdate, D = 1u << kOpDelete;
}  // namespace detail

// Sizes are the wire contract written out; the tests hold them against the records.
inline constexpr std::size_t kTransactionCount = 38;
inline constexpr std::array<TransactionInfo, kTransactionCount> kTransactions = [] {
    using namespace detail;
    return std::array<TransactionInfo, kTransactionCount>{{
        {134, K::ScreenQuery, "treaty order screen S0000S6", S82, B::Fixed, 7, 0, 0, kOpsNone, A::Records, 132,
         "load a month's treaty order"},
        {135, K::ScreenCommand, "treaty order screen S0000S6", S82, B::Fixed, 10, 0, 0, kOpsNone, A::HeadOnly, 0,
         "delete a treaty from the order"},
        {136, K::ScreenCommand, "treaty order screen S0000S6", S82, B::Fixed, 11, 0, 0, kOpsNone, A::HeadOnly, 0,
         "move a treaty up or down"},
        {137, K::ScreenCommand, "priority edit screen S0000S61", S82, B::Fixed, 16, 0, 0, kOpsNone, A::HeadOnly, 0,
         "add a treaty to the order"},
        {138, K::ScreenCommand, "order add screen S0000S60", S82, B::Fixed, 14, 0, 0, kOpsNone, A::HeadOnly, 0,
         "copy a month's order to a new month"},
        {163, K::ScreenQuery, "prompt customization screen S0000SD", S80, B::Fixed, 21, 0, 0, kOpsNone, A::Records, 23,
         "load the user's prompt settings"},
        {164, K::Screen, "prompt customization screen S0000SD", S80, B::Fixed, 23, 0, 0, kOpsNone, A::HeadOnly, 0,
         "save one prompt setting"},
        {165, K::ScreenQuery, "detail information screen S0000SE", S80, B::Fixed, 21, 0, 0, kOpsNone, A::CountOnly, 0,
         "count the user's detail information items"},
        {166, K::ScreenQuery, "detail information screen S0000SE", S80, B::Fixed, 21, 0, 0, kOpsNone, A::Records, 244,
         "list the user's detail information items"},
        {167, K::Screen, "detail information screen S0000SE", S80, B::Fixed, 32, 0, 0, kOpsNone, A::HeadOnly, 0,
         "act on one detail information item"},
        {180, K::Query, "CContCodeMgr::GetContCodeList", S82, B::Empty, 0, 0, 0, kOpsNone, A::Records, 127,
         "all treaty codes"},
        {181, K::Command, "CContCodeMgr Insert/Update/Delete", S82, B::FixedOrDeleteKey, 127, 0, 3, I | U | D,
         A::HeadOnly, 0, "store a treaty code"},
        {182, K::Query, "CRICompanyMgr::GetRICompanyList", S82, B::Empty, 0, 0, 0, kOpsNone, A::Records, 1054,
         "all reinsurers"},
        {183, K::Command, "CRICompanyMgr Insert/Update", S82, B::FixedPlusRecords, 1054, 377, 0, I | U, A::HeadOnly, 0,
         "store a reinsurer with its accounts"},
        {186, K::Query, "CContInfoMgr::GetContInfoList", S82, B::Fixed, 9, 0, 0, kOpsNone, A::Records, 312,
         "treaty data records"},
        {187, K::Command, "CContInfoMgr::Update", S82, B::ContSubLists, 432, 0, 0, U, A::HeadOnly, 0,
         "update treaty data"},
        {188, K::Command, "CContInfoMgr::Delete", S82, B::Fixed, 32, 0, 0, D, A::HeadOnly, 0, "delete treaty data"},
        {189, K::Command, "CContInfoMgr::Insert", S82, B::ContSubLists, 432, 0, 0, I, A::HeadOnly, 0,
         "insert treaty data"},
        {190, K::Query, "CContInfoMgr::GetContSubList", S82, B::Fixed, 10, 0, 0, kOpsNone, A::ContSubLists, 0,
         "sub-records of one treaty data record"},
        {191, K::Query, "CSectionMgr::GetSectionList", S82, B::Fixed, 64, 0, 0, kOpsNone, A::Records, 136, "sections"},
        {192, K::Command, "CSectionMgr Insert/Update/Delete", S82, B::Fixed, 136, 0, 0, I | U | D, A::HeadOnly, 0,
         "store a section"},
        {193, K::Query, "CSectDetailMgr::GetSectDetailList", S82, B::Fixed, 64, 0, 0, kOpsNone, A::Records, 60,
         "details of a section"},
        {194, K::Command, "CSectDetailMgr::Insert", S82, B::Records, 0, 60, 0, I, A::HeadOnly, 0,
         "store the products of a section"},
        {198, K::Query, "CInsrncSectMgr::GetInsrncSectList", S82, B::Fixed, 64, 0, 0, kOpsNone, A::Records, 120,
         "insurance sections"},
        {199, K::Command, "CInsrncSectMgr Insert/Update/Delete", S82, B::Fixed, 120, 0, 0, I | U | D, A::HeadOnly, 0,
         "store an insurance section"},
        {200, K::Command, "CContInfoMgr::GenerateCont", S82, B::Fixed, 312, 0, 0, kOpsNone, A::HeadOnly, 0,
         "generate the treaty from its data"},
        {201, K::Command, "CContDetailInfo::AdjustDetail", S82, B::Fixed, 20, 0, 0, I | U | D, A::HeadOnly, 0,
         "adjust treaty details"},
        {205, K::Query, "CContDetailInfo::GetContDetailList", S82, B::Fixed, 164, 0, 0, kOpsNone, A::Records, 164,
         "treaty details"},
        {206, K::Command, "CContDetailInfo Update/Delete", S82, B::Fixed, 164, 0, 0, U | D, A::HeadOnly, 0,
         "store a treaty detail"},
        {207, K::Query, "CContInfoMgr::GetCheckResult", S82, B::Fixed, 64, 0, 0, kOpsNone, A::Records, 41,
         "check result of treaty data"},
        {210, K::Query, "CExchRateMgr::GetExchRateList", S82, B::Empty, 0, 0, 0, kOpsNone, A::Records, 32,
         "all exchange rates"},
        {211, K::Query, "CInsrClassDtlMgr::GetInsrClassDtlList", S82, B::Fixed, 164, 0, 0, kOpsNone, A::Records, 64,
         "treaty class details"},
        {212, K::Command, "CInsrClassDtlMgr::Insert", S82, B::Records, 0, 64, 0, I, A::HeadOnly, 0,
         "store treaty class details"},
        {214, K::Command, "CRICompanyMgr::Delete", S82, B::Fixed, 5, 0, 0, D, A::HeadOnly, 0, "delete a reinsurer"},
        {215, K::Query, "CRICompanyMgr::GetRIAccountList", S82, B::Fixed, 5, 0, 0, kOpsNone, A::Records, 377,
         "a reinsurer's accounts"},
        {216, K::Query, "CRIAgentCom::GetRIAgentList", S82, B::Fixed, 5, 0, 0, kOpsNone, A::Records, 820,
         "broker entries"},
        {217, K::Command, "CRIAgentCom Insert/Update/Delete", S82, B::Fixed, 820, 0, 0, I | U | D, A::HeadOnly, 0,
         "store a broker entry"},
        {3019, K::ScreenQuery, "broker edit screen S0000SV0", S82, B::Fixed, 1054, 0, 0, kOpsNone, A::Records, 1054,
         "look up a reinsurer"},
    }};
}();

// A transaction of this system's own, outside the table above: the reason, in the
// user's words, why this connection's last request was refused. The request has
// no body; the answer carries one kRefusalReasonBytes-byte GBK text ending with a
// NUL (count 1), or nothing (count 0) when the last request was not refused. A
// server that does not know the code answers status 4: the client then shows its
// own message alone.
inline constexpr int16_t kRefusalReasonCode = 9000;
inline constexpr std::size_t kRefusalReasonBytes = 256;
inline constexpr TransactionInfo kRefusalReasonTransaction{kRefusalReasonCode,
                                                           TransKind::Query,
                                                           "CBASEBASE refusal messages",
                                                           kSubSystemDefault,
                                                           BodyRule::Empty,
                                                           0,
                                                           0,
                                                           0,
                                                           kOpsNone,
                                                           AnswerRule::Records,
                                                           kRefusalReasonBytes,
                                                           "the reason of this connection's last refusal"};

namespace detail {
constexpr bool CodesUnique() {
    for (std::size_t i = 0; i < kTransactions.size(); ++i)
        for (std::size_t j = i + 1; j < kTransactions.size(); ++j)
            if (kTransactions[i].nCode == kTransactions[j].nCode) return false;
    for (const TransactionInfo& t : kTransactions)
        if (t.nCode == kRefusalReasonCode) return false;
    return true;
}
}  // namespace detail
static_assert(detail::CodesUnique(), "a transaction code is listed twice");

// The entry of a transaction code, or nullptr for a code the module never sends.
constexpr const TransactionInfo* FindTransaction(int code) {
    for (const TransactionInfo& t : kTransactions)
        if (t.nCode == code) return &t;
    return nullptr;
}

constexpr bool IsOperationAllowed(const TransactionInfo& t, int32_t operation) {
    return operation >= 0 && operation <= 2 && (t.nOperations & (1u << operation)) != 0;
}

// Body size of 187 and 189 (and answer size of 190 without the main record)
// for the given list counts; nullopt for a negative count.
constexpr std::optional<std::size_t> ContSubListsSize(int32_t reins, int32_t risk, int32_t extra,
                                                      bool withMainRecord = true) {
    if (reins < 0 || risk < 0 || extra < 0) return std::nullopt;
    return sizeof(_ContSubHead) + (withMainRecord ? sizeof(_ContInfoStruct) : 0) +
           static_cast<std::size_t>(reins) * sizeof(_ContReinsStruct) +
           static_cast<std::size_t>(risk) * sizeof(_ContRiskStruct) +
           static_cast<std::size_t>(extra) * sizeof(_ContExtraStruct);
}

// Request body size that a head with this count and operation requires.
// nullopt when the count is negative, or for BodyRule::ContSubLists, whose
// size depends on the counts inside the body (see ContSubCountsOf).
constexpr std::optional<std::size_t> ExpectedBodySize(const TransactionInfo& t, int headCount, int32_t operation) {
    switch (t.bodyRule) {
        case BodyRule::Empty: return 0;
        case BodyRule::Fixed: return t.nFixed;
        case BodyRule::FixedOrDeleteKey: return operation == kOpDelete ? t.nDeleteKey : t.nFixed;
        case BodyRule::Records:
        case BodyRule::FixedPlusRecords:
            if (headCount < 0) return std::nullopt;
            return t.nFixed + static_cast<std::size_t>(headCount) * t.nRecord;
        case BodyRule::ContSubLists: return std::nullopt;
    }
    return std::nullopt;
}

// The three list counts of a treaty data body or sub-list answer. The 120-byte
// head orders them differently for 189 (insert), 187 (update) and 190 (answer).
struct ContSubCounts {
    int32_t nReins = 0;
    int32_t nRisk = 0;
    int32_t nExtra = 0;
};

constexpr std::optional<ContSubCounts> ContSubCountsOf(int code, const _ContSubHead& h) {
    switch (code) {
        case 189: return ContSubCounts{h.nWord2, h.nWord3, h.nWord4};
        case 187: return ContSubCounts{h.nWord3, h.nWord2, h.nWord4};
        case 190: return ContSubCounts{h.nWord0, h.nWord1, h.nWord2};
        default: return std::nullopt;
    }
}

// The 120-byte head for 189, 187 or 190 with these counts, all other bytes zero.
constexpr std::optional<_ContSubHead> MakeContSubHead(int code, const ContSubCounts& c) {
    _ContSubHead h{};
    switch (code) {
        case 189:
            h.nWord0 = 1;
            h.nWord1 = 1;
            h.nWord2 = c.nReins;
            h.nWord3 = c.nRisk;
            h.nWord4 = c.nExtra;
            break;
        case 187:
            h.nWord0 = 1;
            h.nWord1 = 1;
            h.nWord2 = c.nRisk;
            h.nWord3 = c.nReins;
            h.nWord4 = c.nExtra;
            break;
        case 190:
            h.nWord0 = c.nReins;
            h.nWord1 = c.nRisk;
            h.nWord2 = c.nExtra;
            break;
        default: return std::nullopt;
    }
    return h;
}

}  // namespace kel::records
