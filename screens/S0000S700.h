// The participation form: one participant of a treaty (a reinsurer or a broker)
// with its share and accepted limit and, for a broker, the reinsurers behind it
// with their shares. It sends nothing: on OK it retires the participant's old
// broker sub-reinsurer records in its owner's array and appends the new ones; the
// owner then writes the held values into its participation row.
#pragma once

#include "INCLUDE/NumEdit.h"
#include "common/db/CodeLists.h"
#include "common/records/Records.h"
#include "data/BaseMgr.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

// What the participation form works on in the screen that opens it (its parent
// window): the participation grid (data rows, then the total row "合 计" last)
// and the treaty data's broker sub-reinsurer records, which the form grows.
class CReinsListOwner {
public:
    virtual CQXGrid& GetReinsGrid() = 0;
    virtual kel::mgr::RecordArray<_ContExtraStruct>& GetExtraArray() = 0;

protected:
    ~CReinsListOwner() = default;
};

class CS0000S700 : public CBASEBASE {
public:
    enum { IDD = 25700 };
    enum : int {
        IDC_EDT_CONT_CODE = 1001,                       // 合约代码: (shown only)
        IDC_EDT_CONT_NAME = 1002,                       // 合约名称: (shown only)
        IDC_CBX_REINSURER = kel::codelist::kReinsurer,  // 再保公司: list 20313
        IDC_EDT_SHARE = 1003,                           // 参与比例: numeric (6, 4)
        IDC_EDT_LIMIT = 1004,                           // 接受限额: numeric (20, 2)
        IDC_BTN_ADD = 1005,                             // 增加[&A]
        IDC_BTN_MODIFY = 1006,                          // 修改[&M]
        IDC_BTN_DELETE = 1007,                          // 删除
        IDC_GRID = 9999,                                // 经纪公司所属再保公司资料
    };
    // The sub-reinsurer grid's columns.
    enum : int { COL_CODE = 0, COL_NAME = 1, COL_SHARE = 2, COL_COUNT = 3 };

    // The parent must be the owner (CReinsListOwner); the form works on its grid
    // and array.
    explicit CS0000S700(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal, read back after OK.
    int m_nRowNo = -1;      // the participation grid row edited; -1 for a new participant
    int m_nExtraStart = 0;  // first broker sub-reinsurer record of the participant in the owner's array
    int m_nExtraCount = 0;  // number of those records
    CString m_strContCode;  // 合约代码
    CString m_strContName;  // 合约名称
    CString m_strRICode;    // 再保公司: the participant's code
    CString m_strShare;     // 参与比例: a fraction; on OK rewritten with "%.4f"
    CString m_strLimit;     // 接受限额: an amount

    // The sub-reinsurer grid (for the sub-reinsurer form's duplicate test).
    CQXGrid m_Grid{0, 0, 0, 0};

    DECLARE_MESSAGE_MAP()

private:
    void OnKillFocusReinsurer();
    void OnAddSub();
    void OnModifySub();
    void OnDeleteSub();

    void SetUpGrid();
    void LoadSubReinsurers();
    int AppendSubRow(const CString& code, const CString& share);
    void WriteSubRow(int row, const CString& code, const CString& share);
    // Drops the total row and, while there are sub-reinsurers, appends a fresh one.
    void RebuildTotalRow();
    int SubRowCount() const;
    CString SubTotalText() const;
    int SelectedSubRow(const char* message);
    bool RefuseSubsOfReinsurer(const CString& code);
    bool TakeLimit(const CString& text);
    bool WriteExtraRecords(const CString& code, const CString& share);

    CReinsListOwner* m_pOwner = nullptr;
    CNumEdit m_edtShare;
    CNumEdit m_edtLimit;
};
