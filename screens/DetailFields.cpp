#include "screens/DetailFields.h"

#include "screens/S0000S71.h"
#include "screens/S0000S710.h"

namespace kel::screens {

const FieldTable<_ContDetailStruct>& DetailFields() {
    using F = FieldsOf<_ContDetailStruct>;
    using List = CS0000S71;
    using Form = CS0000S710;
    // Fractions stay fractions on the form; the cells keep every digit, so a line
    // read back from its row is the line the server sent.
    static const FieldTable<_ContDetailStruct> table{
        F::Text(&_ContDetailStruct::szProdCode, "险种")
            .Control(Form::IDC_EDT_PRODUCT)
            .Column(List::COL_PRODUCT)
            .NotSaved(),
        F::Text(&_ContDetailStruct::szRiskLevel, "风险等级")
            .Control(Form::IDC_EDT_RISK_LEVEL)
            .Column(List::COL_RISK_LEVEL)
            .NotSaved(),
        F::Text(&_ContDetailStruct::szCompCode, "承保公司")
            .Control(Form::IDC_EDT_COMPANY)
            .Column(List::COL_COMPANY)
            .TrimRight()
            .NotSaved(),
        F::Text(&_ContDetailStruct::szRICode, "再保公司")
            .Control(Form::IDC_EDT_REINSURER)
            .Column(List::COL_REINSURER)
            .NotSaved(),
        F::Real(&_ContDetailStruct::dQuotaRatio, "成数比例")
            .Control(Form::IDC_EDT_QUOTA)
            .Column(List::COL_QUOTA)
            .FormFormat({4, 0})
            .NotSaved(),
        F::Real(&_ContDetailStruct::dContLimit, "合约限额")
            .Control(Form::IDC_EDT_CONT_LIMIT)
            .Column(List::COL_CONT_LIMIT)
            .FormFormat({2, 0})
            .Unlimited()
            .NotSaved(),
        F::Real(&_ContDetailStruct::dShare, "参与比例")
            .Control(Form::IDC_EDT_SHARE)
            .Column(List::COL_SHARE)
            .FormFormat({5, 0}),
        F::Real(&_ContDetailStruct::dRILimit, "限额")
            .Control(Form::IDC_EDT_RI_LIMIT)
            .Column(List::COL_RI_LIMIT)
            .FormFormat({2, 0})
            .Unlimited(),
        F::Real(&_ContDetailStruct::dCommRate, "手续费率")
            .Control(Form::IDC_EDT_COMM_RATE)
            .Column(List::COL_COMM_RATE)
            .FormFormat({4, 0}),
        F::Int(&_ContDetailStruct::nContId, "合约资料编号").Column(List::COL_CONT_ID),
    };
    return table;
}

}  // namespace kel::screens
