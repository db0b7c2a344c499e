// Manager of the classes of business of a treaty (198, 199).
#pragma once

#include <string_view>

#include "data/BaseMgr.h"

class CInsrncSectMgr : public CBaseMgr {
public:
    explicit CInsrncSectMgr(CBASEBASE* pOwner);

    void SetInsrncSect(const _InsrncSectStruct& record) { m_stInsrncSect = record; }
    // The 198 key: the treaty data identifier as decimal text (at most 63 bytes kept).
    void SetKey(std::string_view text);

    bool GetInsrncSectList(char** answer, int* count);  // 198
    bool Insert() override;                             // 199, operation 0
    bool Update() override;                             // 199, operation 1
    bool Delete() override;                             // 199, operation 2

    _InsrncSectStruct m_stInsrncSect;
    char m_szKey[64];
};
