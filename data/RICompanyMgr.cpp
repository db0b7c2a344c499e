#include "data/RICompanyMgr.h"

#include "common/records/TransactionCodes.h"

using namespace kel::records;

CRICompanyMgr::CRICompanyMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stRICompany{} {}

bool CRICompanyMgr::GetRICompanyList(char** answer, int* count) {
    if (!ExecQuery(MakeHead(182), nullptr, 0, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}

bool CRICompanyMgr::Store(int32_t operation) {
    return ExecRecords(MakeHead(183, operation), &m_stRICompany, sizeof m_stRICompany, m_arrAccount.Data(),
                       m_arrAccount.Count(), sizeof(_RIAccountStruct));
}

bool CRICompanyMgr::Insert() {
    if (!Store(kOpInsert)) return false;
    return CBaseMgr::Insert();
}

bool CRICompanyMgr::Update() {
    if (!Store(kOpUpdate)) return false;
    return CBaseMgr::Update();
}

bool CRICompanyMgr::Delete() {
    if (!ExecCommand(MakeHead(214, kOpDelete), m_stRICompany.szRICode, sizeof m_stRICompany.szRICode)) return false;
    return CBaseMgr::Delete();
}

bool CRICompanyMgr::GetRIAccountList() {
    char* answer = nullptr;
    int count = 0;
    if (!ExecQuery(MakeHead(215), m_stRICompany.szRICode, sizeof m_stRICompany.szRICode, &answer, &count)) return false;
    if (!answer) return false;
    // ExecQuery has checked that the body holds `count` accounts.
    const bool ok = m_arrAccount.Assign(reinterpret_cast<const _RIAccountStruct*>(answer), count);
    std::free(answer);
    if (!ok) {
        Notify("分配责任内存失败！");
        return false;
    }
    return true;
}
