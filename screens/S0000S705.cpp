#include "screens/S0000S705.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/text/GbkText.h"
#include "data/InsrClassDtlMgr.h"
#include "data/InsrncSectMgr.h"
#include "screens/ClassFields.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S7050.h"
#include "screens/S0000S7051.h"

namespace {

const CProductGroupList::Look kLook{
    {{"险类代码", 90}, {"险类名称", 90}, {"", 0, false}},
    "险种代码",
    "请选择险类!",
};

}  // namespace

void CS0000S705::RegisterTemplate() { CProductGroupList::RegisterTemplate(IDD, "合约险类设置", false); }

CS0000S705::CS0000S705(CWnd* pParent) : CProductGroupList(IDD, kLook, pParent) {
    kel::screens::RegisterOnce<&CS0000S705::RegisterTemplate>();
}

bool CS0000S705::LoadGroups() {
    CInsrncSectMgr mgr(this);
    mgr.SetKey(std::to_string(m_nContId));
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetInsrncSectList(&answer, &count);
    }
    if (!ok) return false;  // the framework has told the user
    kel::screens::AppendRecordRows(m_GridGroup, kel::screens::ClassFields(), answer, count);
    std::free(answer);
    return true;
}

bool CS0000S705::ClassOfRow(int row, _InsrncSectStruct& cls) {
    cls = _InsrncSectStruct{};
    return kel::screens::ClassFields().ReadRow(*this, m_GridGroup, row, cls);
}

bool CS0000S705::LoadProducts(int row) {
    _InsrncSectStruct cls;
    if (!ClassOfRow(row, cls)) return false;
    _InsrClassDtlStruct filter{};  // the class: its treaty data id and its code
    filter.nContId = cls.nContId;
    std::memcpy(filter.szClassCode, cls.szClassCode, sizeof filter.szClassCode);
    CInsrClassDtlMgr mgr(this);
    mgr.SetFilter(filter);
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetInsrClassDtlList(&answer, &count);
    }
    if (!ok) return false;
    ShowProducts(kel::screens::ClassProductFields(), answer, count);
    std::free(answer);
    return true;
}

bool CS0000S705::StoreClass(const _InsrncSectStruct& cls, bool insert) {
    CInsrncSectMgr mgr(this);
    mgr.SetInsrncSect(cls);
    CWaitCursor wait;
    return insert ? mgr.Insert() : mgr.Update();
}

int CS0000S705::AddGroup() {
    CS0000S7050 form(this);
    form.m_bAdd = true;
    form.m_strContCode = m_strContCode;
    form.m_strContName = m_strContName;
    form.m_stClass.nContId = m_nContId;
    form.m_fnSave = [this](const _InsrncSectStruct& typed) { return StoreClass(typed, true); };
    if (form.DoModal() != IDOK) return 0;
    const int row = kel::screens::AppendGridRow(m_GridGroup);
    kel::screens::ClassFields().FillRow(m_GridGroup, row, form.m_stClass);
    m_GridGroup.Refresh();
    return row;
}

void CS0000S705::ModifyGroup(int row) {
    _InsrncSectStruct cls;
    if (!ClassOfRow(row, cls)) return;
    CS0000S7050 form(this);
    form.m_bAdd = false;
    form.m_strContCode = m_strContCode;
    form.m_strContName = m_strContName;
    form.m_stClass = cls;
    form.m_fnSave = [this](const _InsrncSectStruct& typed) { return StoreClass(typed, false); };
    if (form.DoModal() != IDOK) return;
    kel::screens::ClassFields().FillRow(m_GridGroup, row, form.m_stClass);
}

bool CS0000S705::DeleteGroup(int row) {
    _InsrncSectStruct cls;
    if (!ClassOfRow(row, cls)) return false;
    std::memset(cls.szClassName, 0, sizeof cls.szClassName);  // the key alone
    CInsrncSectMgr mgr(this);
    mgr.SetInsrncSect(cls);
    CWaitCursor wait;
    return mgr.Delete();
}

bool CS0000S705::ChooseProducts(int row, const std::vector<CString>& current) {
    _InsrncSectStruct cls;
    if (!ClassOfRow(row, cls)) return false;
    CS0000S7051 choice(this);
    choice.m_nContId = cls.nContId;
    choice.m_strClassCode = kel::text::GetField(cls.szClassCode);
    choice.m_vecCurrent = current;
    return choice.DoModal() == IDOK;
}
