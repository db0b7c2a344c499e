// Records and a shared database for the reinsurer and broker screen tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/db/CodeLists.h"
#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/win/testing/HeadlessDriver.h"
#include "screens/S0000S40.h"

namespace kel::testing {

// A reinsurer with every field set, as FillHanhai types it.
inline _RICompanyStruct Reinsurer(const char* code, const char* chn, const char* eng, char kind, char lapsed) {
    _RICompanyStruct r{};
    text::PutField(r.szRICode, code);
    text::PutField(r.szChnName, chn);
    text::PutField(r.szEngName, eng);
    text::PutField(r.szShortName, "瀚海再");
    text::PutField(r.szAddress, "上海市浦东新区银城中路188号");
    text::PutField(r.szPhone, "021-68881001");
    text::PutField(r.szFax, "021-68881002");
    r.cBusiType = 'B';
    r.cCompProp = 'A';
    r.cBillType = 'C';
    r.cPayMode = 'T';
    r.cCompKind = kind;
    text::PutField(r.szContact, "周文斌");
    text::PutField(r.szCountry, "CN");
    text::PutField(r.szCredit, "AA");
    text::PutField(r.szSPRating, "A+");
    text::PutField(r.szAMBestRating, "A");
    text::PutField(r.szSolvency, "偿付能力充足率238%");
    r.cRelation = 'A';
    text::PutField(r.szReserveFund, "48.600000");
    text::PutField(r.szCapital, "120.000000");
    r.cLapsed = lapsed;
    return r;
}

inline _RIAccountStruct Account(char busiType, const char* currency, const char* bank, const char* accountNo,
                                const char* payee, const char* bankAddr) {
    _RIAccountStruct a{};
    a.cBusiType = busiType;
    text::PutField(a.szCurrency, currency);
    text::PutField(a.szBank, bank);
    text::PutField(a.szAccountNo, accountNo);
    text::PutField(a.szPayee, payee);
    text::PutField(a.szBankAddr, bankAddr);
    return a;
}

inline _RIAgentStruct Entry(const char* broker, const char* code, const char* chn, char kind = 'B') {
    _RIAgentStruct e{};
    text::PutField(e.szBrokerCode, broker);
    text::PutField(e.szRICode, code);
    text::PutField(e.szChnName, chn);
    text::PutField(e.szEngName, "Alpenglow Reinsurance AG");
    text::PutField(e.szShortName, "Alpen Re");
    text::PutField(e.szAddress, "Seestrasse 41, 8002 Zurich");
    text::PutField(e.szPhone, "41-44-2081100");
    text::PutField(e.szFax, "41-44-2081101");
    e.cKind = kind;
    text::PutField(e.szContact, "Martina Keller");
    text::PutField(e.szCountry, "CH");
    text::PutField(e.szCredit, "AA");
    return e;
}

// The code lists the forms and the list read: countries, company properties,
// currencies and one reinsurer, in a SQLite file in `dir`, as the shared database.
inline void InstallCodeLists(const std::filesystem::path& dir) {
    std::string error;
    std::shared_ptr<db::Connection> db = db::Open((dir / "host.db").string(), &error);
    ASSERT_TRUE(db) << error;
    ASSERT_TRUE(codelist::ApplyCodeListSchema(*db, &error)) << error;
    db->Execute("INSERT INTO t_country (c_country_cde, c_country_nme) VALUES (?, ?)", {"CN", "中国"});
    db->Execute("INSERT INTO t_country (c_country_cde, c_country_nme) VALUES (?, ?)", {"GB", "英国"});
    db->Execute("INSERT INTO t_com_property (c_prop_cde, c_prop_nme) VALUES (?, ?)", {"A", "境内"});
    db->Execute("INSERT INTO t_com_property (c_prop_cde, c_prop_nme) VALUES (?, ?)", {"B", "境外"});
    db->Execute("INSERT INTO t_currency (c_cur_cde, c_cur_nme) VALUES (?, ?)", {"01", "人民币"});
    db->Execute("INSERT INTO t_currency (c_cur_cde, c_cur_nme) VALUES (?, ?)", {"03", "美元"});
    db->Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn) VALUES (?, ?)", {"01", "瀚海再保险股份有限公司"});
    SetStaticDatabase(db);
}

// Types into an empty reinsurer form what Reinsurer("01", ...) holds, with kind A
// and not lapsed.
inline void FillHanhai(win::DialogActions& a) {
    using Form = CS0000S40;
    a.Type(Form::IDC_EDT_CODE, "01").Type(Form::IDC_EDT_CHN_NAME, "瀚海再保险股份有限公司");
    a.Type(Form::IDC_EDT_ENG_NAME, "Hanhai Reinsurance Co., Ltd.").Type(Form::IDC_EDT_SHORT_NAME, "瀚海再");
    a.Type(Form::IDC_EDT_ADDRESS, "上海市浦东新区银城中路188号").Type(Form::IDC_EDT_PHONE, "021-68881001");
    a.Type(Form::IDC_EDT_FAX, "021-68881002").Type(Form::IDC_EDT_CONTACT, "周文斌");
    a.PickCode(Form::IDC_CBX_BUSI_TYPE, "B").PickCode(Form::IDC_CBX_COMP_PROP, "A");
    a.PickCode(Form::IDC_CBX_BILL_TYPE, "C").PickCode(Form::IDC_CBX_PAY_MODE, "T");
    a.PickCode(Form::IDC_CBX_COMP_KIND, "A").PickCode(Form::IDC_CBX_COUNTRY, "CN");
    a.PickCode(Form::IDC_CBX_RELATION, "A");
    a.Type(Form::IDC_EDT_CREDIT, "AA").Type(Form::IDC_EDT_SP_RATING, "A+").Type(Form::IDC_EDT_AMBEST, "A");
    a.Type(Form::IDC_EDT_SOLVENCY, "偿付能力充足率238%");
    a.Keys(Form::IDC_NUM_RESERVE, "48.600000").Keys(Form::IDC_NUM_CAPITAL, "120.000000");
}

}  // namespace kel::testing
