// Manager of the reinsurers and their bank accounts (182, 183, 214, 215).
#pragma once

#include "data/BaseMgr.h"

class CRICompanyMgr : public CBaseMgr {
public:
    explicit CRICompanyMgr(CBASEBASE* pOwner);

    void SetRICompany(const _RICompanyStruct& record) { m_stRICompany = record; }
    // The accounts sent with 183; false (accounts unchanged) without memory.
    bool SetAccountList(const _RIAccountStruct* records, int count) { return m_arrAccount.Assign(records, count); }

    bool GetRICompanyList(char** answer, int* count);  // 182
    bool Insert() override;                            // 183, operation 0, with the accounts
    bool Update() override;                            // 183, operation 1, with the accounts
    bool Delete() override;                            // 214, operation 2: the code only
    bool GetRIAccountList();                           // 215: loads the accounts

    _RICompanyStruct m_stRICompany;
    kel::mgr::RecordArray<_RIAccountStruct> m_arrAccount;

private:
    bool Store(int32_t operation);
};
