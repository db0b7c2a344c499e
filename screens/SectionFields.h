// The section record and the section's product record as the section list, its
// form and its product grid show them.
#pragma once

#include "common/records/Records.h"
#include "screens/FieldTable.h"

namespace kel::screens {

const FieldTable<_SectionStruct>& SectionFields();
const FieldTable<_SectDetailStruct>& SectProductFields();

}  // namespace kel::screens
