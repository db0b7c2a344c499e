// What the section list and the insurance class list of a treaty data record share:
// the record's groups (sections or classes) on the left, the products of a group on
// the right, add, modify and delete of groups, and the product choice. Each screen
// brings its own records, forms and product choice through the hooks below.
//
// The product choice always belongs to the current group row: its products are read
// again just before the choice opens, and the choice saves for that same row. Keys
// moving the current row leave the product grid as it was; the choice never trusts it.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"
#include "screens/FieldTable.h"
#include "screens/ScreenCommon.h"

class CProductGroupList : public CBASEBASE {
public:
    enum : int {
        IDC_EDT_CONT_CODE = 1001,  // 合约代码: (shown only)
        IDC_EDT_CONT_NAME = 1002,  // 合约名称: (shown only)
        IDC_GRID_GROUP = 1003,     // the sections or classes
        IDC_GRID_PRODUCT = 1004,   // the products of a group
        IDC_BTN_ADD = 1005,        // 新增...
        IDC_BTN_MODIFY = 1006,     // 修改...
        IDC_BTN_DELETE = 1007,     // 删除
        IDC_BTN_PRODUCTS = 1008,   // 选择险种...
        IDC_BTN_PRINT = 1009,      // 打印[&P]: hidden, without action (section list only)
        // 返回[&R] is IDCANCEL.
    };
    // Product grid columns.
    enum : int { PROD_CODE, PROD_NAME };

    BOOL OnInitDialog() override;

    // Set by the caller before DoModal: the treaty data record whose groups these are.
    int32_t m_nContId = 0;
    CString m_strContCode;
    CString m_strContName;
    // The record has no id of its own yet (it is being added, or is a copy not saved
    // yet): there is nothing to read and nothing to attach a group to.
    bool m_bAdd = false;

    // What tells the two lists apart on the screen.
    struct Look {
        kel::screens::GridColumn groupColumns[3];  // code, second value, hidden key
        const char* productCodeHeader;
        const char* noGroupForProducts;  // "选择险种..." without a current row
    };

    DECLARE_MESSAGE_MAP()

protected:
    CProductGroupList(UINT nIDTemplate, const Look& look, CWnd* pParent);
    static void RegisterTemplate(UINT nIDTemplate, const char* caption, bool withPrint);

    // ---- each screen's own records
    // Reads the groups and appends a row for each; false when nothing was read (the
    // framework or the screen has told why).
    virtual bool LoadGroups() = 0;
    // Reads the products of the group in `row` and shows them with ShowProducts;
    // false when they could not be read (told), the product grid then unchanged.
    virtual bool LoadProducts(int row) = 0;
    // Runs the group form for a new group and stores it; the row that shows the new
    // group, 0 when none was added.
    virtual int AddGroup() = 0;
    // Runs the group form for the group in `row` and stores the change into the row.
    virtual void ModifyGroup(int row) = 0;
    // Sends the delete of the group in `row`; true when it is gone.
    virtual bool DeleteGroup(int row) = 0;
    // Runs the product choice for the group in `row`, with the products it has now;
    // true when the choice was saved.
    virtual bool ChooseProducts(int row, const std::vector<CString>& current) = 0;

    // Sets up both grids empty, reads the groups (none in add mode) and makes row 1
    // current.
    void Reload();
    // The product grid shows these records (an answer buffer) through the table.
    template <class R>
    void ShowProducts(const kel::screens::FieldTable<R>& fields, const char* answer, int count);
    void ClearProducts() { m_GridProduct.DeleteAllItems(); }

    CQXGrid m_GridGroup{0, 0, 0, 0};
    CQXGrid m_GridProduct{0, 0, 0, 0};

private:
    void SetUpGrids();
    // The current group row, or 0 after showing `message` when there is none.
    int CurrentRow(const char* message);
    std::vector<CString> ProductCodes() const;

    void OnBtnAdd();
    void OnBtnModify();
    void OnBtnDelete();
    void OnBtnProducts();
    void OnClickGroupGrid(NMHDR* pNotifyStruct, LRESULT* pResult);
    void OnDblClickGroupGrid(NMHDR* pNotifyStruct, LRESULT* pResult);

    const Look& m_look;
};

namespace kel::screens {

// Appends a row for each record of an answer buffer, filled through the table.
template <class R>
void AppendRecordRows(CQXGrid& grid, const FieldTable<R>& fields, const char* answer, int count) {
    for (int i = 0; i < count; ++i) {
        R record;
        std::memcpy(&record, answer + static_cast<std::size_t>(i) * sizeof record, sizeof record);  // not aligned
        fields.FillRow(grid, AppendGridRow(grid), record);
    }
}

}  // namespace kel::screens

template <class R>
void CProductGroupList::ShowProducts(const kel::screens::FieldTable<R>& fields, const char* answer, int count) {
    m_GridProduct.DeleteAllItems();
    kel::screens::AppendRecordRows(m_GridProduct, fields, answer, count);
    m_GridProduct.Refresh();
    if (count > 0) m_GridProduct.SelectRow(1, TRUE);
}
