// Manager of the products attached to a treaty class (211, 212).
#pragma once

#include "data/BaseMgr.h"

class CInsrClassDtlMgr : public CBaseMgr {
public:
    explicit CInsrClassDtlMgr(CBASEBASE* pOwner);

    // The 211 filter: identifier and class code set, the rest zero.
    void SetFilter(const _InsrClassDtlStruct& filter) { m_stFilter = filter; }
    // The products sent with 212; false (list unchanged) without memory.
    bool SetClassDtlList(const _InsrClassDtlStruct* records, int count) { return m_arrClassDtl.Assign(records, count); }

    bool GetInsrClassDtlList(char** answer, int* count);  // 211: 164-byte filter
    bool Insert() override;                               // 212, operation 0, N records

    _InsrClassDtlStruct m_stFilter;
    kel::mgr::RecordArray<_InsrClassDtlStruct> m_arrClassDtl;
};
