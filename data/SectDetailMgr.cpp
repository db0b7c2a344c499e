#include "data/SectDetailMgr.h"

#include "common/records/TransactionCodes.h"

using namespace kel::records;

CSectDetailMgr::CSectDetailMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stSectDetail{} {}

bool CSectDetailMgr::GetSectDetailList(char** answer, int* count) {
    _TextKey64 key;
    if (!MakeDecimalKey(key.szKey, sizeof key.szKey, m_stSectDetail.nSectId)) return false;
    if (!ExecQuery(MakeHead(193), key.szKey, sizeof key, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}

bool CSectDetailMgr::Insert() {
    if (!ExecRecords(MakeHead(194, kOpInsert), nullptr, 0, m_arrSectDetail.Data(), m_arrSectDetail.Count(),
                     sizeof(_SectDetailStruct)))
        return false;
    return CBaseMgr::Insert();
}
