// Manager of the treaty details the server generates (205, 206) and of their
// commission adjustment (201).
#pragma once

#include "data/BaseMgr.h"

class CContDetailInfo : public CBaseMgr {
public:
    explicit CContDetailInfo(CBASEBASE* pOwner);

    void SetContDetail(const _ContDetailStruct& record) { m_stContDetail = record; }

    bool GetContDetailList(char** answer, int* count);  // 205, the held record as filter
    // The same; with `tooMany`, more lines than one answer carries are not shown:
    // *tooMany is set and the caller asks for a narrower search.
    bool GetContDetailList(char** answer, int* count, bool* tooMany);
    bool Update() override;  // 206, operation 1
    bool Delete() override;  // 206, operation 2
    // 201: the caller's body as it is, the adjustment mode as the operation.
    bool AdjustDetail(const _CommAdjustBody& body, int32_t nOperation);

    _ContDetailStruct m_stContDetail;
};
