#include "screens/SectionFields.h"

#include "screens/ProductGroupList.h"
#include "screens/S0000S702.h"
#include "screens/S0000S7020.h"

namespace kel::screens {

const FieldTable<_SectionStruct>& SectionFields() {
    using F = FieldsOf<_SectionStruct>;
    using List = CS0000S702;
    using Form = CS0000S7020;
    // The rate is a fraction on the form too: four decimals there, "%f" in the list,
    // more when the stored rate has more.
    static const FieldTable<_SectionStruct> table{
        F::Text(&_SectionStruct::szSectCode, "SECTION")
            .Control(Form::IDC_EDT_SECT_CODE)
            .Column(List::COL_CODE)
            .TrimRight(),
        F::Real(&_SectionStruct::dCommRate, "手续费率")
            .Control(Form::IDC_EDT_COMM_RATE)
            .Column(List::COL_RATE)
            .FormFormat({4, 0})
            .GridFormat({6, 0}),
        F::Int(&_SectionStruct::nSectId, "SECTION编号").Column(List::COL_ID),
    };
    return table;
}

const FieldTable<_SectDetailStruct>& SectProductFields() {
    using F = FieldsOf<_SectDetailStruct>;
    using List = CProductGroupList;
    static const FieldTable<_SectDetailStruct> table{
        F::Text(&_SectDetailStruct::szProdCode, "险种").Column(List::PROD_CODE),
        F::Text(&_SectDetailStruct::szProdName, "险种名称").Column(List::PROD_NAME),
    };
    return table;
}

}  // namespace kel::screens
