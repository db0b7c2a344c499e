// Manager of the products of a section (193, 194).
#pragma once

#include "data/BaseMgr.h"

class CSectDetailMgr : public CBaseMgr {
public:
    explicit CSectDetailMgr(CBASEBASE* pOwner);

    // The held record's section identifier keys 193.
    void SetSectDetail(const _SectDetailStruct& record) { m_stSectDetail = record; }
    // The products sent with 194; false (list unchanged) without memory.
    bool SetSectDetailList(const _SectDetailStruct* records, int count) {
        return m_arrSectDetail.Assign(records, count);
    }

    bool GetSectDetailList(char** answer, int* count);  // 193
    bool Insert() override;                             // 194, operation 0, N records

    _SectDetailStruct m_stSectDetail;
    kel::mgr::RecordArray<_SectDetailStruct> m_arrSectDetail;
};
