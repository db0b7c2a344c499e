// The stored columns of a treaty data record's three lists, shared by the treaty
// data handler, which stores and reads them, and the generation of the details,
// which reads its terms from them.
#pragma once

#include "common/records/Records.h"
#include "server/ColumnTable.h"

namespace kel::server::handlers {

const ColumnTable<_ContReinsStruct>& ContReinsColumns();  // t_cont_reins
const ColumnTable<_ContRiskStruct>& ContRiskColumns();    // t_cont_risk
const ColumnTable<_ContExtraStruct>& ContExtraColumns();  // t_cont_extra

}  // namespace kel::server::handlers
