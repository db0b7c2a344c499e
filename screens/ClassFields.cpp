#include "screens/ClassFields.h"

#include "screens/ProductGroupList.h"
#include "screens/S0000S705.h"
#include "screens/S0000S7050.h"

namespace kel::screens {

const FieldTable<_InsrncSectStruct>& ClassFields() {
    using F = FieldsOf<_InsrncSectStruct>;
    using List = CS0000S705;
    using Form = CS0000S7050;
    static const FieldTable<_InsrncSectStruct> table{
        F::Text(&_InsrncSectStruct::szClassCode, "险类代码")
            .Control(Form::IDC_EDT_CLASS_CODE)
            .Column(List::COL_CODE)
            .TrimRight(),
        F::Text(&_InsrncSectStruct::szClassName, "险类名称").Control(Form::IDC_EDT_CLASS_NAME).Column(List::COL_NAME),
        F::Int(&_InsrncSectStruct::nContId, "合约资料编号").Column(List::COL_CONT_ID),
    };
    return table;
}

const FieldTable<_InsrClassDtlStruct>& ClassProductFields() {
    using F = FieldsOf<_InsrClassDtlStruct>;
    using List = CProductGroupList;
    static const FieldTable<_InsrClassDtlStruct> table{
        F::Text(&_InsrClassDtlStruct::szProdCode, "险种代码").Column(List::PROD_CODE),
        F::Text(&_InsrClassDtlStruct::szProdName, "险种名称").Column(List::PROD_NAME),
    };
    return table;
}

}  // namespace kel::screens
