// The year-month fields of the treaty order screens: what the field holds in the
// stored form ("202401"), and the refusal of a month that is not one ("2024/13", or
// a month typed only in part) before anything is sent.
#pragma once

#include "host/qxcommon/BaseBase.h"

namespace kel::screens {

enum class MonthRead { Ok, Empty, Invalid };

// Reads date field `nID`: its text converted with FormatDate mode 0, trailing blanks
// trimmed, into `month`. Empty when the field is; Invalid when the text is no real
// month, and then the user is told, and the focus goes to the field.
MonthRead ReadOrderMonth(CBASEBASE& screen, int nID, CString& month);

// The information notice of the order screens (caption "Zenva再保系统").
void OrderNotice(CBASEBASE& screen, const char* text);

}  // namespace kel::screens
