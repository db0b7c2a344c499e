#include "screens/ReinsurerFields.h"

#include "common/db/CodeLists.h"
#include "screens/S0000S4.h"
#include "screens/S0000S40.h"
#include "screens/S0000S400.h"

namespace kel::screens {
namespace {

// Any kind but A is a broker, and a broker goes back as B.
constexpr LetterWord kCompKindWords[] = {{'A', "再保公司"}, {'B', "经纪公司"}};
// Any flag but N is lapsed, and reads back as Y.
constexpr LetterWord kLapsedWords[] = {{'N', "0"}, {'Y', "1"}};

}  // namespace

const FieldTable<_RICompanyStruct>& RICompanyFields() {
    using F = FieldsOf<_RICompanyStruct>;
    using R = _RICompanyStruct;
    using List = CS0000S4;
    using Form = CS0000S40;
    static const FieldTable<_RICompanyStruct> table{
        // A new code is two characters; stored codes of up to four still load and save.
        F::Code(&R::szRICode, "代码").CodeLength(2).Control(Form::IDC_EDT_CODE).Required(1).Column(List::COL_CODE),
        F::Text(&R::szChnName, "中文名称").Control(Form::IDC_EDT_CHN_NAME).Column(List::COL_CHN_NAME),
        F::Text(&R::szEngName, "英文名称").Control(Form::IDC_EDT_ENG_NAME).Required(2).Column(List::COL_ENG_NAME),
        F::Text(&R::szShortName, "缩写").Control(Form::IDC_EDT_SHORT_NAME).Required(3).Column(List::COL_SHORT_NAME),
        F::Text(&R::szAddress, "地址").Control(Form::IDC_EDT_ADDRESS).Column(List::COL_ADDRESS),
        F::Text(&R::szPhone, "电话号码").Control(Form::IDC_EDT_PHONE).Column(List::COL_PHONE),
        F::Text(&R::szFax, "传真号码").Control(Form::IDC_EDT_FAX).Column(List::COL_FAX),
        F::Letter(&R::cBusiType, "业务类型").Control(Form::IDC_CBX_BUSI_TYPE).Required(6).Column(List::COL_BUSI_TYPE),
        F::Letter(&R::cCompProp, "公司属性")
            .Control(Form::IDC_CBX_COMP_PROP)
            .Required(4)
            .Column(List::COL_COMP_PROP)
            .CodeList(codelist::kCompanyProperty),
        F::Letter(&R::cBillType, "账单类型").Control(Form::IDC_CBX_BILL_TYPE).Required(7).Column(List::COL_BILL_TYPE),
        F::Letter(&R::cPayMode, "付款方式").Control(Form::IDC_CBX_PAY_MODE).Required(5).Column(List::COL_PAY_MODE),
        F::Letter(&R::cCompKind, "业务来源性质")
            .Control(Form::IDC_CBX_COMP_KIND)
            .Required(8)
            .Column(List::COL_COMP_KIND)
            .Words(kCompKindWords),
        F::Text(&R::szContact, "联系人").Control(Form::IDC_EDT_CONTACT).Column(List::COL_CONTACT),
        F::Text(&R::szCountry, "国家地区")
            .Control(Form::IDC_CBX_COUNTRY)
            .Required(9)
            .Column(List::COL_COUNTRY)
            .CodeList(codelist::kCountryRegion),
        F::Text(&R::szCredit, "信用等级").Control(Form::IDC_EDT_CREDIT).Column(List::COL_CREDIT),
        F::Text(&R::szSPRating, "S&P评级").Control(Form::IDC_EDT_SP_RATING).Column(List::COL_SP_RATING),
        F::Text(&R::szAMBestRating, "A.M.Best评级").Control(Form::IDC_EDT_AMBEST).Column(List::COL_AMBEST_RATING),
        F::Text(&R::szSolvency, "偿付能力").Control(Form::IDC_EDT_SOLVENCY).Column(List::COL_SOLVENCY),
        F::Letter(&R::cRelation, "关联方关系").Control(Form::IDC_CBX_RELATION).Required(10).Column(List::COL_RELATION),
        // The numeric edits show the sums with grouping separators: the form takes
        // them back itself, as plain numbers.
        F::Text(&R::szReserveFund, "公积金")
            .Control(Form::IDC_NUM_RESERVE)
            .Column(List::COL_RESERVE_FUND)
            .TrimRight()
            .NotSaved(),
        F::Text(&R::szCapital, "资本金")
            .Control(Form::IDC_NUM_CAPITAL)
            .Column(List::COL_CAPITAL)
            .TrimRight()
            .NotSaved(),
        F::Flag(&R::cLapsed, "失效标志", 'Y', 'N')
            .Control(Form::IDC_CHK_LAPSED)
            .Column(List::COL_LAPSED)
            .Words(kLapsedWords),
    };
    return table;
}

const FieldTable<_RIAccountStruct>& RIAccountFields() {
    using F = FieldsOf<_RIAccountStruct>;
    using R = _RIAccountStruct;
    using Grid = CS0000S40;
    using Form = CS0000S400;
    static const FieldTable<_RIAccountStruct> table{
        F::Letter(&R::cBusiType, "业务类型").Control(Form::IDC_CBX_BUSI_TYPE).Required(1).Column(Grid::ACC_BUSI_TYPE),
        F::Text(&R::szCurrency, "币种").Control(Form::IDC_CBX_CURRENCY).Required(2).Column(Grid::ACC_CURRENCY),
        F::Text(&R::szBank, "开户银行").Control(Form::IDC_EDT_BANK).Column(Grid::ACC_BANK),
        F::Text(&R::szAccountNo, "银行帐户").Control(Form::IDC_EDT_ACCOUNT_NO).Column(Grid::ACC_ACCOUNT_NO),
        F::Text(&R::szPayee, "收款人").Control(Form::IDC_EDT_PAYEE).Column(Grid::ACC_PAYEE),
        F::Text(&R::szBankAddr, "开户行地址").Control(Form::IDC_EDT_BANK_ADDR).Column(Grid::ACC_BANK_ADDR),
    };
    return table;
}

}  // namespace kel::screens
