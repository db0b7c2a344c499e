#include "screens/TreatyListFields.h"

#include "screens/S0000S700.h"
#include "screens/S0000S701.h"
#include "screens/TreatyLists.h"

namespace kel::screens {

using records::kAmountBound;
using records::kCoefficientBound;
using records::kFractionBound;

const FieldTable<_ContReinsStruct>& ContReinsFields() {
    using F = FieldsOf<_ContReinsStruct>;
    using R = _ContReinsStruct;
    static const FieldTable<_ContReinsStruct> table{
        F::Text(&R::szRICode, "再保公司代码").Column(REINS_CODE),
        // The code again, shown as the reinsurer's name.
        F::Text(&R::szRICode, "再保公司名称").Column(REINS_NAME).NotReadBack(),
        F::Real(&R::dShare, "参与比例").Column(REINS_SHARE).GridFormat({4, 0}),
        F::Real(&R::dLimit, "限额").Column(REINS_LIMIT).GridFormat({2, 0}).Unlimited(),
        F::Int(&R::nExtraStart, "下属再保公司起始").Column(REINS_EXTRA_START),
        F::Int(&R::nExtraCount, "下属再保公司个数").Column(REINS_EXTRA_COUNT),
    };
    return table;
}

const FieldTable<_ContRiskStruct>& ContRiskFields() {
    using F = FieldsOf<_ContRiskStruct>;
    using R = _ContRiskStruct;
    using Form = CS0000S701;  // the product share form
    static const FieldTable<_ContRiskStruct> table{
        F::Text(&R::szProdCode, "险种").Column(RISK_PRODUCT),
        F::Text(&R::szRiskLevel, "风险等级").Column(RISK_LEVEL),
        F::Real(&R::fQuotaRatio, "成数比例")
            .Column(RISK_QUOTA)
            .Control(Form::IDC_EDT_QUOTA)
            .GridFormat({2, 0})
            .Bounded(kFractionBound),
        F::Real(&R::dRetention, "自留限额")
            .Column(RISK_RETENTION)
            .Control(Form::IDC_EDT_RETENTION)
            .GridFormat({2, 0})
            .Unlimited()
            .Bounded(kAmountBound),
        F::Real(&R::dContLimit, "合约限额")
            .Column(RISK_CONT_LIMIT)
            .Control(Form::IDC_EDT_CONT_LIMIT)
            .GridFormat({2, 0})
            .Unlimited()
            .Bounded(kAmountBound),
        F::Real(&R::fCoinsCoef, "共保限额系数")
            .Column(RISK_COINS_COEF)
            .Control(Form::IDC_EDT_COINS_COEF)
            .GridFormat({2, 0})
            .Bounded(kCoefficientBound),
        F::Letter(&R::cSetType, "设置类型").Column(RISK_SET_TYPE).EmptyAs('T'),
        F::Int(&R::nLines, "线数").Column(RISK_LINES).Control(Form::IDC_EDT_LINES),
        F::Letter(&R::cCopyFlag, "复制业务数据").Column(RISK_COPY_FLAG).EmptyAs('N'),
        F::Int(&R::nVipLines, "VIP线数").Column(RISK_VIP_LINES).Control(Form::IDC_EDT_VIP_LINES),
        F::Number(&R::szVipLimit, "VIP限额")
            .Column(RISK_VIP_LIMIT)
            .Control(Form::IDC_EDT_VIP_LIMIT)
            .Unlimited()
            .Bounded(kAmountBound),
    };
    return table;
}

const FieldTable<_ContExtraStruct>& ContExtraFields() {
    using F = FieldsOf<_ContExtraStruct>;
    using R = _ContExtraStruct;
    using Form = CS0000S700;
    static const FieldTable<_ContExtraStruct> table{
        F::Text(&R::szSubRICode, "下属再保公司代码").Column(Form::COL_CODE),
        // The code again, shown as the sub-reinsurer's name.
        F::Text(&R::szSubRICode, "公司名称").Column(Form::COL_NAME).NotReadBack(),
        F::Text(&R::szSubShare, "下属再保公司参与比例").Column(Form::COL_SHARE),
    };
    return table;
}

}  // namespace kel::screens
