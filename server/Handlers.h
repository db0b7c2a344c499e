// The transaction handlers. Each takes one checked request (the dispatcher has
// already held its size against the transaction table) and either fills the
// answer or throws a Fault. Handlers never commit: the dispatcher runs each one in
// one transaction and rolls back on any fault.
#pragma once

#include <string>
#include <string_view>

#include "common/db/Database.h"
#include "common/records/PacketHead.h"
#include "server/ConnectionContext.h"
#include "server/Limits.h"
#include "server/Wire.h"

namespace kel::server {

class Store;

struct Call {
    const _PacketHead& head;
    std::string_view body;
    kel::db::Connection& db;
    Store& store;
    wire::Answer& answer;
    const std::string& user;  // the connection's logged-on user, whom the request acts for
    ConnectionContext& client;
    const WorkLimits& limits;

    // Filled while the request runs (server/Versions.h), applied once it succeeded.
    SeenVersions seen;             // record versions answered or written
    std::vector<RecordHash> gone;  // records deleted
    int64_t change = 0;            // this write's number, once one was needed
    std::string auditKey;          // the record a write changed, for the audit (server/Audit.h)
};

using Handler = void (*)(Call&);

namespace handlers {

// Treaty order (134..138).
void OrderLoad(Call&);
void OrderDelete(Call&);
void OrderMove(Call&);
void OrderAdd(Call&);
void OrderCopy(Call&);

// Prompts and waiting documents (163..167).
void PromptLoad(Call&);
void PromptSet(Call&);
void DetailInfoCount(Call&);
void DetailInfoList(Call&);
void DetailInfoDone(Call&);

// Treaty codes (180, 181).
void ContCodeList(Call&);
void ContCodeStore(Call&);

// Reinsurers and their accounts (182, 183, 214, 215, 3019).
void RICompanyList(Call&);
void RICompanyStore(Call&);
void RICompanyDelete(Call&);
void RIAccountList(Call&);
void RICompanyLookup(Call&);

// Broker entries (216, 217).
void RIAgentList(Call&);
void RIAgentStore(Call&);

// Treaty data with its three lists (186..190).
void ContInfoList(Call&);
void ContInfoUpdate(Call&);
void ContInfoDelete(Call&);
void ContInfoInsert(Call&);
void ContSubList(Call&);

// Sections and their products (191..194).
void SectionList(Call&);
void SectionStore(Call&);
void SectDetailList(Call&);
void SectDetailStore(Call&);

// Insurance classes and their products (198, 199, 211, 212).
void InsrncSectList(Call&);
void InsrncSectStore(Call&);
void InsrClassDtlList(Call&);
void InsrClassDtlStore(Call&);

// Treaty details and the check (200, 201, 205, 206, 207).
void GenerateCont(Call&);
void AdjustDetail(Call&);
void ContDetailList(Call&);
void ContDetailStore(Call&);
void CheckCont(Call&);

// Exchange rates (210).
void ExchRateList(Call&);

}  // namespace handlers
}  // namespace kel::server
