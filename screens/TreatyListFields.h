// The records of the treaty data form's lists, one field table each: a reinsurer's
// participation and a product's share (the form's two grids, TreatyLists.*), and a
// broker's sub-reinsurer (the participation form's grid).
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

// Shares as fractions with at least four decimals, limits with two ("无限额" for
// no limit); the hidden columns hold the participant's sub-reinsurer records.
const FieldTable<_ContReinsStruct>& ContReinsFields();
// Ratios and the coefficient with at least two decimals, amounts with two
// ("无限额" for no limit); the hidden columns hold the coefficient, the setting
// type and the copy flag.
const FieldTable<_ContRiskStruct>& ContRiskFields();
// The sub-reinsurer's code and share as the participation form's grid shows them;
// the broker's code and share come from the form itself.
const FieldTable<_ContExtraStruct>& ContExtraFields();

}  // namespace kel::screens
