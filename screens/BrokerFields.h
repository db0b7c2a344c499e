// The broker entry record as the broker's list and the entry form show it.
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

const FieldTable<_RIAgentStruct>& RIAgentFields();

}  // namespace kel::screens
