#include "data/SectionMgr.h"

#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"

using namespace kel::records;

CSectionMgr::CSectionMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_szKey{}, m_stSection{} {}

void CSectionMgr::SetKey(std::string_view text) { kel::text::PutRawField(m_szKey, sizeof m_szKey, text); }

bool CSectionMgr::GetSectionList(char** answer, int* count) {
    if (!ExecQuery(MakeHead(191), m_szKey, sizeof m_szKey, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}

bool CSectionMgr::Insert() {
    if (!ExecCommand(MakeHead(192, kOpInsert), reinterpret_cast<const char*>(&m_stSection), sizeof m_stSection))
        return false;
    return CBaseMgr::Insert();
}

bool CSectionMgr::Update() {
    if (!ExecCommand(MakeHead(192, kOpUpdate), reinterpret_cast<const char*>(&m_stSection), sizeof m_stSection))
        return false;
    return CBaseMgr::Update();
}

bool CSectionMgr::Delete() {
    if (!ExecCommand(MakeHead(192, kOpDelete), reinterpret_cast<const char*>(&m_stSection), sizeof m_stSection))
        return false;
    return CBaseMgr::Delete();
}
