// The reinsurer form: adds or changes one reinsurer or broker together with its
// bank accounts. Account changes live in the account grid until the save, which
// sends the record and the whole account list in one transaction (183); leaving
// the form any other way sends nothing.
#pragma once

#include "INCLUDE/NumEdit.h"
#include "common/db/CodeLists.h"
#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

// A sum of money that is never negative: the capital and reserve fields hold 14
// characters, a sign would make the text longer than the record's field.
class CUnsignedNumEdit : public CNumEdit {
public:
    void OnChar(unsigned ch) override;
};

class CS0000S40 : public CBASEBASE {
public:
    enum { IDD = 25006 };
    enum : int {
        IDC_EDT_CODE = 1001,        // 代    码:
        IDC_EDT_ENG_NAME = 1002,    // 英文名称:
        IDC_EDT_CHN_NAME = 1003,    // 中文名称:
        IDC_EDT_SHORT_NAME = 1004,  // 缩    写:
        IDC_EDT_CREDIT = 1005,      // 信用等级:
        IDC_CBX_PAY_MODE = 1006,    // 付款方式:
        IDC_CBX_RELATION = 1007,    // 关联方关系:
        IDC_EDT_SP_RATING = 1008,   // S&P 评级:
        IDC_EDT_SOLVENCY = 1009,    // 偿付能力:
        IDC_BTN_SOLVENCY = 1010,    // ... beside it: the text editor
        IDC_EDT_ADDRESS = 1011,     // 地    址:
        IDC_EDT_PHONE = 1012,       // 电话号码:
        IDC_EDT_FAX = 1013,         // 传真号码:
        IDC_EDT_CONTACT = 1014,     // 联 系 人:
        IDC_CBX_BUSI_TYPE = 1015,   // 业务类型:
        IDC_CBX_BILL_TYPE = 1016,   // 账单类型:
        IDC_CBX_COMP_KIND = 1017,   // 业务来源性质:
        IDC_NUM_RESERVE = 1018,     // 公积金(亿元人民币):
        IDC_NUM_CAPITAL = 1019,     // 资本金(亿元人民币):
        IDC_EDT_AMBEST = 1020,      // A.M.Best评级:
        IDC_CHK_LAPSED = 1021,      // 是否失效
        IDC_GRID_ACCOUNT = 9999,    // 再保人帐户资料
        IDC_BTN_ACC_ADD = 1031,     // 增加[&A]
        IDC_BTN_ACC_MODIFY = 1032,  // 修改[&M]
        IDC_BTN_ACC_DELETE = 1033,  // 删除[&D]
        // Code-list combos carry their list's ID.
        IDC_CBX_COUNTRY = kel::codelist::kCountryRegion,     // 国家地区:
        IDC_CBX_COMP_PROP = kel::codelist::kCompanyProperty  // 公司属性:
    };
    // Account grid columns, in the order of the account form's values.
    enum : int { ACC_BUSI_TYPE, ACC_CURRENCY, ACC_BANK, ACC_ACCOUNT_NO, ACC_PAYEE, ACC_BANK_ADDR, ACC_COUNT };
    // The business types, the account form's too; the letter is the item's first.
    static constexpr const char* kBusiTypeItems[] = {"", "I  分入公司", "O  分出公司", "B  Both"};
    // Widths of the two sums: 14 characters, 6 of them decimals.
    static constexpr int kAmountWidth = 14;
    static constexpr int kAmountDecimals = 6;

    explicit CS0000S40(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal; after a save the record holds what was stored.
    bool m_bAdd = true;
    _RICompanyStruct m_stRICompany;

protected:
    void OnBtnAccountAdd();
    void OnBtnAccountModify();
    void OnBtnAccountDelete();
    void OnBtnSolvency();
    DECLARE_MESSAGE_MAP()

private:
    void FillCombos();
    // Reads the reinsurer's accounts (215) into the grid; false when they could not be read.
    bool LoadAccounts();
    // A sum from its numeric edit into the record: no sign, digits and one point.
    bool PutAmount(int nID, const char* label, char* field, std::size_t width);
    // The current account row, or 0 after the message when there is none.
    int SelectedAccountRow(const char* message);

    CQXGrid m_GridAccount{0, 0, 0, 0};
    CUnsignedNumEdit m_edtReserve;
    CUnsignedNumEdit m_edtCapital;
    // False while the stored accounts are unknown (their read failed): a save would
    // replace them with whatever the grid shows.
    bool m_bAccountsRead = true;
};
