// What the product choices of a section and of an insurance class share: every
// product of the product table in a check list, the group's products ticked, "全选"
// and "清除", and on "确定[&O]" the ticked products saved as the group's whole
// product set. Each choice brings its own fields and its own save.
#pragma once

#include <vector>

#include "host/qxcommon/BaseBase.h"
#include "host/win/DialogTemplate.h"

class CProductChoice : public CBASEBASE {
public:
    enum : int {
        IDC_LST_PRODUCTS = 1101,  // every product: "code  name", ticked when chosen
        IDC_BTN_ALL = 1102,       // 全选
        IDC_BTN_NONE = 1103,      // 清除
        // 确定[&O] is IDOK, 返回 IDCANCEL.
    };

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal: the group's products now; they open ticked.
    std::vector<CString> m_vecCurrent;

    DECLARE_MESSAGE_MAP()

protected:
    CProductChoice(UINT nIDTemplate, CWnd* pParent);
    // Adds the list and the buttons to a choice's template, from `row` on, below the
    // choice's own fields.
    static void AddChoiceControls(win::TemplateBuilder& t, int row);
    // Saves the products (their codes, in list order) as the group's product set;
    // false when they were not stored (the framework or the choice has told why).
    virtual bool SaveProducts(const std::vector<CString>& codes) = 0;

private:
    struct Product {
        CString code;
        CString name;
        bool ticked = false;
    };
    // Every product of the product table, by code; false after a message when the
    // list cannot be had.
    bool ReadProducts();
    void FillList();
    void TickAll(int check);
    void OnBtnAll();
    void OnBtnNone();

    std::vector<Product> m_vecProducts;
};
