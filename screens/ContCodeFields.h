// The treaty code record as the treaty code list and its form show it.
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

const FieldTable<_ContCodeStruct>& ContCodeFields();

}  // namespace kel::screens
