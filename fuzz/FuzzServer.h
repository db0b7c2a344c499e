// The server of the fuzz targets and the seed maker: a fresh SQLite file in a
// temporary folder with the demo data, its users' hashes made cheap (a log-on
// costs microseconds instead of milliseconds; the check is the same).
#pragma once

#include <memory>
#include <string>

#include "server/Server.h"

namespace kel::fuzz {

// Opens the server once per process; the folder goes when the process ends.
kel::server::Server& DemoServer();

}  // namespace kel::fuzz
