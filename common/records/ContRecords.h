// Treaty records: treaty codes, treaty data with its three lists, treaty details.
//
// Wire records: packed, little-endian, fixed width. Text fields hold GBK,
// NUL-terminated and zero-padded; a single char field is a letter without
// terminator. Ratios and rates are fractions (0.25 for 25 %).
// Shared with the application server: include nothing but the standard
// integer headers here.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// One treaty code (answer of 180, body of 181; a delete of 181 sends only szContCode).
struct _ContCodeStruct {
    char szContCode[3];  // 2 characters
    char szChnName[61];  // Chinese name
    char szEngName[61];  // English name
    char cContType;      // treaty type letter
    char cMarkFlag;      // set by the server, 'Y' marks the row
};

// One treaty data record: a treaty for one period (answer of 186, body of 187, 189, 200).
struct _ContInfoStruct {
    int32_t nContId;          // assigned by the server; key of 188, 190, 207
    int32_t nLines;           // 线数
    int32_t nVipLines;        // VIP线数
    int32_t nAcctPeriod;      // 核算周期
    int32_t nLossCarry;       // 亏损滚转
    double dUnexpRsvRatio;    // 未了责任准备金比例
    double dUnearnedRatio;    // 未满期保费比例
    double dQuotaRatio;       // 成数比例
    double dLeadShare;        // 首席再保人份额
    double dCommRate;         // 手续费率
    double dTaxRate;          // 税率
    double dPremRsvRatio;     // 保费准备金比例
    double dLossRsvRatio;     // 赔款准备金比例
    double dCashLossLimit;    // 现金赔款起点, an amount
    double dProfitCommRate;   // 纯益手续费率
    double dMgmtFeeRate;      // 管理费率
    double dQuakeCommRate;    // 地震险手续费率
    double dQuakePremRatio;   // 地震保费比例
    double dActCommRate;      // 实际手续费率
    double dCoinsLimitCoef;   // 共保限额系数, a coefficient, not a fraction
    char cCommInclTax;        // 手续费含税
    char szContCode[3];       // treaty code
    char szStartDate[9];      // 起始日期, 8 digits; the key of 186 (year)
    char szEndDate[9];        // 终止日期
    char szLimitCurr[3];      // 合同限额币种
    char szCancelDate[9];     // 合同注销时限
    char szLeadRICode[5];     // 首席再保人
    char cAttribute;          // set by the server
    char szReserved1[18];     // unused by the client, zero in requests
    char szUserCode[31];      // logged-in user, written on save
    char szUserCode2[31];     // logged-in user again, written on save
    char szContTypeName[20];  // 合约类型, filled by the server
    char szContNo[12];        // 合同号, at most 10 characters
    double dPlantRate;        // 电厂工程费率
    char cNetPremFlag;        // 净费分保, '1' when on
    char szReserved2[3];      // zero
    double dNetPremTaxRate;   // 净费税率
};

// One reinsurer's participation in a treaty.
struct _ContReinsStruct {
    int32_t nExtraStart;  // first _ContExtraStruct of this participant (screen only; 0 when sent)
    int32_t nExtraCount;  // number of them (screen only; 0 when sent)
    double dShare;        // 参与比例, a fraction
    double dLimit;        // 限额, an amount
    char szRICode[8];     // reinsurer code
};

// One product's (or product class's) share setting of a treaty.
struct _ContRiskStruct {
    float fCoinsCoef;     // co-insurance limit coefficient of the line
    float fQuotaRatio;    // 成数比例
    double dRetention;    // 自留限额
    double dContLimit;    // 合约限额
    int32_t nLines;       // 线数
    char szProdCode[5];   // 险种 (class code when cSetType is 'S')
    char szRiskLevel[7];  // 风险等级
    char cSetType;        // 'T' product, 'S' product class
    char cCopyFlag;       // copy business data, 'Y' or 'N'
    char szReserved[2];   // zero
    int32_t nVipLines;    // VIP线数
    char szVipLimit[20];  // VIP限额, as text
};

// A reinsurer placed through a broker participant.
struct _ContExtraStruct {
    char szBrokerCode[5];    // the participant's reinsurer code
    char szSubRICode[5];     // sub-reinsurer code
    char szSubShare[20];     // the sub-reinsurer's share, as text
    char cStatus;            // 'A' added, 'D' to be deleted, otherwise as loaded
    char szBrokerShare[20];  // the broker's share, as text
};

inline constexpr char kExtraAdded = 'A';
inline constexpr char kExtraDeleted = 'D';

// 120-byte block ahead of the treaty data lists. The meaning of the first five
// words depends on the transaction; the three views below name them.
struct _ContSubHead {
    int32_t nWord0;
    int32_t nWord1;
    int32_t nWord2;
    int32_t nWord3;
    int32_t nWord4;
    char szReserved[100];  // zero
};

// Head of the 189 (insert) body; followed by _ContInfoStruct, then the
// _ContReinsStruct, _ContRiskStruct and _ContExtraStruct arrays.
struct _ContInsertSubHead {
    int32_t nOne1;  // 1
    int32_t nOne2;  // 1
    int32_t nReinsCount;
    int32_t nRiskCount;
    int32_t nExtraCount;
    char szReserved[100];
};

// Head of the 187 (update) body; followed by _ContInfoStruct, then the
// _ContRiskStruct, _ContReinsStruct and _ContExtraStruct arrays.
struct _ContUpdateSubHead {
    int32_t nOne1;  // 1
    int32_t nOne2;  // 1
    int32_t nRiskCount;
    int32_t nReinsCount;
    int32_t nExtraCount;
    char szReserved[100];
};

// Head of the 190 answer; followed directly (no main record) by the
// _ContReinsStruct, _ContRiskStruct and _ContExtraStruct arrays.
struct _ContSubListHead {
    int32_t nReinsCount;
    int32_t nRiskCount;
    int32_t nExtraCount;
    char szReserved[108];  // zero
};

// One treaty detail line (answer and filter of 205, body of 206).
struct _ContDetailStruct {
    int32_t nContId;      // treaty data identifier
    double dQuotaRatio;   // 成数比例
    double dContLimit;    // 合约限额
    double dShare;        // 参与比例
    double dRILimit;      // 再保公司限额
    double dCommRate;     // 手续费率
    char szRICode[5];     // reinsurer code
    char szCompCode[12];  // 承保公司
    char szProdCode[5];   // 险种
    char szRiskLevel[7];  // 风险等级, at most 6 characters
    char szReserved[91];  // unused by the client, zero in requests
};

// Commission adjustment (body of 201). The head's operation field carries the mode.
struct _CommAdjustBody {
    double dCommRate;    // the new commission rate
    int32_t nContId;     // treaty data identifier
    char szRICode[5];    // reinsurer (modes 1 and 2)
    char szSectCode[3];  // section (modes 0 and 2)
};

inline constexpr int32_t kAdjustBySection = 0;
inline constexpr int32_t kAdjustByReinsurer = 1;
inline constexpr int32_t kAdjustBySectionAndReinsurer = 2;

// One line of the treaty check (answer of 207).
struct _CheckResultStruct {
    char szText[41];  // at most 40 bytes
};

#pragma pack(pop)

static_assert(sizeof(_ContCodeStruct) == 127);
static_assert(offsetof(_ContCodeStruct, szContCode) == 0);
static_assert(offsetof(_ContCodeStruct, szChnName) == 3);
static_assert(offsetof(_ContCodeStruct, szEngName) == 64);
static_assert(offsetof(_ContCodeStruct, cContType) == 125);
static_assert(offsetof(_ContCodeStruct, cMarkFlag) == 126);

static_assert(sizeof(_ContInfoStruct) == 312);
static_assert(offsetof(_ContInfoStruct, nContId) == 0);
static_assert(offsetof(_ContInfoStruct, nLines) == 4);
static_assert(offsetof(_ContInfoStruct, nVipLines) == 8);
static_assert(offsetof(_ContInfoStruct, nAcctPeriod) == 12);
static_assert(offsetof(_ContInfoStruct, nLossCarry) == 16);
static_assert(offsetof(_ContInfoStruct, dUnexpRsvRatio) == 20);
static_assert(offsetof(_ContInfoStruct, dUnearnedRatio) == 28);
static_assert(offsetof(_ContInfoStruct, dQuotaRatio) == 36);
static_assert(offsetof(_ContInfoStruct, dLeadShare) == 44);
static_assert(offsetof(_ContInfoStruct, dCommRate) == 52);
static_assert(offsetof(_ContInfoStruct, dTaxRate) == 60);
static_assert(offsetof(_ContInfoStruct, dPremRsvRatio) == 68);
static_assert(offsetof(_ContInfoStruct, dLossRsvRatio) == 76);
static_assert(offsetof(_ContInfoStruct, dCashLossLimit) == 84);
static_assert(offsetof(_ContInfoStruct, dProfitCommRate) == 92);
static_assert(offsetof(_ContInfoStruct, dMgmtFeeRate) == 100);
static_assert(offsetof(_ContInfoStruct, dQuakeCommRate) == 108);
static_assert(offsetof(_ContInfoStruct, dQuakePremRatio) == 116);
static_assert(offsetof(_ContInfoStruct, dActCommRate) == 124);
static_assert(offsetof(_ContInfoStruct, dCoinsLimitCoef) == 132);
static_assert(offsetof(_ContInfoStruct, cCommInclTax) == 140);
static_assert(offsetof(_ContInfoStruct, szContCode) == 141);
static_assert(offsetof(_ContInfoStruct, szStartDate) == 144);
static_assert(offsetof(_ContInfoStruct, szEndDate) == 153);
static_assert(offsetof(_ContInfoStruct, szLimitCurr) == 162);
static_assert(offsetof(_ContInfoStruct, szCancelDate) == 165);
static_assert(offsetof(_ContInfoStruct, szLeadRICode) == 174);
static_assert(offsetof(_ContInfoStruct, cAttribute) == 179);
static_assert(offsetof(_ContInfoStruct, szReserved1) == 180);
static_assert(offsetof(_ContInfoStruct, szUserCode) == 198);
static_assert(offsetof(_ContInfoStruct, szUserCode2) == 229);
static_assert(offsetof(_ContInfoStruct, szContTypeName) == 260);
static_assert(offsetof(_ContInfoStruct, szContNo) == 280);
static_assert(offsetof(_ContInfoStruct, dPlantRate) == 292);
static_assert(offsetof(_ContInfoStruct, cNetPremFlag) == 300);
static_assert(offsetof(_ContInfoStruct, szReserved2) == 301);
static_assert(offsetof(_ContInfoStruct, dNetPremTaxRate) == 304);

static_assert(sizeof(_ContReinsStruct) == 32);
static_assert(offsetof(_ContReinsStruct, nExtraStart) == 0);
static_assert(offsetof(_ContReinsStruct, nExtraCount) == 4);
static_assert(offsetof(_ContReinsStruct, dShare) == 8);
static_assert(offsetof(_ContReinsStruct, dLimit) == 16);
static_assert(offsetof(_ContReinsStruct, szRICode) == 24);

static_assert(sizeof(_ContRiskStruct) == 68);
static_assert(offsetof(_ContRiskStruct, fCoinsCoef) == 0);
static_assert(offsetof(_ContRiskStruct, fQuotaRatio) == 4);
static_assert(offsetof(_ContRiskStruct, dRetention) == 8);
static_assert(offsetof(_ContRiskStruct, dContLimit) == 16);
static_assert(offsetof(_ContRiskStruct, nLines) == 24);
static_assert(offsetof(_ContRiskStruct, szProdCode) == 28);
static_assert(offsetof(_ContRiskStruct, szRiskLevel) == 33);
static_assert(offsetof(_ContRiskStruct, cSetType) == 40);
static_assert(offsetof(_ContRiskStruct, cCopyFlag) == 41);
static_assert(offsetof(_ContRiskStruct, szReserved) == 42);
static_assert(offsetof(_ContRiskStruct, nVipLines) == 44);
static_assert(offsetof(_ContRiskStruct, szVipLimit) == 48);

static_assert(sizeof(_ContExtraStruct) == 51);
static_assert(offsetof(_ContExtraStruct, szBrokerCode) == 0);
static_assert(offsetof(_ContExtraStruct, szSubRICode) == 5);
static_assert(offsetof(_ContExtraStruct, szSubShare) == 10);
static_assert(offsetof(_ContExtraStruct, cStatus) == 30);
static_assert(offsetof(_ContExtraStruct, szBrokerShare) == 31);

static_assert(sizeof(_ContSubHead) == 120);
static_assert(offsetof(_ContSubHead, nWord0) == 0);
static_assert(offsetof(_ContSubHead, nWord1) == 4);
static_assert(offsetof(_ContSubHead, nWord2) == 8);
static_assert(offsetof(_ContSubHead, nWord3) == 12);
static_assert(offsetof(_ContSubHead, nWord4) == 16);
static_assert(offsetof(_ContSubHead, szReserved) == 20);

static_assert(sizeof(_ContInsertSubHead) == 120);
static_assert(offsetof(_ContInsertSubHead, nOne1) == 0);
static_assert(offsetof(_ContInsertSubHead, nOne2) == 4);
static_assert(offsetof(_ContInsertSubHead, nReinsCount) == 8);
static_assert(offsetof(_ContInsertSubHead, nRiskCount) == 12);
static_assert(offsetof(_ContInsertSubHead, nExtraCount) == 16);
static_assert(offsetof(_ContInsertSubHead, szReserved) == 20);

static_assert(sizeof(_ContUpdateSubHead) == 120);
static_assert(offsetof(_ContUpdateSubHead, nOne1) == 0);
static_assert(offsetof(_ContUpdateSubHead, nOne2) == 4);
static_assert(offsetof(_ContUpdateSubHead, nRiskCount) == 8);
static_assert(offsetof(_ContUpdateSubHead, nReinsCount) == 12);
static_assert(offsetof(_ContUpdateSubHead, nExtraCount) == 16);
static_assert(offsetof(_ContUpdateSubHead, szReserved) == 20);

static_assert(sizeof(_ContSubListHead) == 120);
static_assert(offsetof(_ContSubListHead, nReinsCount) == 0);
static_assert(offsetof(_ContSubListHead, nRiskCount) == 4);
static_assert(offsetof(_ContSubListHead, nExtraCount) == 8);
static_assert(offsetof(_ContSubListHead, szReserved) == 12);

static_assert(sizeof(_ContDetailStruct) == 164);
static_assert(offsetof(_ContDetailStruct, nContId) == 0);
static_assert(offsetof(_ContDetailStruct, dQuotaRatio) == 4);
static_assert(offsetof(_ContDetailStruct, dContLimit) == 12);
static_assert(offsetof(_ContDetailStruct, dShare) == 20);
static_assert(offsetof(_ContDetailStruct, dRILimit) == 28);
static_assert(offsetof(_ContDetailStruct, dCommRate) == 36);
static_assert(offsetof(_ContDetailStruct, szRICode) == 44);
static_assert(offsetof(_ContDetailStruct, szCompCode) == 49);
static_assert(offsetof(_ContDetailStruct, szProdCode) == 61);
static_assert(offsetof(_ContDetailStruct, szRiskLevel) == 66);
static_assert(offsetof(_ContDetailStruct, szReserved) == 73);

static_assert(sizeof(_CommAdjustBody) == 20);
static_assert(offsetof(_CommAdjustBody, dCommRate) == 0);
static_assert(offsetof(_CommAdjustBody, nContId) == 8);
static_assert(offsetof(_CommAdjustBody, szRICode) == 12);
static_assert(offsetof(_CommAdjustBody, szSectCode) == 17);

static_assert(sizeof(_CheckResultStruct) == 41);
static_assert(offsetof(_CheckResultStruct, szText) == 0);
