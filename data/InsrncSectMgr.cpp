#include "data/InsrncSectMgr.h"

#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"

using namespace kel::records;

CInsrncSectMgr::CInsrncSectMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stInsrncSect{}, m_szKey{} {}

void CInsrncSectMgr::SetKey(std::string_view text) { kel::text::PutRawField(m_szKey, sizeof m_szKey, text); }

bool CInsrncSectMgr::GetInsrncSectList(char** answer, int* count) {
    if (!ExecQuery(MakeHead(198), m_szKey, sizeof m_szKey, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}

bool CInsrncSectMgr::Insert() {
    if (!ExecCommand(MakeHead(199, kOpInsert), reinterpret_cast<const char*>(&m_stInsrncSect), sizeof m_stInsrncSect))
        return false;
    return CBaseMgr::Insert();
}

bool CInsrncSectMgr::Update() {
    if (!ExecCommand(MakeHead(199, kOpUpdate), reinterpret_cast<const char*>(&m_stInsrncSect), sizeof m_stInsrncSect))
        return false;
    return CBaseMgr::Update();
}

bool CInsrncSectMgr::Delete() {
    if (!ExecCommand(MakeHead(199, kOpDelete), reinterpret_cast<const char*>(&m_stInsrncSect), sizeof m_stInsrncSect))
        return false;
    return CBaseMgr::Delete();
}
