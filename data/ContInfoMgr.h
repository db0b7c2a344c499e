// Managers of the treaty codes (180, 181) and of the treaty data with its three
// lists (186 to 190, 200, 207).
#pragma once

#include <string>

#include "data/BaseMgr.h"

class CContCodeMgr : public CBaseMgr {
public:
    explicit CContCodeMgr(CBASEBASE* pOwner);

    void SetContCode(const _ContCodeStruct& record) { m_stContCode = record; }

    bool GetContCodeList(char** answer, int* count);  // 180
    bool Insert() override;                           // 181, operation 0
    bool Update() override;                           // 181, operation 1
    bool Delete() override;                           // 181, operation 2: the code only

    _ContCodeStruct m_stContCode;
};

class CContInfoMgr : public CBaseMgr {
public:
    explicit CContInfoMgr(CBASEBASE* pOwner);

    void SetContInfo(const _ContInfoStruct& record) { m_stContInfo = record; }
    // The lists sent with 187 and 189; false (list unchanged) without memory.
    bool SetReinsList(const _ContReinsStruct* records, int count) { return m_arrReins.Assign(records, count); }
    bool SetRiskList(const _ContRiskStruct* records, int count) { return m_arrRisk.Assign(records, count); }
    bool SetExtraList(const _ContExtraStruct* records, int count) { return m_arrExtra.Assign(records, count); }

    bool GetContInfoList(char** answer, int* count);  // 186, keyed by the start-date field
    bool GetContSubList();                            // 190: loads the three lists
    bool Update() override;                           // 187, operation 1
    bool Delete() override;                           // 188, operation 2
    bool Insert() override;                           // 189, operation 0
    bool GenerateCont();                              // 200
    bool GetCheckResult(char** answer, int* count);   // 207: lines of _CheckResultStruct

    // The text of a check result line (UTF-8), read no further than its field.
    static std::string CheckLineText(const _CheckResultStruct& line);

    _ContInfoStruct m_stContInfo;
    kel::mgr::RecordArray<_ContReinsStruct> m_arrReins;
    kel::mgr::RecordArray<_ContRiskStruct> m_arrRisk;
    kel::mgr::RecordArray<_ContExtraStruct> m_arrExtra;

private:
    bool SendWithLists(int16_t code, int32_t operation);
};
