#include "data/ContDetailInfo.h"

#include "common/records/AnswerStatus.h"
#include "common/records/TransactionCodes.h"

using namespace kel::records;

CContDetailInfo::CContDetailInfo(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stContDetail{} {}

bool CContDetailInfo::GetContDetailList(char** answer, int* count) { return GetContDetailList(answer, count, nullptr); }

bool CContDetailInfo::GetContDetailList(char** answer, int* count, bool* tooMany) {
    int status = kStatusOk;
    const bool ok = ExecQuery(MakeHead(205), reinterpret_cast<const char*>(&m_stContDetail), sizeof m_stContDetail,
                              answer, count, tooMany ? kStatusTooLarge : kStatusOk, &status);
    if (tooMany) *tooMany = status == kStatusTooLarge;
    return ok && CBaseMgr::Select(*answer, count);
}

bool CContDetailInfo::Update() {
    if (!ExecCommand(MakeHead(206, kOpUpdate), reinterpret_cast<const char*>(&m_stContDetail), sizeof m_stContDetail))
        return false;
    return CBaseMgr::Update();
}

bool CContDetailInfo::Delete() {
    if (!ExecCommand(MakeHead(206, kOpDelete), reinterpret_cast<const char*>(&m_stContDetail), sizeof m_stContDetail))
        return false;
    return CBaseMgr::Delete();
}

bool CContDetailInfo::AdjustDetail(const _CommAdjustBody& body, int32_t nOperation) {
    return ExecCommand(MakeHead(201, nOperation), reinterpret_cast<const char*>(&body), sizeof body);
}
