// The reinsurer list (screen 25005): every reinsurer and broker with add, modify
// and delete. The grid holds every field of every record (most columns hidden), so
// a modify hands the form the record built back from its row. After a broker has
// been changed the list offers the broker's own list of reinsurers.
#pragma once

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

namespace kel::screens {
class RowKey;
}

class CS0000S4 : public CBASEBASE {
public:
    enum { IDD = 25005 };
    enum : int {
        IDC_GRID = 9999,
        IDC_BTN_ADD = 1001,     // 新增[&A]...
        IDC_BTN_MODIFY = 1002,  // 修改[&M]...
        IDC_BTN_DELETE = 1003,  // 删除[&D]
        // 返回[&R] is IDCANCEL.
    };
    // Grid columns, one per record field in record order.
    enum : int {
        COL_CODE,
        COL_CHN_NAME,
        COL_ENG_NAME,
        COL_SHORT_NAME,
        COL_ADDRESS,
        COL_PHONE,
        COL_FAX,
        COL_BUSI_TYPE,
        COL_COMP_PROP,  // code column: company property
        COL_BILL_TYPE,
        COL_PAY_MODE,
        COL_COMP_KIND,  // "再保公司" / "经纪公司"
        COL_CONTACT,
        COL_COUNTRY,  // code column: country or region
        COL_CREDIT,
        COL_SP_RATING,
        COL_AMBEST_RATING,
        COL_SOLVENCY,
        COL_RELATION,
        COL_RESERVE_FUND,
        COL_CAPITAL,
        COL_LAPSED,  // "0" not lapsed, "1" lapsed
        COL_COUNT
    };

    explicit CS0000S4(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

protected:
    void OnBtnAdd();
    void OnBtnModify();
    void OnBtnDelete();
    void OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void SetUpGrid();
    // Reads every reinsurer (182) and shows them; on failure the grid stays as it was.
    bool LoadRICompanyList();
    void FillGrid(const _RICompanyStruct* records, int count);
    // Reads the list again and makes the row worked on current.
    void ReloadAt(const kel::screens::RowKey& worked);
    // After a broker was changed: its own list of reinsurers, when the user wants it.
    void OfferBrokerList(const _RICompanyStruct& broker);

    CQXGrid m_Grid{0, 0, 0, 0};
};
