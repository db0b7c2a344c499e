#include "screens/ContInfoFields.h"

#include "common/db/CodeLists.h"
#include "screens/S0000S7.h"
#include "screens/S0000S70.h"

namespace kel::screens {

const FieldTable<_ContInfoStruct>& ContInfoFields() {
    using F = FieldsOf<_ContInfoStruct>;
    using R = _ContInfoStruct;
    using List = CS0000S7;
    using Form = CS0000S70;
    static const FieldTable<_ContInfoStruct> table{
        F::Code(&R::szContCode, "合约代码").Control(Form::IDC_EDT_CONT_CODE).Column(List::COL_CONT_CODE).Required(1),
        F::Date(&R::szStartDate, "起始日期").Control(Form::IDC_DTE_START).Column(List::COL_START_DATE).Required(8),
        F::Date(&R::szEndDate, "终止日期").Control(Form::IDC_DTE_END).Column(List::COL_END_DATE).Required(7),
        // The code again, shown as the treaty's name.
        F::Code(&R::szContCode, "合约名称").Column(List::COL_CONT_NAME).CodeList(codelist::kTreatyName).NotReadBack(),
        F::Text(&R::szLeadRICode, "首席再保人")
            .Control(Form::IDC_CBX_LEAD_RI)
            .Column(List::COL_LEAD_RI)
            .CodeList(codelist::kReinsurer),
        F::Letter(&R::cAttribute, "属性").Column(List::COL_ATTRIBUTE),
        F::Int(&R::nContId, "合约资料编号").Column(List::COL_CONT_ID),
        F::Int(&R::nLines, "线数")
            .Control(Form::IDC_EDT_LINES)
            .Column(List::COL_LINES)
            .Bounded(records::kCountBound)
            .AddDefault("0"),
        F::Int(&R::nAcctPeriod, "核算周期")
            .Control(Form::IDC_EDT_ACCT_PERIOD)
            .Column(List::COL_ACCT_PERIOD)
            .Bounded(records::kCountBound),
        F::Int(&R::nLossCarry, "亏损滚转")
            .Control(Form::IDC_EDT_LOSS_CARRY)
            .Column(List::COL_LOSS_CARRY)
            .Bounded(records::kCountBound)
            .Required(5),
        F::Percent(&R::dUnexpRsvRatio, "未了责任准备金比例")
            .Control(Form::IDC_EDT_UNEXP_RSV)
            .Column(List::COL_UNEXP_RSV)
            .Bounded(records::kFractionBound),
        F::Percent(&R::dUnearnedRatio, "未满期保费比例")
            .Control(Form::IDC_EDT_UNEARNED)
            .Column(List::COL_UNEARNED)
            .Bounded(records::kFractionBound),
        F::Percent(&R::dQuotaRatio, "成数比例")
            .Control(Form::IDC_EDT_QUOTA)
            .Column(List::COL_QUOTA)
            .Bounded(records::kFractionBound)
            .AddDefault("0"),
        F::Percent(&R::dLeadShare, "首席再保人份额")
            .Control(Form::IDC_EDT_LEAD_SHARE)
            .Column(List::COL_LEAD_SHARE)
            .Bounded(records::kFractionBound),
        F::Percent(&R::dCommRate, "手续费率")
            .Control(Form::IDC_EDT_COMM_RATE)
            .Column(List::COL_COMM_RATE)
            .Bounded(records::kFractionBound)
            .Required(2)
            .AddDefault("0"),
        F::Percent(&R::dTaxRate, "税率")
            .Control(Form::IDC_EDT_TAX_RATE)
            .Column(List::COL_TAX_RATE)
            .Bounded(records::kFractionBound)
            .Required(9)
            .AddDefault("5.5"),
        F::Percent(&R::dPremRsvRatio, "保费准备金比例")
            .Control(Form::IDC_EDT_PREM_RSV)
            .Column(List::COL_PREM_RSV)
            .Bounded(records::kFractionBound)
            .Required(3),
        F::Percent(&R::dLossRsvRatio, "赔款准备金比例")
            .Control(Form::IDC_EDT_LOSS_RSV)
            .Column(List::COL_LOSS_RSV)
            .Bounded(records::kFractionBound),
        F::Real(&R::dCashLossLimit, "现金赔款起点")
            .Control(Form::IDC_EDT_CASH_LOSS)
            .Column(List::COL_CASH_LOSS)
            .Bounded(records::kAmountBound)
            .Required(12)
            .AddDefault("0"),
        F::Percent(&R::dProfitCommRate, "纯益手续费率")
            .Control(Form::IDC_EDT_PROFIT_COMM)
            .Column(List::COL_PROFIT_COMM)
            .Bounded(records::kFractionBound)
            .Required(4),
        F::Percent(&R::dMgmtFeeRate, "管理费率")
            .Control(Form::IDC_EDT_MGMT_FEE)
            .Column(List::COL_MGMT_FEE)
            .Bounded(records::kFractionBound)
            .Required(6),
        F::Percent(&R::dQuakeCommRate, "地震险手续费率")
            .Control(Form::IDC_EDT_QUAKE_COMM)
            .Column(List::COL_QUAKE_COMM)
            .Bounded(records::kFractionBound)
            .Required(10),
        F::Percent(&R::dQuakePremRatio, "地震保费比例")
            .Control(Form::IDC_EDT_QUAKE_PREM)
            .Column(List::COL_QUAKE_PREM)
            .Bounded(records::kFractionBound)
            .Required(11),
        F::Percent(&R::dActCommRate, "实际手续费率")
            .Control(Form::IDC_EDT_ACT_COMM_RATE)
            .Column(List::COL_ACT_COMM_RATE)
            .Bounded(records::kFractionBound),
        F::Text(&R::szLimitCurr, "合同限额币种").Control(Form::IDC_CBX_LIMIT_CURR).Column(List::COL_LIMIT_CURR),
        F::Date(&R::szCancelDate, "合同注销时限").Control(Form::IDC_DTE_CANCEL).Column(List::COL_CANCEL_DATE),
        F::Real(&R::dCoinsLimitCoef, "共保限额系数")
            .Control(Form::IDC_EDT_COINS_COEF)
            .Column(List::COL_COINS_COEF)
            .Bounded(records::kCoefficientBound)
            .AddDefault("0.00"),
        F::Flag(&R::cCommInclTax, "手续费含税").Control(Form::IDC_CHK_COMM_INCL_TAX).Column(List::COL_COMM_INCL_TAX),
        // Filled by the server from the treaty code; a save sends it empty.
        F::Text(&R::szContTypeName, "合约类型").Control(Form::IDC_EDT_CONT_TYPE).Column(List::COL_CONT_TYPE).NotSaved(),
        F::Int(&R::nContId, "合约资料编号").Column(List::COL_CONT_ID_AGAIN).NotReadBack(),
        F::Text(&R::szContNo, "合同号")
            .Control(Form::IDC_EDT_CONT_NO)
            .Column(List::COL_CONT_NO)
            .TrimRight()
            .Required(13),
        F::Int(&R::nVipLines, "VIP线数")
            .Control(Form::IDC_EDT_VIP_LINES)
            .Column(List::COL_VIP_LINES)
            .Bounded(records::kCountBound)
            .AddDefault("0"),
        F::Percent(&R::dPlantRate, "电厂工程费率")
            .Control(Form::IDC_EDT_PLANT_RATE)
            .Column(List::COL_PLANT_RATE)
            .Bounded(records::kFractionBound)
            .AddDefault("0"),
        F::Flag(&R::cNetPremFlag, "净费分保").Control(Form::IDC_CHK_NET_PREM).Column(List::COL_NET_PREM_FLAG),
        F::Percent(&R::dNetPremTaxRate, "净费税率")
            .Control(Form::IDC_NUM_NET_PREM_TAX)
            .Column(List::COL_NET_PREM_TAX)
            .Bounded(records::kFractionBound)
            .Required(14),
    };
    return table;
}

}  // namespace kel::screens
