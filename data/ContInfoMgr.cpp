#include "data/ContInfoMgr.h"

#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"
#include "host/qxcommon/BaseBase.h"

using namespace kel::records;

CContCodeMgr::CContCodeMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stContCode{} {}

bool CContCodeMgr::GetContCodeList(char** answer, int* count) {
    if (!ExecQuery(MakeHead(180), nullptr, 0, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}

bool CContCodeMgr::Insert() {
    if (!ExecCommand(MakeHead(181, kOpInsert), reinterpret_cast<const char*>(&m_stContCode), sizeof m_stContCode))
        return false;
    return CBaseMgr::Insert();
}

bool CContCodeMgr::Update() {
    if (!ExecCommand(MakeHead(181, kOpUpdate), reinterpret_cast<const char*>(&m_stContCode), sizeof m_stContCode))
        return false;
    return CBaseMgr::Update();
}

bool CContCodeMgr::Delete() {
    if (!ExecCommand(MakeHead(181, kOpDelete), m_stContCode.szContCode, sizeof m_stContCode.szContCode)) return false;
    return CBaseMgr::Delete();
}

CContInfoMgr::CContInfoMgr(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stContInfo{} {}

bool CContInfoMgr::GetContInfoList(char** answer, int* count) {
    if (!ExecQuery(MakeHead(186), m_stContInfo.szStartDate, sizeof m_stContInfo.szStartDate, answer, count))
        return false;
    return CBaseMgr::Select(*answer, count);
}

bool CContInfoMgr::GetContSubList() {
    _ContIdKey10 key;
    if (!MakeDecimalKey(key.szContId, sizeof key.szContId, m_stContInfo.nContId)) return false;
    char* answer = nullptr;
    int count = 0;
    if (!ExecQuery(MakeHead(190), key.szContId, sizeof key, &answer, &count)) return false;
    if (!answer) return false;

    // ExecQuery has checked that the block's counts fit the body.
    _ContSubListHead block;
    std::memcpy(&block, answer, sizeof block);
    const char* at = answer + sizeof block;
    kel::mgr::RecordArray<_ContReinsStruct> reins;
    kel::mgr::RecordArray<_ContRiskStruct> risk;
    kel::mgr::RecordArray<_ContExtraStruct> extra;
    const char* failure = nullptr;
    if (!reins.Assign(reinterpret_cast<const _ContReinsStruct*>(at), block.nReinsCount)) {
        failure = "分配责任内存失败！";
    } else {
        at += reins.Bytes();
        if (!risk.Assign(reinterpret_cast<const _ContRiskStruct*>(at), block.nRiskCount)) {
            failure = "分配附加险内存失败！";
        } else {
            at += risk.Bytes();
            if (!extra.Assign(reinterpret_cast<const _ContExtraStruct*>(at), block.nExtraCount))
                failure = "分配附加险内存失败！";
        }
    }
    std::free(answer);
    if (failure) {
        // The held lists go: the screen then works on empty lists, never on
        // counts without records.
        Notify(failure);
        m_arrReins.Clear();
        m_arrRisk.Clear();
        m_arrExtra.Clear();
        return false;
    }
    m_arrReins.Swap(reins);
    m_arrRisk.Swap(risk);
    m_arrExtra.Swap(extra);
    return true;
}

bool CContInfoMgr::SendWithLists(int16_t code, int32_t operation) {
    const ContSubCounts counts{m_arrReins.Count(), m_arrRisk.Count(), m_arrExtra.Count()};
    const _ContSubHead block = *MakeContSubHead(code, counts);
    const BodyPart reins{m_arrReins.Data(), m_arrReins.Bytes()};
    const BodyPart risk{m_arrRisk.Data(), m_arrRisk.Bytes()};
    const BodyPart extra{m_arrExtra.Data(), m_arrExtra.Bytes()};
    const BodyPart head{&block, sizeof block};
    const BodyPart info{&m_stContInfo, sizeof m_stContInfo};
    // The update carries the product lines ahead of the participants.
    if (code == 187) return ExecCommandParts(MakeHead(code, operation), {head, info, risk, reins, extra});
    return ExecCommandParts(MakeHead(code, operation), {head, info, reins, risk, extra});
}

bool CContInfoMgr::Update() {
    if (!SendWithLists(187, kOpUpdate)) return false;
    return CBaseMgr::Update();
}

bool CContInfoMgr::Insert() {
    if (!SendWithLists(189, kOpInsert)) return false;
    return CBaseMgr::Insert();
}

bool CContInfoMgr::Delete() {
    _ContIdKey32 key;
    if (!MakeDecimalKey(key.szContId, sizeof key.szContId, m_stContInfo.nContId)) return false;
    if (!ExecCommand(MakeHead(188, kOpDelete), key.szContId, sizeof key)) return false;
    return CBaseMgr::Delete();
}

bool CContInfoMgr::GenerateCont() {
    return ExecCommand(MakeHead(200), reinterpret_cast<const char*>(&m_stContInfo), sizeof m_stContInfo);
}

bool CContInfoMgr::GetCheckResult(char** answer, int* count) {
    _TextKey64 key;
    if (!MakeDecimalKey(key.szKey, sizeof key.szKey, m_stContInfo.nContId)) return false;
    if (!ExecQuery(MakeHead(207), key.szKey, sizeof key, answer, count)) return false;
    return CBaseMgr::Select(*answer, count);
}

std::string CContInfoMgr::CheckLineText(const _CheckResultStruct& line) { return kel::text::GetField(line.szText); }
