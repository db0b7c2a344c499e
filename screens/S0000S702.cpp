#include "screens/S0000S702.h"

#include <cstdlib>
#include <string>

#include "common/text/GbkText.h"
#include "data/SectDetailMgr.h"
#include "data/SectionMgr.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S7020.h"
#include "screens/S0000S7021.h"
#include "screens/SectionFields.h"

namespace {

const CProductGroupList::Look kLook{
    {{"SECTION", 90}, {"手续费率", 90}, {"", 0}},
    "险种",
    "请选择SECTION!",
};

}  // namespace

void CS0000S702::RegisterTemplate() {
    CProductGroupList::RegisterTemplate(IDD, "合约资料设置[合约再保公司SECTION检索]", true);
}

CS0000S702::CS0000S702(CWnd* pParent) : CProductGroupList(IDD, kLook, pParent) {
    kel::screens::RegisterOnce<&CS0000S702::RegisterTemplate>();
}

bool CS0000S702::LoadGroups() {
    CSectionMgr mgr(this);
    mgr.SetKey(std::to_string(m_nContId));
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetSectionList(&answer, &count);
    }
    if (!ok) return false;  // the framework has told the user
    kel::screens::AppendRecordRows(m_GridGroup, kel::screens::SectionFields(), answer, count);
    std::free(answer);
    return true;
}

bool CS0000S702::SectionOfRow(int row, _SectionStruct& section) {
    section = _SectionStruct{};
    return kel::screens::SectionFields().ReadRow(*this, m_GridGroup, row, section);
}

bool CS0000S702::LoadProducts(int row) {
    _SectionStruct section;
    if (!SectionOfRow(row, section)) return false;
    CSectDetailMgr mgr(this);
    mgr.m_stSectDetail.nSectId = section.nSectId;
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetSectDetailList(&answer, &count);
    }
    if (!ok) return false;
    ShowProducts(kel::screens::SectProductFields(), answer, count);
    std::free(answer);
    return true;
}

bool CS0000S702::StoreSection(_SectionStruct section, bool insert) {
    if (insert) section.nSectId = 0;  // the server gives it
    section.nContId = m_nContId;
    if (!kel::screens::PutFieldText(*this, 0, "合约代码", m_strContCode, section.szContCode)) return false;
    // The section's name is its code.
    kel::text::PutRawField(section.szSectName, sizeof section.szSectName,
                           kel::text::GetRawField(section.szSectCode, sizeof section.szSectCode));
    CSectionMgr mgr(this);
    mgr.SetSection(section);
    CWaitCursor wait;
    return insert ? mgr.Insert() : mgr.Update();
}

int CS0000S702::AddGroup() {
    CS0000S7020 form(this);
    form.m_strContCode = m_strContCode;
    form.m_strContName = m_strContName;
    form.m_fnSave = [this](const _SectionStruct& typed) { return StoreSection(typed, true); };
    if (form.DoModal() != IDOK) return 0;

    // The list comes fresh from the server: only there is the new section's id.
    Reload();
    const CString code = kel::text::GetField(form.m_stSection.szSectCode);
    for (int row = 1; row < m_GridGroup.GetRowCount(); ++row)
        if (m_GridGroup.GetItemText(row, COL_CODE) == code) return row;
    return 0;
}

void CS0000S702::ModifyGroup(int row) {
    _SectionStruct section;
    if (!SectionOfRow(row, section)) return;
    CS0000S7020 form(this);
    form.m_strContCode = m_strContCode;
    form.m_strContName = m_strContName;
    form.m_stSection = section;
    form.m_fnSave = [this](const _SectionStruct& typed) { return StoreSection(typed, false); };
    if (form.DoModal() != IDOK) return;
    kel::screens::SectionFields().FillRow(m_GridGroup, row, form.m_stSection);
}

bool CS0000S702::DeleteGroup(int row) {
    _SectionStruct shown;
    if (!SectionOfRow(row, shown)) return false;
    _SectionStruct section{};  // a delete carries only the id
    section.nSectId = shown.nSectId;
    CSectionMgr mgr(this);
    mgr.SetSection(section);
    CWaitCursor wait;
    return mgr.Delete();
}

bool CS0000S702::ChooseProducts(int row, const std::vector<CString>& current) {
    _SectionStruct section;
    if (!SectionOfRow(row, section)) return false;
    CS0000S7021 choice(this);
    choice.m_nSectId = section.nSectId;
    choice.m_strContCode = m_strContCode;
    choice.m_strContName = m_strContName;
    choice.m_strSectCode = kel::text::GetField(section.szSectCode);
    choice.m_vecCurrent = current;
    return choice.DoModal() == IDOK;
}
