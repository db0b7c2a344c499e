#include "data/ExchRateMgr.h"

CExchRateMgr::CExchRateMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner) {}

bool CExchRateMgr::GetExchRateList(char** answer, int* count) {
    if (!ExecQuery(MakeHead(210), nullptr, 0, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}
