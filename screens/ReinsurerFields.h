// The reinsurer record as the reinsurer list and its form show it, and the bank
// account record as the form's account grid and the account form show it.
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

const FieldTable<_RICompanyStruct>& RICompanyFields();
const FieldTable<_RIAccountStruct>& RIAccountFields();

}  // namespace kel::screens
