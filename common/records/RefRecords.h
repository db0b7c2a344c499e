// Reference data records: exchange rates, reinsurers and their accounts,
// broker entries, treaty classes and the products of a class.
//
// Wire records: packed, little-endian, fixed width; texts GBK, NUL-terminated,
// zero-padded; char fields are single letters. Shared with the server: include
// nothing but the standard integer headers here.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// One exchange rate (answer of 210).
struct _ExchRateStruct {
    double dExchRate;     // 兑换率
    char szSrcCurr[3];    // 原币种
    char szDstCurr[3];    // 兑换币种
    char szStartDate[9];  // 起始日期, 8 characters
    char szEndDate[9];    // 终止日期, 8 characters
};

// One reinsurer or broker (answer of 182; body of 183 ahead of its accounts;
// request and answer of the 3019 look-up).
struct _RICompanyStruct {
    char szRICode[5];         // 代码, at most 4 characters; key of 214, 215
    char szChnName[61];       // 再保公司中文名称
    char szEngName[61];       // 再保公司英文名称
    char szShortName[11];     // 再保公司缩写
    char szAddress[501];      // 地址
    char szPhone[31];         // 电话号码
    char szFax[21];           // 传真
    char cBusiType;           // 业务类型
    char cCompProp;           // 公司属性, code of a code list
    char cBillType;           // 账单类型
    char cPayMode;            // 付款方式
    char cCompKind;           // 业务来源性质: 'A' reinsurer, otherwise broker
    char szContact[61];       // 联系人
    char szCountry[31];       // 国家地区, code of a code list
    char szCredit[111];       // 信用等级
    char szSPRating[11];      // S&P评级
    char szAMBestRating[11];  // A.M.Best评级
    char szSolvency[101];     // 偿付能力
    char cRelation;           // 关联方关系
    char szReserveFund[15];   // 公积金
    char szCapital[15];       // 资本金
    char cLapsed;             // 失效标志: 'N' not lapsed, otherwise lapsed
};

inline constexpr char kCompKindReinsurer = 'A';

// The 3019 look-up sends a reinsurer record that carries only its code and
// answers with reinsurer records.
using _RILookupStruct = _RICompanyStruct;

// One bank account of a reinsurer (answer of 215, tail of 183).
struct _RIAccountStruct {
    char szCurrency[3];    // 币种
    char szBank[51];       // 开户银行
    char szAccountNo[61];  // 银行帐户
    char szPayee[61];      // 收款人
    char cBusiType;        // business type of the account
    char szBankAddr[200];  // 开户行地址
};

// One reinsurer attached to a broker (answer of 216, body of 217).
struct _RIAgentStruct {
    char szBrokerCode[5];  // key of 216
    char szRICode[5];      // reinsurer code
    char szChnName[61];
    char szEngName[61];
    char szShortName[11];
    char szAddress[501];
    char szPhone[31];
    char szFax[21];
    char cKind;  // 'A' domestic 境内, 'B' foreign 境外
    char szContact[61];
    char szCountry[31];
    char szCredit[31];
};

// One class of business of a treaty (answer of 198, body of 199).
struct _InsrncSectStruct {
    int32_t nContId;        // treaty data identifier
    char szClassCode[3];    // 险类代码
    char szClassName[113];  // 险类名称
};

// One product of a class (answer of 211, records of 212, start of the 211 filter).
struct _InsrClassDtlStruct {
    int32_t nContId;      // treaty data identifier
    char szClassCode[3];  // class code
    char szProdCode[5];   // 险种代码, at most 4 characters
    char szProdName[52];  // 险种名称, filled by the server, ignored in requests
};

#pragma pack(pop)

static_assert(sizeof(_ExchRateStruct) == 32);
static_assert(offsetof(_ExchRateStruct, dExchRate) == 0);
static_assert(offsetof(_ExchRateStruct, szSrcCurr) == 8);
static_assert(offsetof(_ExchRateStruct, szDstCurr) == 11);
static_assert(offsetof(_ExchRateStruct, szStartDate) == 14);
static_assert(offsetof(_ExchRateStruct, szEndDate) == 23);

static_assert(sizeof(_RICompanyStruct) == 1054);
static_assert(offsetof(_RICompanyStruct, szRICode) == 0);
static_assert(offsetof(_RICompanyStruct, szChnName) == 5);
static_assert(offsetof(_RICompanyStruct, szEngName) == 66);
static_assert(offsetof(_RICompanyStruct, szShortName) == 127);
static_assert(offsetof(_RICompanyStruct, szAddress) == 138);
static_assert(offsetof(_RICompanyStruct, szPhone) == 639);
static_assert(offsetof(_RICompanyStruct, szFax) == 670);
static_assert(offsetof(_RICompanyStruct, cBusiType) == 691);
static_assert(offsetof(_RICompanyStruct, cCompProp) == 692);
static_assert(offsetof(_RICompanyStruct, cBillType) == 693);
static_assert(offsetof(_RICompanyStruct, cPayMode) == 694);
static_assert(offsetof(_RICompanyStruct, cCompKind) == 695);
static_assert(offsetof(_RICompanyStruct, szContact) == 696);
static_assert(offsetof(_RICompanyStruct, szCountry) == 757);
static_assert(offsetof(_RICompanyStruct, szCredit) == 788);
static_assert(offsetof(_RICompanyStruct, szSPRating) == 899);
static_assert(offsetof(_RICompanyStruct, szAMBestRating) == 910);
static_assert(offsetof(_RICompanyStruct, szSolvency) == 921);
static_assert(offsetof(_RICompanyStruct, cRelation) == 1022);
static_assert(offsetof(_RICompanyStruct, szReserveFund) == 1023);
static_assert(offsetof(_RICompanyStruct, szCapital) == 1038);
static_assert(offsetof(_RICompanyStruct, cLapsed) == 1053);

static_assert(sizeof(_RIAccountStruct) == 377);
static_assert(offsetof(_RIAccountStruct, szCurrency) == 0);
static_assert(offsetof(_RIAccountStruct, szBank) == 3);
static_assert(offsetof(_RIAccountStruct, szAccountNo) == 54);
static_assert(offsetof(_RIAccountStruct, szPayee) == 115);
static_assert(offsetof(_RIAccountStruct, cBusiType) == 176);
static_assert(offsetof(_RIAccountStruct, szBankAddr) == 177);

static_assert(sizeof(_RIAgentStruct) == 820);
static_assert(offsetof(_RIAgentStruct, szBrokerCode) == 0);
static_assert(offsetof(_RIAgentStruct, szRICode) == 5);
static_assert(offsetof(_RIAgentStruct, szChnName) == 10);
static_assert(offsetof(_RIAgentStruct, szEngName) == 71);
static_assert(offsetof(_RIAgentStruct, szShortName) == 132);
static_assert(offsetof(_RIAgentStruct, szAddress) == 143);
static_assert(offsetof(_RIAgentStruct, szPhone) == 644);
static_assert(offsetof(_RIAgentStruct, szFax) == 675);
static_assert(offsetof(_RIAgentStruct, cKind) == 696);
static_assert(offsetof(_RIAgentStruct, szContact) == 697);
static_assert(offsetof(_RIAgentStruct, szCountry) == 758);
static_assert(offsetof(_RIAgentStruct, szCredit) == 789);

static_assert(sizeof(_InsrncSectStruct) == 120);
static_assert(offsetof(_InsrncSectStruct, nContId) == 0);
static_assert(offsetof(_InsrncSectStruct, szClassCode) == 4);
static_assert(offsetof(_InsrncSectStruct, szClassName) == 7);

static_assert(sizeof(_InsrClassDtlStruct) == 64);
static_assert(offsetof(_InsrClassDtlStruct, nContId) == 0);
static_assert(offsetof(_InsrClassDtlStruct, szClassCode) == 4);
static_assert(offsetof(_InsrClassDtlStruct, szProdCode) == 7);
static_assert(offsetof(_InsrClassDtlStruct, szProdName) == 12);
