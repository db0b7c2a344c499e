#include "screens/ProductChoice.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "common/text/GbkText.h"

namespace {

constexpr const char* kProductSql = "SELECT C_PROD_NO,C_NME_CN FROM t_prd_prod ";
constexpr const char* kProductTable = "t_prd_prod";

}  // namespace

BEGIN_MESSAGE_MAP(CProductChoice, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_ALL, OnBtnAll)
ON_BN_CLICKED(IDC_BTN_NONE, OnBtnNone)
END_MESSAGE_MAP()

void CProductChoice::AddChoiceControls(win::TemplateBuilder& t, int row) {
    t.CheckList(IDC_LST_PRODUCTS, row, 0, 1, 4)
        .Size(420, 320)
        .Button(IDC_BTN_ALL, "全选", row + 1, 0)
        .Button(IDC_BTN_NONE, "清除", row + 1, 1)
        .Button(IDOK, "确定[&O]", row + 1, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", row + 1, 3);
}

CProductChoice::CProductChoice(UINT nIDTemplate, CWnd* pParent) : CBASEBASE(nIDTemplate, pParent) {}

BOOL CProductChoice::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    if (ReadProducts()) FillList();
    return TRUE;
}

bool CProductChoice::ReadProducts() {
    m_vecProducts.clear();
    int count = 2;  // columns asked for; rows on return
    _CodeListStruct* rows;
    {
        CWaitCursor wait;
        rows = GetCodeListDataTable(kProductSql, &count, kProductTable);
    }
    std::unique_ptr<_CodeListStruct, void (*)(void*)> table(rows, std::free);
    if (!table) return true;  // nothing to choose from: the list stays empty
    try {
        m_vecProducts.reserve(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        MessageBox("分配内存失败！", nullptr, MB_OK);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        Product p;
        p.code = kel::text::GetField(table.get()[i].szCode);
        p.name = kel::text::GetField(table.get()[i].szName);
        p.code.Trim();
        p.name.Trim();
        p.ticked = std::find(m_vecCurrent.begin(), m_vecCurrent.end(), p.code) != m_vecCurrent.end();
        m_vecProducts.push_back(std::move(p));
    }
    // The table keeps no order of its own: by code, the same each time.
    std::stable_sort(m_vecProducts.begin(), m_vecProducts.end(),
                     [](const Product& a, const Product& b) { return a.code.str() < b.code.str(); });
    return true;
}

void CProductChoice::FillList() {
    auto* list = static_cast<CCheckListBox*>(GetDlgItem(IDC_LST_PRODUCTS));
    list->ResetContent();
    for (const Product& p : m_vecProducts) {
        const int item = list->AddString(p.code + "  " + p.name);
        if (p.ticked) list->SetCheck(item, BST_CHECKED);
    }
}

void CProductChoice::TickAll(int check) {
    auto* list = static_cast<CCheckListBox*>(GetDlgItem(IDC_LST_PRODUCTS));
    for (int i = 0; i < list->GetCount(); ++i) list->SetCheck(i, check);
}

void CProductChoice::OnBtnAll() { TickAll(BST_CHECKED); }

void CProductChoice::OnBtnNone() { TickAll(BST_UNCHECKED); }

void CProductChoice::OnOK() {
    if (IsNeededEmpty()) return;
    // The list holds the products in their order: item i is product i.
    auto* list = static_cast<CCheckListBox*>(GetDlgItem(IDC_LST_PRODUCTS));
    std::vector<CString> chosen;
    for (int i = 0; i < list->GetCount() && i < static_cast<int>(m_vecProducts.size()); ++i) {
        m_vecProducts[static_cast<std::size_t>(i)].ticked = list->GetCheck(i) == BST_CHECKED;
        if (m_vecProducts[static_cast<std::size_t>(i)].ticked) chosen.push_back(m_vecProducts[i].code);
    }
    if (chosen.empty()) {
        MessageBox("没有选择险种!", nullptr, MB_OK);
        return;
    }
    if (!SaveProducts(chosen)) {
        MessageBox("错误!", nullptr, MB_OK);  // after the framework's own word; the ticks stay
        return;
    }
    EndDialog(IDOK);
}
