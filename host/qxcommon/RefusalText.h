// What the user is told when the application server refuses a command: the answer's
// status byte in the user's words, and for the commands that store or delete one
// record, what the refusal means for that record (for an update or delete, that
// someone else may have changed it since it was read: read it again).
#pragma once

#include <cstdint>

#include "host/win/CString.h"

namespace kel {

// The message for a command `code` sent with `operation` and answered with the
// non-zero `status`.
CString RefusalText(int code, int32_t operation, int status);

}  // namespace kel
