// The treaty data record as the treaty data search shows it in its 35 columns and
// as the treaty data form shows it in its fields.
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

// Grid: ratios as fractions ("%-5.4f" and every further digit the value has);
// form: ratios as percentages ("%.2f" and every further digit), amounts and
// integers as they are. The treaty type text is shown, never saved. The rows say
// which fields the form requires (asked for in rank order) and what an added
// treaty shows first.
const FieldTable<_ContInfoStruct>& ContInfoFields();

}  // namespace kel::screens
