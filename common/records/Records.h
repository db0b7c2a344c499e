// Every wire record and request body of the module, for the client and the server.
#pragma once

#include "common/records/ContRecords.h"
#include "common/records/PacketHead.h"
#include "common/records/RefRecords.h"
#include "common/records/RequestKeys.h"
#include "common/records/ScreenPackets.h"
#include "common/records/SectionRecords.h"
