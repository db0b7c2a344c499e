// The reinsurers behind each broker (216, 217).
#include "common/records/TransactionCodes.h"
#include "server/ColumnTable.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

// The broker and reinsurer codes are the key: written once, never changed by an update.
using AgentColumns = ColumnsOf<_RIAgentStruct>;
const ColumnTable<_RIAgentStruct> kAgents{
    AgentColumns::Required(&_RIAgentStruct::szBrokerCode, "c_broker_cde", "broker code").Uses(kSelect | kInsert),
    AgentColumns::Required(&_RIAgentStruct::szRICode, "c_ri_cde", "reinsurer code").Uses(kSelect | kInsert),
    AgentColumns::Text(&_RIAgentStruct::szChnName, "c_nme_cn", "Chinese name"),
    AgentColumns::Text(&_RIAgentStruct::szEngName, "c_nme_en", "English name"),
    AgentColumns::Text(&_RIAgentStruct::szShortName, "c_abbr", "abbreviation"),
    AgentColumns::Text(&_RIAgentStruct::szAddress, "c_addr", "address"),
    AgentColumns::Text(&_RIAgentStruct::szPhone, "c_tel", "telephone"),
    AgentColumns::Text(&_RIAgentStruct::szFax, "c_fax", "fax"),
    AgentColumns::Letter(&_RIAgentStruct::cKind, "c_kind", "kind"),
    AgentColumns::Text(&_RIAgentStruct::szContact, "c_contact", "contact person"),
    AgentColumns::Text(&_RIAgentStruct::szCountry, "c_country_cde", "country or region").Code(),
    AgentColumns::Text(&_RIAgentStruct::szCredit, "c_credit_lvl", "credit rating"),
};

}  // namespace

std::vector<StoredColumns> BrokerTables() { return {{"t_ri_agent", &kAgents.Rows()}}; }

void RIAgentList(Call& c) {
    const auto key = Load<_RICodeKey>(c.body);
    const std::string broker = wire::Code(key.szRICode, "broker code");
    Each(c.db,
         "SELECT " + kAgents.Names(kSelect) + ", n_version FROM t_ri_agent WHERE c_broker_cde = ? ORDER BY c_ri_cde",
         {Text(broker)}, [&](const RowCells& row) {
             std::size_t at = 0;
             kAgents.Pack(row, at, c.answer.Add<_RIAgentStruct>());
             Answered(c, "t_ri_agent", KeyText({std::string(row.Text(0)), std::string(row.Text(1))}), row.Int(at));
             return true;
         });
}

void RIAgentStore(Call& c) {
    using namespace kel::records;
    const auto r = Load<_RIAgentStruct>(c.body);
    // Every field is checked, whatever the operation.
    const Params values = kAgents.Values(r, kInsert);
    const std::string broker = Str(kAgents.ValueOf(values, "c_broker_cde", kInsert));
    const std::string code = Str(kAgents.ValueOf(values, "c_ri_cde", kInsert));
    const Params key{Text(broker), Text(code)};
    const bool exists = Exists(c.db, "SELECT 1 FROM t_ri_agent WHERE c_broker_cde = ? AND c_ri_cde = ?", key);
    const StoredRecord record = BrokerEntryRecord(broker, code);
    switch (c.head.nOperation) {
        case kOpInsert:
            if (exists)
                Refuse("broker " + broker + " already has reinsurer " + code,
                       "经纪人" + broker + "下已有再保人" + code);
            if (!Exists(c.db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", {Text(broker)}))
                Refuse("no broker " + broker, "经纪人" + broker + "不存在");
            // A new entry is the broker's code followed by a reinsurer's that exists.
            if (code.size() <= broker.size() || code.compare(0, broker.size(), broker) != 0)
                BadRequest("reinsurer code " + code + " does not begin with the broker code " + broker,
                           "再保人代码" + code + "须以经纪人代码" + broker + "开头");
            if (!Exists(c.db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", {Text(code.substr(broker.size()))}))
                Refuse("no reinsurer " + code.substr(broker.size()) + " for the entry " + code,
                       "再保人" + code.substr(broker.size()) + "不存在");
            Execute(c.db,
                    "INSERT INTO t_ri_agent (" + kAgents.Names(kInsert) + ") VALUES (" +
                        Placeholders(kAgents.Count(kInsert)) + ")",
                    values);
            Written(c, record);
            break;
        case kOpUpdate: {
            if (!exists)
                Refuse("broker " + broker + " has no reinsurer " + code, "经纪人" + broker + "下没有再保人" + code);
            RequireUnchanged(c, record);
            Params update = kAgents.Values(r, kUpdate);
            update.insert(update.end(), key.begin(), key.end());
            Execute(
                c.db,
                "UPDATE t_ri_agent SET " + kAgents.Assignments(kUpdate) + " WHERE c_broker_cde = ? AND c_ri_cde = ?",
                update);
            Written(c, record);
            break;
        }
        default:
            if (!exists)
                Refuse("broker " + broker + " has no reinsurer " + code, "经纪人" + broker + "下没有再保人" + code);
            RequireUnchanged(c, record);
            Execute(c.db, "DELETE FROM t_ri_agent WHERE c_broker_cde = ? AND c_ri_cde = ?", key);
            Deleted(c, record);
            break;
    }
}

}  // namespace kel::server::handlers
