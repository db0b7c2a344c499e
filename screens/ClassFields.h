// The insurance class record and the class's product record as the class list,
// its form and its product grid show them.
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

const FieldTable<_InsrncSectStruct>& ClassFields();
const FieldTable<_InsrClassDtlStruct>& ClassProductFields();

}  // namespace kel::screens
