// Every wire record and request body of the module, for the client and the server.
#pragma once

#include "data/PacketHead.h"
#include "data/records/ContRecords.h"
#include "data/records/RefRecords.h"
#include "data/records/RequestKeys.h"
#include "data/records/ScreenPackets.h"
#include "data/records/SectionRecords.h"
