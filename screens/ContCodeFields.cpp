#include "screens/ContCodeFields.h"

#include "screens/S0000S2.h"
#include "screens/S0000S20.h"

namespace kel::screens {

const FieldTable<_ContCodeStruct>& ContCodeFields() {
    using F = FieldsOf<_ContCodeStruct>;
    using List = CS0000S2;
    using Form = CS0000S20;
    static const FieldTable<_ContCodeStruct> table{
        F::Code(&_ContCodeStruct::szContCode, "代码").Control(Form::IDC_EDT_CODE).Column(List::COL_CODE).Required(1),
        F::Text(&_ContCodeStruct::szChnName, "中文名称")
            .Control(Form::IDC_EDT_CHN_NAME)
            .Column(List::COL_CHN_NAME)
            .Required(2),
        F::Text(&_ContCodeStruct::szEngName, "英文名称").Control(Form::IDC_EDT_ENG_NAME).Column(List::COL_ENG_NAME),
        F::Letter(&_ContCodeStruct::cContType, "类型").Control(Form::IDC_CBX_TYPE).Column(List::COL_TYPE).Required(3),
        // The server's marker colours the row; a modify sends it back as 0.
        F::Letter(&_ContCodeStruct::cMarkFlag, "标记").Column(List::COL_FLAG).NotReadBack(),
    };
    return table;
}

}  // namespace kel::screens
