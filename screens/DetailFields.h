// The treaty detail line as the detail search lists it and the line adjustment
// form shows it: one table for both.
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

const FieldTable<_ContDetailStruct>& DetailFields();

}  // namespace kel::screens
