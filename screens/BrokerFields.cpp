#include "screens/BrokerFields.h"

#include "screens/S0000SV.h"
#include "screens/S0000SV0.h"

namespace kel::screens {

const FieldTable<_RIAgentStruct>& RIAgentFields() {
    using F = FieldsOf<_RIAgentStruct>;
    using R = _RIAgentStruct;
    using List = CS0000SV;
    using Form = CS0000SV0;
    static const FieldTable<_RIAgentStruct> table{
        F::Text(&R::szBrokerCode, "经纪公司代码").Control(Form::IDC_EDT_BROKER_CODE).Column(List::COL_BROKER_CODE),
        F::Text(&R::szRICode, "再保公司代码").Control(Form::IDC_EDT_RI_CODE).Column(List::COL_RI_CODE),
        F::Text(&R::szChnName, "再保公司中文名称").Control(Form::IDC_EDT_CHN_NAME).Column(List::COL_CHN_NAME),
        F::Text(&R::szEngName, "再保公司英文名称").Control(Form::IDC_EDT_ENG_NAME).Column(List::COL_ENG_NAME),
        F::Text(&R::szShortName, "再保公司缩写").Control(Form::IDC_EDT_SHORT_NAME).Column(List::COL_SHORT_NAME),
        F::Text(&R::szAddress, "地址").Control(Form::IDC_EDT_ADDRESS).Column(List::COL_ADDRESS),
        F::Text(&R::szPhone, "电话号码").Control(Form::IDC_EDT_PHONE).Column(List::COL_PHONE),
        F::Text(&R::szFax, "传真号码").Control(Form::IDC_EDT_FAX).Column(List::COL_FAX),
        F::Letter(&R::cKind, "性质").Control(Form::IDC_CBX_KIND).Column(List::COL_KIND),
        F::Text(&R::szContact, "联系人").Control(Form::IDC_EDT_CONTACT).Column(List::COL_CONTACT),
        F::Text(&R::szCountry, "国家或地区").Control(Form::IDC_EDT_COUNTRY).Column(List::COL_COUNTRY),
        F::Text(&R::szCredit, "再保公司信用等级").Control(Form::IDC_EDT_CREDIT).Column(List::COL_CREDIT),
    };
    return table;
}

}  // namespace kel::screens
