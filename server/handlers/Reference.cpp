// Exchange rates (210).
#include "common/records/Records.h"
#include "server/ColumnTable.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"

namespace kel::server::handlers {
namespace {

using namespace sql;

// Rates are read only: they come with the reference data.
using RateColumns = ColumnsOf<_ExchRateStruct>;
const ColumnTable<_ExchRateStruct> kRates{
    RateColumns::Real(&_ExchRateStruct::dExchRate, "n_rate", "exchange rate").Uses(kSelect),
    RateColumns::Text(&_ExchRateStruct::szSrcCurr, "c_src_cur", "source currency").Uses(kSelect),
    RateColumns::Text(&_ExchRateStruct::szDstCurr, "c_dst_cur", "target currency").Uses(kSelect),
    RateColumns::Date(&_ExchRateStruct::szStartDate, "c_start_date", "start date").Uses(kSelect),
    RateColumns::Date(&_ExchRateStruct::szEndDate, "c_end_date", "end date", true).Uses(kSelect),
};

}  // namespace

std::vector<StoredColumns> ReferenceTables() { return {{"t_exch_rate", &kRates.Rows()}}; }

void ExchRateList(Call& c) {
    Each(c.db, "SELECT " + kRates.Names(kSelect) + " FROM t_exch_rate ORDER BY c_src_cur, c_dst_cur, c_start_date", {},
         [&](const RowCells& row) {
             std::size_t at = 0;
             kRates.Pack(row, at, c.answer.Add<_ExchRateStruct>());
             return true;
         });
}

}  // namespace kel::server::handlers
