// Stored values of 4-byte float fields without the float's noise.
//
// The product share rows carry their quota share and co-insurance coefficient as
// floats. Servers before this one widened them as they came (0.3 was stored as
// 0.300000011920929), and the detail lines took that noise over. Opening a store
// gives such values the decimal they stand for; a clean store is left as it is.
#pragma once

#include <cstdint>

#include "server/Sql.h"

namespace kel::server {

// Rewrites every noisy value of the float columns; the number of rows changed.
// Throws Fault(kServerFailure).
int64_t CleanStoredFloats(sql::Connection& db);

}  // namespace kel::server
