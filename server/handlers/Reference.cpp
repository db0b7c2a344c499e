// Exchange rates (210).
#include "common/records/Records.h"
#include "server/Handlers.h"
#include "server/Sql.h"

namespace kel::server::handlers {

using namespace sql;

void ExchRateList(Call& c) {
    const auto rs = Query(c.db,
                          "SELECT n_rate, c_src_cur, c_dst_cur, c_start_date, c_end_date FROM t_exch_rate "
                          "ORDER BY c_src_cur, c_dst_cur, c_start_date");
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_ExchRateStruct>();
        r.dExchRate = Num(row[0]);
        wire::Put(r.szSrcCurr, Str(row[1]));
        wire::Put(r.szDstCurr, Str(row[2]));
        wire::Put(r.szStartDate, Str(row[3]));
        wire::Put(r.szEndDate, Str(row[4]));
    }
}

}  // namespace kel::server::handlers
