// Manager of the sections of a treaty (191, 192).
#pragma once

#include <string_view>

#include "data/BaseMgr.h"

class CSectionMgr : public CBaseMgr {
public:
    explicit CSectionMgr(CBASEBASE* pOwner);

    void SetSection(const _SectionStruct& record) { m_stSection = record; }
    // The 191 key: the treaty data identifier as decimal text (at most 63 bytes kept).
    void SetKey(std::string_view text);

    bool GetSectionList(char** answer, int* count);  // 191
    bool Insert() override;                          // 192, operation 0
    bool Update() override;                          // 192, operation 1
    bool Delete() override;                          // 192, operation 2

    char m_szKey[64];
    _SectionStruct m_stSection;
};
