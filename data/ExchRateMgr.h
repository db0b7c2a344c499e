// Manager of the exchange rates: read only (210).
#pragma once

#include "data/BaseMgr.h"

class CExchRateMgr : public CBaseMgr {
public:
    explicit CExchRateMgr(CBASEBASE* pOwner);

    bool GetExchRateList(char** answer, int* count);  // 210: N _ExchRateStruct
};
