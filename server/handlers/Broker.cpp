// The reinsurers behind each broker (216, 217).
#include "common/records/TransactionCodes.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/Versions.h"

namespace kel::server::handlers {

using namespace sql;
using wire::Load;

void RIAgentList(Call& c) {
    const auto key = Load<_RICodeKey>(c.body);
    const std::string broker = wire::Text(key.szRICode, "broker code");
    const auto rs = Query(c.db,
                          "SELECT c_broker_cde, c_ri_cde, c_nme_cn, c_nme_en, c_abbr, c_addr, c_tel, c_fax, c_kind, "
                          "c_contact, c_country_cde, c_credit_lvl, n_version FROM t_ri_agent WHERE c_broker_cde = ? "
                          "ORDER BY c_ri_cde",
                          {Text(broker)});
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_RIAgentStruct>();
        wire::Put(r.szBrokerCode, Str(row[0]));
        wire::Put(r.szRICode, Str(row[1]));
        wire::Put(r.szChnName, Str(row[2]));
        wire::Put(r.szEngName, Str(row[3]));
        wire::Put(r.szShortName, Str(row[4]));
        wire::Put(r.szAddress, Str(row[5]));
        wire::Put(r.szPhone, Str(row[6]));
        wire::Put(r.szFax, Str(row[7]));
        r.cKind = wire::LetterOf(Str(row[8]));
        wire::Put(r.szContact, Str(row[9]));
        wire::Put(r.szCountry, Str(row[10]));
        wire::Put(r.szCredit, Str(row[11]));
        Answered(c, "t_ri_agent", KeyText({Str(row[0]), Str(row[1])}), Int(row[12]));
    }
}

void RIAgentStore(Call& c) {
    using namespace kel::records;
    const auto r = Load<_RIAgentStruct>(c.body);
    const std::string broker = wire::Required(r.szBrokerCode, "broker code");
    const std::string code = wire::Required(r.szRICode, "reinsurer code");
    const Params data{Text(wire::Text(r.szChnName, "Chinese name")),
                      Text(wire::Text(r.szEngName, "English name")),
                      Text(wire::Text(r.szShortName, "abbreviation")),
                      Text(wire::Text(r.szAddress, "address")),
                      Text(wire::Text(r.szPhone, "telephone")),
                      Text(wire::Text(r.szFax, "fax")),
                      Text(wire::Letter(r.cKind, "kind")),
                      Text(wire::Text(r.szContact, "contact person")),
                      Text(wire::Text(r.szCountry, "country or region")),
                      Text(wire::Text(r.szCredit, "credit rating")),
                      Text(broker),
                      Text(code)};
    const bool exists =
        Exists(c.db, "SELECT 1 FROM t_ri_agent WHERE c_broker_cde = ? AND c_ri_cde = ?", {Text(broker), Text(code)});
    const StoredRecord record = BrokerEntryRecord(broker, code);
    switch (c.head.nOperation) {
        case kOpInsert:
            if (exists) Refuse("broker " + broker + " already has reinsurer " + code);
            if (!Exists(c.db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", {Text(broker)}))
                Refuse("no broker " + broker);
            Execute(c.db,
                    "INSERT INTO t_ri_agent (c_nme_cn, c_nme_en, c_abbr, c_addr, c_tel, c_fax, c_kind, c_contact, "
                    "c_country_cde, c_credit_lvl, c_broker_cde, c_ri_cde) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    data);
            Written(c, record);
            break;
        case kOpUpdate:
            if (!exists) Refuse("broker " + broker + " has no reinsurer " + code);
            RequireUnchanged(c, record);
            Execute(c.db,
                    "UPDATE t_ri_agent SET c_nme_cn = ?, c_nme_en = ?, c_abbr = ?, c_addr = ?, c_tel = ?, c_fax = ?, "
                    "c_kind = ?, c_contact = ?, c_country_cde = ?, c_credit_lvl = ? WHERE c_broker_cde = ? AND "
                    "c_ri_cde = ?",
                    data);
            Written(c, record);
            break;
        default:
            if (!exists) Refuse("broker " + broker + " has no reinsurer " + code);
            RequireUnchanged(c, record);
            Execute(c.db, "DELETE FROM t_ri_agent WHERE c_broker_cde = ? AND c_ri_cde = ?", {Text(broker), Text(code)});
            Deleted(c, record);
            break;
    }
}

}  // namespace kel::server::handlers
