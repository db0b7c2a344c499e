// Each control kind shows its model and reports the person's action back; changes
// the program makes raise no handler.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "INCLUDE/NumEdit.h"
#include "host/qxctlset/QXDateTime.h"
#include "host/win/DialogTemplate.h"
#include "host/win/MessageMap.h"
#include "qt/KeyEditView.h"
#include "qt/Text.h"
#include "qt/tests/Suites.h"

namespace {

enum : int {
    kTemplate = 7101,
    IDC_CODE = 1001,
    IDC_DIGITS,
    IDC_NOTE,
    IDC_KIND,
    IDC_LAPSED,
    IDC_RADIO_A,
    IDC_RADIO_B,
    IDC_SAVE,
    IDC_AMP,
    IDC_TYPES,
    IDC_DOCS,
    IDC_DATE,
    IDC_AMOUNT,
    IDC_GROUP,
    IDC_LOCKED,
    IDC_CAPTION,
};

void RegisterTemplate() {
    win::TemplateBuilder(kTemplate, "控件测试")
        .Group(IDC_GROUP, "合约信息", 0, 0, 3, 4)
        .Label(IDC_CAPTION, "代码(&C):", 0, 0)
        .Edit(IDC_CODE, 0, 1, 1, ES_UPPERCASE, 3)
        .Label(-1, "数字:", 0, 2)
        .Edit(IDC_DIGITS, 0, 3, 1, ES_NUMBER)
        .Combo(IDC_KIND, 1, 1)
        .Check(IDC_LAPSED, "是否失效", 1, 2)
        .Radio(IDC_RADIO_A, "险种", 2, 0, 1, WS_GROUP)
        .Radio(IDC_RADIO_B, "险类", 2, 1)
        .Edit(IDC_LOCKED, 2, 2, 1, ES_READONLY)
        .Edit(IDC_NOTE, 3, 0, 4, ES_MULTILINE)
        .Date(IDC_DATE, 4, 0)
        .Number(IDC_AMOUNT, 4, 1)
        .CheckList(IDC_TYPES, 5, 0, 1, 2)
        .ReportList(IDC_DOCS, 5, 2, 1, 2)
        .Button(IDC_SAVE, "确定[&S]", 6, 0, BS_DEFPUSHBUTTON)
        .Button(IDC_AMP, "A&&B(&P)", 6, 1)
        .Button(IDCANCEL, "返回", 6, 3)
        .Register();
}

class ControlsDialog : public CDialog {
public:
    ControlsDialog() : CDialog(kTemplate) {}
    std::vector<std::string> events;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* kind = static_cast<CComboBox*>(GetDlgItem(IDC_KIND));
        kind->AddString("A  成数合约");
        kind->AddString("C  临分合约");
        kind->SetCurSel(0);
        auto* types = static_cast<CCheckListBox*>(GetDlgItem(IDC_TYPES));
        types->AddString("临分提示");
        types->AddString("合约提示");
        types->SetCheck(1, 1);
        auto* docs = static_cast<CListCtrl*>(GetDlgItem(IDC_DOCS));
        docs->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        docs->InsertColumn(0, "单证号", LVCFMT_LEFT, 90);
        docs->InsertColumn(1, "金额", LVCFMT_RIGHT, 80);
        docs->InsertColumn(2, "", LVCFMT_LEFT, 0);  // the program's key, never shown
        docs->InsertItem(0, "F0001");
        docs->SetItemText(0, 1, "1,200.00");
        docs->InsertItem(1, "F0002");
        static_cast<CQXDateTime*>(GetDlgItem(IDC_DATE))->SetTime("20240131");
        static_cast<CNumEdit*>(GetDlgItem(IDC_AMOUNT))->SetSeparators(',', '.');
        GetDlgItem(IDC_CODE)->SetWindowText("AB");  // a program change: no handler
        GetDlgItem(IDC_LOCKED)->SetWindowText("只读");
        static_cast<CButton*>(GetDlgItem(IDC_RADIO_A))->SetCheck(BST_CHECKED);
        return TRUE;
    }
    void Log(std::string e) { events.push_back(std::move(e)); }
    void OnCodeChange() { Log("change:" + GetDlgItem(IDC_CODE)->GetText().str()); }
    void OnCodeLeave() { Log("leave"); }
    void OnKind() { Log("kind:" + std::to_string(static_cast<CComboBox*>(GetDlgItem(IDC_KIND))->GetCurSel())); }
    void OnLapsed() { Log("lapsed"); }
    void OnRadioB() { Log("radioB"); }
    void OnTypes() { Log("types"); }
    void OnDocs(NMHDR* nm, LRESULT*) { Log("docs:" + std::to_string(reinterpret_cast<NMLISTVIEW*>(nm)->iItem)); }
    void OnDate() { Log("date:" + GetDlgItem(IDC_DATE)->GetText().str()); }
    void OnAmount() { Log("amount:" + GetDlgItem(IDC_AMOUNT)->GetText().str()); }
    void OnAmp() { Log("amp"); }
    void OnSave() {
        Log("save");
        EndDialog(IDOK);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ControlsDialog, CDialog)
ON_EN_CHANGE(IDC_CODE, OnCodeChange)
ON_EN_KILLFOCUS(IDC_CODE, OnCodeLeave)
ON_CBN_SELCHANGE(IDC_KIND, OnKind)
ON_BN_CLICKED(IDC_LAPSED, OnLapsed)
ON_BN_CLICKED(IDC_RADIO_B, OnRadioB)
ON_CLBN_CHKCHANGE(IDC_TYPES, OnTypes)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_DOCS, OnDocs)
ON_EN_CHANGE(IDC_DATE, OnDate)
ON_EN_CHANGE(IDC_AMOUNT, OnAmount)
ON_BN_CLICKED(IDC_AMP, OnAmp)
ON_BN_CLICKED(IDC_SAVE, OnSave)
END_MESSAGE_MAP()

// Text dragged onto the widget and dropped in its middle.
void DropText(QWidget* widget, const QString& text) {
    QMimeData mime;
    mime.setText(text);
    const QPointF at(widget->rect().center());
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &drop);
}

template <class W>
W* Find(kel::qt::DialogView& view, int id) {
    return qobject_cast<W*>(view.WidgetFor(id));
}

}  // namespace

namespace qttest {

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        RegisterTemplate();
        win::RegisterControlFactory(win::ControlKind::NumEdit, &CNumEdit::CreateModel);
    }

    void eachKindShowsItsModel() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            QCOMPARE(v.windowTitle(), QStringLiteral("控件测试"));
            QCOMPARE(Find<QLineEdit>(v, IDC_CODE)->text(), QStringLiteral("AB"));
            QCOMPARE(Find<QLabel>(v, IDC_CAPTION)->text(), QStringLiteral("代码(C):"));
            QCOMPARE(Find<QGroupBox>(v, IDC_GROUP)->title(), QStringLiteral("合约信息"));
            auto* kind = Find<QComboBox>(v, IDC_KIND);
            QCOMPARE(kind->count(), 2);
            QCOMPARE(kind->currentText(), QStringLiteral("A  成数合约"));
            QVERIFY(Find<QRadioButton>(v, IDC_RADIO_A)->isChecked());
            QVERIFY(!Find<QRadioButton>(v, IDC_RADIO_B)->isChecked());
            QVERIFY(Find<QLineEdit>(v, IDC_LOCKED)->isReadOnly());
            auto* save = Find<QPushButton>(v, IDC_SAVE);
            QCOMPARE(save->text(), QStringLiteral("确定[&S]"));  // drawn as 确定[S] with S underlined
            QVERIFY(save->isDefault());
            QCOMPARE(Find<QPushButton>(v, IDC_AMP)->text(), QStringLiteral("A&&B(&P)"));
            auto* types = Find<QListWidget>(v, IDC_TYPES);
            QCOMPARE(types->item(1)->checkState(), Qt::Checked);
            QCOMPARE(Find<QLineEdit>(v, IDC_DATE)->text(), QStringLiteral("2024/01/31"));
            QVERIFY(Find<QPlainTextEdit>(v, IDC_NOTE));
            auto* docs = Find<QTreeWidget>(v, IDC_DOCS);
            QTRY_COMPARE(docs->topLevelItemCount(), 2);
            QCOMPARE(docs->topLevelItem(0)->text(1), QStringLiteral("1,200.00"));
            QCOMPARE(docs->topLevelItem(0)->checkState(0), Qt::Unchecked);
            QCOMPARE(docs->headerItem()->text(0), QStringLiteral("单证号"));
            QVERIFY(!docs->isColumnHidden(1));
            QVERIFY(docs->isColumnHidden(2));
            // Changes the program makes while open show at once and raise nothing.
            dlg.GetDlgItem(IDC_CODE)->SetWindowText("XY");
            dlg.GetDlgItem(IDC_LAPSED)->EnableWindow(FALSE);
            dlg.GetDlgItem(IDC_DIGITS)->ShowWindow(SW_HIDE);
            static_cast<CComboBox*>(dlg.GetDlgItem(IDC_KIND))->SetCurSel(1);
            QCOMPARE(Find<QLineEdit>(v, IDC_CODE)->text(), QStringLiteral("XY"));
            QVERIFY(!Find<QCheckBox>(v, IDC_LAPSED)->isEnabled());
            QVERIFY(Find<QLineEdit>(v, IDC_DIGITS)->isHidden());
            QCOMPARE(kind->currentIndex(), 1);
            QVERIFY(dlg.events.empty());
            QTest::mouseClick(Find<QPushButton>(v, IDCANCEL), Qt::LeftButton);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        QCOMPARE(dlg.events, std::vector<std::string>{"leave"});  // the click took the focus from the code
    }

    void typingPickingTickingReachTheModel() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* code = Find<QLineEdit>(v, IDC_CODE);
            code->setFocus();
            code->selectAll();
            QTest::keyClicks(code, "x1y9");  // upper case, at most 3 characters
            QCOMPARE(code->text(), QStringLiteral("X1Y"));
            QCOMPARE(dlg.GetDlgItem(IDC_CODE)->GetText(), "X1Y");
            auto* digits = Find<QLineEdit>(v, IDC_DIGITS);
            digits->setFocus(Qt::TabFocusReason);  // leaving the code field
            QTest::keyClicks(digits, "1a2");
            QCOMPARE(digits->text(), QStringLiteral("12"));
            QTest::keyClicks(Find<QLineEdit>(v, IDC_LOCKED), "z");
            QCOMPARE(dlg.GetDlgItem(IDC_LOCKED)->GetText(), "只读");

            auto* kind = Find<QComboBox>(v, IDC_KIND);
            kind->setFocus();
            QTest::keyClick(kind, Qt::Key_Down);
            QCOMPARE(static_cast<CComboBox*>(dlg.GetDlgItem(IDC_KIND))->GetCurSel(), 1);

            QTest::mouseClick(Find<QCheckBox>(v, IDC_LAPSED), Qt::LeftButton);
            QCOMPARE(static_cast<CButton*>(dlg.GetDlgItem(IDC_LAPSED))->GetCheck(), BST_CHECKED);
            QTest::mouseClick(Find<QRadioButton>(v, IDC_RADIO_B), Qt::LeftButton);
            QVERIFY(!Find<QRadioButton>(v, IDC_RADIO_A)->isChecked());  // the model's group
            QCOMPARE(static_cast<CButton*>(dlg.GetDlgItem(IDC_RADIO_A))->GetCheck(), BST_UNCHECKED);

            Find<QListWidget>(v, IDC_TYPES)->item(0)->setCheckState(Qt::Checked);
            QCOMPARE(static_cast<CCheckListBox*>(dlg.GetDlgItem(IDC_TYPES))->GetCheck(0), 1);
            auto* docs = Find<QTreeWidget>(v, IDC_DOCS);
            QTRY_COMPARE(docs->topLevelItemCount(), 2);
            docs->topLevelItem(1)->setCheckState(0, Qt::Checked);
            QVERIFY(static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_DOCS))->GetCheck(1));

            auto* date = Find<QLineEdit>(v, IDC_DATE);
            date->setFocus();
            date->selectAll();
            QTest::keyClicks(date, "20250");
            QCOMPARE(dlg.GetDlgItem(IDC_DATE)->GetText(), "2025/0");

            auto* amp = Find<QPushButton>(v, IDC_AMP);
            QCOMPARE(amp->shortcut(), QKeySequence(Qt::ALT | Qt::Key_P));  // "(&P)" answers Alt+P
            QCOMPARE(Find<QPushButton>(v, IDC_SAVE)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
            QTest::mouseClick(amp, Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(v, IDC_SAVE), Qt::LeftButton);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDOK));
        // The fourth key found the code full: refused, it raised nothing.
        const std::vector<std::string> expected = {
            "change:X", "change:X1", "change:X1Y", "leave",    "kind:1",    "lapsed",      "radioB", "types",
            "docs:1",   "date:2",    "date:20",    "date:202", "date:2025", "date:2025/0", "amp",    "save"};
        QCOMPARE(dlg.events, expected);
    }

    // The item the keys highlight in a list is the model's current item, as a click makes it.
    void listRowsFollowTheKeys() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* docs = Find<QTreeWidget>(v, IDC_DOCS);
            QTRY_COMPARE(docs->topLevelItemCount(), 2);
            auto* docsModel = static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_DOCS));
            QTest::mouseClick(docs->viewport(), Qt::LeftButton, {},
                              docs->visualItemRect(docs->topLevelItem(0)).center());
            QCOMPARE(docsModel->GetSelectionMark(), 0);
            QTest::keyClick(docs, Qt::Key_Down);
            QCOMPARE(docsModel->GetSelectionMark(), 1);
            QTest::keyClick(docs, Qt::Key_Home);
            QCOMPARE(docsModel->GetSelectionMark(), 0);

            auto* types = Find<QListWidget>(v, IDC_TYPES);
            auto* typesModel = static_cast<CCheckListBox*>(dlg.GetDlgItem(IDC_TYPES));
            QTest::mouseClick(types->viewport(), Qt::LeftButton, {}, types->visualItemRect(types->item(0)).center());
            QTest::keyClick(types, Qt::Key_Down);
            QCOMPARE(typesModel->GetCurSel(), 1);
            QTest::keyClick(types, Qt::Key_Up);
            QCOMPARE(typesModel->GetCurSel(), 0);
            QTest::mouseClick(Find<QPushButton>(v, IDCANCEL), Qt::LeftButton);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
    }

    // A report list's cell cut by its column shows its whole text in a tooltip.
    void aCutListCellShowsItsTextInATooltip() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        const QString whole = QStringLiteral("境外分入业务转分保收款人：某某再保险经纪有限公司");
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* docs = Find<QTreeWidget>(v, IDC_DOCS);
            static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_DOCS))->SetItemText(1, 1, kel::qt::C(whole));
            QTRY_COMPARE(docs->topLevelItem(1)->text(1), whole);
            auto cell = [&](int row, int col) { return docs->visualRect(docs->model()->index(row, col)).center(); };
            QCOMPARE(TipAt(*docs, cell(1, 1)), whole);
            QCOMPARE(TipAt(*docs, cell(0, 1)), QString());  // "1,200.00" shows whole
            QCOMPARE(TipAt(*docs, cell(0, 0)), QString());
            QTest::mouseClick(Find<QPushButton>(v, IDCANCEL), Qt::LeftButton);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
    }

    void numberFieldTakesEveryKeyAndPaste() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* amount = Find<QLineEdit>(v, IDC_AMOUNT);
            amount->setFocus();
            QTest::keyClicks(amount, "1234567");
            QCOMPARE(amount->text(), QStringLiteral("1,234,567"));
            QCOMPARE(amount->cursorPosition(), 9);
            QTest::keyClick(amount, Qt::Key_Backspace);
            QCOMPARE(amount->text(), QStringLiteral("123,456"));
            QTest::keyClick(amount, Qt::Key_Home);  // the caret is the view's own
            QTest::keyClick(amount, Qt::Key_Delete);
            QCOMPARE(amount->text(), QStringLiteral("23,456"));
            amount->selectAll();
            QGuiApplication::clipboard()->setText(QStringLiteral("-1,234.5xyz"));
            QTest::keyClick(amount, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(amount->text(), QStringLiteral("-1,234.5"));
            QCOMPARE(dlg.GetDlgItem(IDC_AMOUNT)->GetText(), "-1,234.5");
            amount->setSelection(1, 4);
            QTest::keyClick(amount, Qt::Key_X, Qt::ControlModifier);
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("1,23"));
            QCOMPARE(amount->text(), QStringLiteral("-4.5"));
            QTest::keyClick(amount, Qt::Key_Escape);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        QCOMPARE(dlg.events.back(), std::string("amount:-4.5"));
    }

    // A number field showing a word for its number (no limit as "无限额"): the first
    // digit typed, wherever the caret stands in the word, starts a new number.
    void aWordInANumberFieldGivesWayToTheFirstDigit() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        CString plain;
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* model = static_cast<CNumEdit*>(dlg.GetDlgItem(IDC_AMOUNT));
            auto* amount = Find<QLineEdit>(v, IDC_AMOUNT);
            model->ShowWord("无限额", "9999999999.99");
            QTRY_COMPARE(amount->text(), QStringLiteral("无限额"));
            amount->setFocus();
            amount->setCursorPosition(1);
            QTest::keyClicks(amount, "25");
            QCOMPARE(amount->text(), QStringLiteral("25"));
            model->GetPlainText(plain);
            QTest::keyClick(amount, Qt::Key_Escape);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        QCOMPARE(plain, "25");
    }

    // Every way text can enter a number field goes through the field's own rules:
    // the middle click's primary selection, an input method's commit, a drop, and
    // whatever else the line edit might do by itself.
    void numberFieldAdmitsNothingUnchecked() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        QString selection = QStringLiteral("abc!!");
        kel::qt::SetPrimarySelectionReader([&selection] { return selection; });
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* amount = Find<QLineEdit>(v, IDC_AMOUNT);
            auto& model = *static_cast<CNumEdit*>(dlg.GetDlgItem(IDC_AMOUNT));
            amount->setFocus();
            QTest::mouseClick(amount, Qt::MiddleButton);
            QCOMPARE(amount->text(), QString());
            CString plain;
            QCOMPARE(model.GetPlainText(plain), 0);
            selection = QStringLiteral("1234.5x");
            QTest::mouseClick(amount, Qt::MiddleButton);
            QCOMPARE(amount->text(), QStringLiteral("1,234.5"));

            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("ab６7"));  // full-width digits from a Chinese input method
            QApplication::sendEvent(amount, &commit);
            QCOMPARE(amount->text(), QStringLiteral("1,234.567"));

            DropText(amount, QStringLiteral("x9"));
            QCOMPARE(amount->text(), QStringLiteral("1,234.567"));

            amount->insert(QStringLiteral("zz"));  // the line edit's own way in
            QCOMPARE(amount->text(), QStringLiteral("1,234.567"));
            QCOMPARE(model.GetText(), "1,234.567");

            amount->selectAll();
            QTest::keyClick(amount, Qt::Key_Backspace);
            DropText(amount, QStringLiteral("7,5x"));
            QCOMPARE(amount->text(), QStringLiteral("75"));
            QCOMPARE(model.GetPlainText(plain), 2);
            QTest::keyClick(amount, Qt::Key_Escape);
        });
        dlg.DoModal();
        kel::qt::SetPrimarySelectionReader({});
    }

    // The date field, key by key: Backspace clears places, nothing moves between the
    // parts, and the field reads what it shows.
    void dateFieldHoldsWhatItShows() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* date = Find<QLineEdit>(v, IDC_DATE);
            auto& model = *static_cast<CQXDateTime*>(dlg.GetDlgItem(IDC_DATE));
            date->setFocus();
            date->selectAll();
            QTest::keyClick(date, Qt::Key_Delete);
            QCOMPARE(date->text(), QString());
            QCOMPARE(date->placeholderText(), QStringLiteral("____/__/__"));
            QTest::keyClicks(date, "20240131");
            QCOMPARE(date->text(), QStringLiteral("2024/01/31"));
            date->setCursorPosition(7);  // after the month
            QTest::keyClick(date, Qt::Key_Backspace);
            QTest::keyClick(date, Qt::Key_Backspace);
            QCOMPARE(date->text(), QStringLiteral("2024/__/31"));
            QCOMPARE(model.GetTime(), "2024/__/31");
            QCOMPARE(date->cursorPosition(), 5);
            QVERIFY(!model.IsComplete());
            QTest::keyClicks(date, "1");
            QCOMPARE(date->text(), QStringLiteral("2024/1_/31"));
            QCOMPARE(date->cursorPosition(), 6);
            QTest::keyClicks(date, "2");
            QCOMPARE(model.GetTime(), "2024/12/31");
            QTest::keyClick(date, Qt::Key_Escape);
        });
        dlg.DoModal();
        QCOMPARE(dlg.events.back(), std::string("date:2024/12/31"));
    }

    // A code field that is full keeps its text and the caret where the refused key
    // was typed.
    void fullEditRefusesTheKeyWhereItWasTyped() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        ControlsDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* code = Find<QLineEdit>(v, IDC_CODE);
            code->setFocus();
            code->selectAll();
            QTest::keyClicks(code, "x1y");
            code->setCursorPosition(0);
            QTest::keyClicks(code, "z");
            QCOMPARE(code->text(), QStringLiteral("X1Y"));
            QCOMPARE(code->cursorPosition(), 0);
            code->setCursorPosition(1);
            QTest::keyClick(code, Qt::Key_Delete);
            QTest::keyClicks(code, "z");  // room again: typed where the caret is
            QCOMPARE(code->text(), QStringLiteral("XZY"));
            QCOMPARE(code->cursorPosition(), 2);
            QTest::keyClick(code, Qt::Key_Escape);
        });
        dlg.DoModal();
    }
};

std::unique_ptr<QObject> MakeControlsTest() { return std::make_unique<ControlsTest>(); }

}  // namespace qttest

#include "ControlsTest.moc"
