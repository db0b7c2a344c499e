#include "data/InsrClassDtlMgr.h"

#include "common/records/TransactionCodes.h"

using namespace kel::records;

CInsrClassDtlMgr::CInsrClassDtlMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stFilter{} {}

bool CInsrClassDtlMgr::GetInsrClassDtlList(char** answer, int* count) {
    _InsrClassDtlFilter request{};
    request.stFilter = m_stFilter;
    if (!ExecQuery(MakeHead(211), reinterpret_cast<const char*>(&request), sizeof request, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}

bool CInsrClassDtlMgr::Insert() {
    if (!ExecRecords(MakeHead(212, kOpInsert), nullptr, 0, m_arrClassDtl.Data(), m_arrClassDtl.Count(),
                     sizeof(_InsrClassDtlStruct)))
        return false;
    return CBaseMgr::Insert();
}
