// Treaty data screen tests: a stored treaty with odd values, its lists, the answers
// and request bodies of 190, 187 and 189, and a host database with the code lists
// the screens show names from.
#pragma once

#include <unistd.h>

#include <filesystem>

#include "common/db/CodeLists.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {

// Q1 of 2024 as the server keeps it: fractions with more decimals than any grid
// or form shows, a contract number with trailing blanks.
inline _ContInfoStruct StoredTreaty() {
    _ContInfoStruct r{};
    r.nContId = 8;
    r.nLines = 1;
    r.nVipLines = 2;
    r.nAcctPeriod = 3;
    r.nLossCarry = 4;
    r.dUnexpRsvRatio = 0.5;
    r.dUnearnedRatio = 0.45;
    r.dQuotaRatio = 0.125;
    r.dLeadShare = 0.25;
    r.dCommRate = 0.123456;
    r.dTaxRate = 0.055;
    r.dPremRsvRatio = 0.4;
    r.dLossRsvRatio = 0.35;
    r.dCashLossLimit = 5000000.75;
    r.dProfitCommRate = 0.2;
    r.dMgmtFeeRate = 0.005;
    r.dQuakeCommRate = 0.25;
    r.dQuakePremRatio = 0.05;
    r.dActCommRate = 0.32;
    r.dCoinsLimitCoef = 1.5;
    r.cCommInclTax = '1';
    text::PutField(r.szContCode, "Q1");
    text::PutField(r.szStartDate, "20240101");
    text::PutField(r.szEndDate, "20241231");
    text::PutField(r.szLimitCurr, "01");
    text::PutField(r.szCancelDate, "20271231");
    text::PutField(r.szLeadRICode, "01");
    r.cAttribute = 'A';
    text::PutField(r.szUserCode, "demo");
    text::PutField(r.szUserCode2, "demo");
    text::PutField(r.szContTypeName, "成数合约");
    text::PutField(r.szContNo, "Q1-2024  ");
    r.dPlantRate = 0.001;
    r.cNetPremFlag = '1';
    r.dNetPremTaxRate = 0.03;
    return r;
}

// What a save of `stored` sends back untouched: the server's attribute and type
// text empty, the contract number trimmed, the user who saved.
inline _ContInfoStruct SavedTreaty(_ContInfoStruct stored, const char* user = "tester") {
    stored.cAttribute = '\0';
    std::memset(stored.szContTypeName, 0, sizeof stored.szContTypeName);
    std::memset(stored.szContNo, 0, sizeof stored.szContNo);
    text::PutField(stored.szContNo, "Q1-2024");
    std::memset(stored.szUserCode, 0, sizeof stored.szUserCode);
    std::memset(stored.szUserCode2, 0, sizeof stored.szUserCode2);
    text::PutField(stored.szUserCode, user);
    text::PutField(stored.szUserCode2, user);
    return stored;
}

inline _ContReinsStruct Reins(const char* code, double share, double limit, int start = 0, int count = 0) {
    _ContReinsStruct r{};
    r.nExtraStart = start;
    r.nExtraCount = count;
    r.dShare = share;
    r.dLimit = limit;
    text::PutField(r.szRICode, code);
    return r;
}

inline _ContRiskStruct Risk(const char* product, const char* level, float quota, double retention, double limit,
                            int lines, char type = 'T', char copy = 'N', int vipLines = 0, const char* vipLimit = "0") {
    _ContRiskStruct r{};
    r.fCoinsCoef = 1.25f;
    r.fQuotaRatio = quota;
    r.dRetention = retention;
    r.dContLimit = limit;
    r.nLines = lines;
    text::PutField(r.szProdCode, product);
    text::PutField(r.szRiskLevel, level);
    r.cSetType = type;
    r.cCopyFlag = copy;
    r.nVipLines = vipLines;
    text::PutField(r.szVipLimit, vipLimit);
    return r;
}

inline _ContExtraStruct Extra(const char* broker, const char* sub, const char* share, const char* brokerShare,
                              char status = 'N') {
    _ContExtraStruct r{};
    text::PutField(r.szBrokerCode, broker);
    text::PutField(r.szSubRICode, sub);
    text::PutField(r.szSubShare, share);
    r.cStatus = status;
    text::PutField(r.szBrokerShare, brokerShare);
    return r;
}

struct TreatyLists {
    std::vector<_ContReinsStruct> reins;
    std::vector<_ContRiskStruct> risk;
    std::vector<_ContExtraStruct> extra;
};

inline constexpr double kUnlimited = 9999999999.99;

// Q1's lists: a reinsurer without a limit and a broker with two sub-reinsurers;
// a product row and a product class row.
inline TreatyLists StoredLists() {
    return {{Reins("01", 0.6, kUnlimited), Reins("B1", 0.4, 2000000.5, 0, 2)},
            {Risk("0101", "01", 0.125f, 500000.25, 1500000.75, 3, 'T', 'N', 1, "500000.25"),
             Risk("C1", "", 0.3f, kUnlimited, kUnlimited, 0, 'S', 'N', 0, "9999999999.99")},
            {Extra("B1", "02", "0.25", "0.4000"), Extra("B1", "03", "0.15", "0.4000")}};
}

template <class T>
void AppendAll(std::vector<char>& out, const std::vector<T>& records) {
    for (const T& r : records) Append(out, BytesOf(r));
}

// The 190 answer: the counts block, then the three arrays.
inline std::vector<char> SubListAnswer(const TreatyLists& l) {
    _ContSubListHead head{};
    head.nReinsCount = static_cast<int32_t>(l.reins.size());
    head.nRiskCount = static_cast<int32_t>(l.risk.size());
    head.nExtraCount = static_cast<int32_t>(l.extra.size());
    std::vector<char> body = BytesOf(head);
    AppendAll(body, l.reins);
    AppendAll(body, l.risk);
    AppendAll(body, l.extra);
    return body;
}

// The participants as a save sends them: without the screen's pointers.
inline std::vector<_ContReinsStruct> SentReins(std::vector<_ContReinsStruct> reins) {
    for (auto& r : reins) r.nExtraStart = r.nExtraCount = 0;
    return reins;
}

// The body of 187 (update: product shares first) or 189 (insert: participants first).
inline std::vector<char> SaveBody(int code, const _ContInfoStruct& info, const TreatyLists& l) {
    const std::vector<_ContReinsStruct> reins = SentReins(l.reins);
    _ContSubHead head{};
    head.nWord0 = 1;
    head.nWord1 = 1;
    head.nWord2 = static_cast<int32_t>(code == 187 ? l.risk.size() : reins.size());
    head.nWord3 = static_cast<int32_t>(code == 187 ? reins.size() : l.risk.size());
    head.nWord4 = static_cast<int32_t>(l.extra.size());
    std::vector<char> body = BytesOf(head);
    Append(body, BytesOf(info));
    if (code == 187) {
        AppendAll(body, l.risk);
        AppendAll(body, reins);
    } else {
        AppendAll(body, reins);
        AppendAll(body, l.risk);
    }
    AppendAll(body, l.extra);
    return body;
}

inline std::vector<char> DecimalKey(int width, const char* text) {
    std::vector<char> key(static_cast<size_t>(width), '\0');
    std::memcpy(key.data(), text, std::strlen(text));
    return key;
}

// The body of a generation request: the identifier, the treaty code and the
// contract number.
inline std::vector<char> GenerateBody(int32_t id, const char* code, const char* contNo) {
    _ContInfoStruct r{};
    r.nContId = id;
    text::PutField(r.szContCode, code);
    text::PutField(r.szContNo, contNo);
    return BytesOf(r);
}

// A host database with the code lists the treaty data screens name things from.
class TreatyHostDatabase {
public:
    static void Open(const char* name) {
        dir = std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::string error;
        std::shared_ptr<db::Connection> db = db::Open((dir / "host.db").string(), &error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(codelist::ApplyCodeListSchema(*db, &error)) << error;
        auto run = [&](const char* sql, std::vector<std::string> values) {
            std::vector<db::Value> params(values.begin(), values.end());
            ASSERT_GE(db->Execute(sql, params), 0) << sql;
        };
        const char* company =
            "INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_com_kind, c_lapsed) VALUES (?, ?, ?, 'N')";
        run(company, {"01", "东方再保险", "A"});
        run(company, {"02", "北方再保险", "A"});
        run(company, {"03", "南方再保险", "A"});
        run(company, {"05", "西方再保险", "A"});
        run(company, {"B1", "远景经纪", "B"});
        const char* agent = "INSERT INTO t_ri_agent (c_broker_cde, c_ri_cde, c_nme_cn) VALUES (?, ?, ?)";
        run(agent, {"B1", "02", "北方再保险"});
        run(agent, {"B1", "03", "南方再保险"});
        const char* code = "INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_type) VALUES (?, ?, ?)";
        run(code, {"Q1", "成数合约一号", "A"});
        run(code, {"FA", "临分合约", "C"});
        run(code, {"S1", "第一溢额合约", "E"});
        run("INSERT INTO t_currency VALUES (?, ?)", {"01", "人民币"});
        run("INSERT INTO t_currency VALUES (?, ?)", {"02", "美元"});
        run("INSERT INTO t_prd_prod VALUES (?, ?)", {"0101", "企业财产险"});
        run("INSERT INTO t_prd_prod VALUES (?, ?)", {"0102", "家庭财产险"});
        run("INSERT INTO t_prd_class VALUES (?, ?)", {"C1", "财产险类"});
        const char* risk = "INSERT INTO t_risk_cde VALUES (?, ?, ?, ?, ?)";
        run(risk, {"2024", "01", "一级", "500", "1000"});
        run(risk, {"2024", "02", "二级", "800", "1000"});
        run("INSERT INTO t_risk_lvl VALUES (?, ?)", {"0101", "01"});
        run("INSERT INTO t_risk_lvl VALUES (?, ?)", {"0101", "02"});
        SetStaticDatabase(db);
    }
    static void Close() {
        SetStaticDatabase(nullptr);
        std::filesystem::remove_all(dir);
    }
    static inline std::filesystem::path dir;
};

}  // namespace kel::testing
