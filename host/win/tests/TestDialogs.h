// A small dialog used by the window-layer tests: a form with an upper-case code
// edit, a combo, a check box, two radio buttons and OK/Cancel/Save buttons.
#pragma once

#include <string>
#include <vector>

#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/DialogTemplate.h"

namespace testdlg {

enum : int {
    kFormTemplate = 5001,
    kChildTemplate = 5002,
    IDC_CODE = 1001,
    IDC_NAME = 1002,
    IDC_KIND = 1003,
    IDC_LAPSED = 1004,
    IDC_RADIO_A = 1005,
    IDC_RADIO_B = 1006,
    IDC_SAVE = 1007,
    IDC_CHILD = 1008,
    IDC_DIGITS = 1009,
};

inline void RegisterTemplates() {
    win::TemplateBuilder(kFormTemplate, "测试表单")
        .Label(-1, "代    码:", 0, 0)
        .Edit(IDC_CODE, 0, 1, 1, ES_UPPERCASE, 2)
        .Label(-1, "名称:", 1, 0)
        .Edit(IDC_NAME, 1, 1)
        .Combo(IDC_KIND, 2, 1)
        .Check(IDC_LAPSED, "是否失效", 3, 0)
        .Radio(IDC_RADIO_A, "险种", 4, 0, 1, WS_GROUP)
        .Radio(IDC_RADIO_B, "险类", 4, 1)
        .Edit(IDC_DIGITS, 5, 1, 1, ES_NUMBER)
        .Button(IDC_SAVE, "确定[&S]", 6, 0, BS_DEFPUSHBUTTON)
        .Button(IDC_CHILD, "子窗口", 6, 1)
        .Button(IDCANCEL, "返回", 6, 2)
        .Register();
    win::TemplateBuilder(kChildTemplate, "子窗口").Edit(IDC_NAME, 0, 0).Button(IDOK, "确定", 1, 0).Register();
}

class ChildDialog : public CDialog {
public:
    explicit ChildDialog(CWnd* parent) : CDialog(kChildTemplate, parent) {}
    CString m_name;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_NAME, m_name); }
};

class FormDialog : public CDialog {
public:
    FormDialog() : CDialog(kFormTemplate, nullptr) {}
    std::vector<std::string> events;
    CString childName;
    int saves = 0;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* kind = static_cast<CComboBox*>(GetDlgItem(IDC_KIND));
        kind->AddString("");
        kind->AddString("A  成数合约");
        kind->AddString("C  临分合约");
        GetDlgItem(IDC_CODE)->SetWindowText("AB");  // program change: no EN_CHANGE
        return TRUE;
    }
    void OnSave() {
        ++saves;
        if (MessageBox("保存吗?", "提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) EndDialog(IDOK);
    }
    void OnChild() {
        ChildDialog child(this);
        child.m_name = "初值";
        if (child.DoModal() == IDOK) childName = child.m_name;
    }
    void OnCodeChange() { events.push_back("change:" + GetDlgItem(IDC_CODE)->GetText().str()); }
    void OnCodeKillFocus() { events.push_back("leave"); }
    void OnKindChange() { events.push_back("kind"); }
    void OnLapsed() { events.push_back("lapsed"); }
    LRESULT OnCondition(WPARAM w, LPARAM l) {
        events.push_back("condition");
        return static_cast<LRESULT>(w + static_cast<WPARAM>(l));
    }
    DECLARE_MESSAGE_MAP()
};

}  // namespace testdlg
