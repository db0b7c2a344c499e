// Conversion between the date fields' text ("####/##/##", "####/##") and the stored
// form ("YYYYMMDD", "YYYYMM"). Anything that is not a real date converts to "".
#pragma once

#include <string>

namespace kel {

// Mode 0: "2024/01/31" -> "20240131", "2024/01" -> "202401" (also accepts the
// digits alone). Mode 1: "20240131" -> "2024/01/31", "202401" -> "2024/01".
std::string FormatDate(const std::string& text, int mode);

bool IsValidDate(int year, int month, int day);

}  // namespace kel
