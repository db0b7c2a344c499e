// Modal loops: nested dialogs with a message box inside, Enter, Esc and the close
// box, message-box buttons, icon and default, the wait cursor.
#include <QLineEdit>
#include <QPushButton>

#include "host/win/DialogTemplate.h"
#include "host/win/MessageMap.h"
#include "qt/tests/Suites.h"

namespace {

enum : int {
    kOuter = 7301,
    kInner = 7302,
    kRequired = 7303,
    IDC_NAME = 1001,
    IDC_OPEN = 1002,
    IDC_ASK = 1003,
    IDC_BUSY = 1004,
    IDC_KIND = 1005
};

class InnerDialog : public CDialog {
public:
    explicit InnerDialog(CWnd* parent) : CDialog(kInner, parent) {}
    int answer = 0;
    CString name;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_NAME, name); }
    void OnAsk() {
        answer = MessageBox("是否确定删除该纪录!", "提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        if (answer == IDYES) OnOK();
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(InnerDialog, CDialog)
ON_BN_CLICKED(IDC_ASK, OnAsk)
END_MESSAGE_MAP()

class OuterDialog : public CDialog {
public:
    OuterDialog() : CDialog(kOuter) {}
    int innerResult = -1;
    int innerAnswer = 0;
    CString innerName;
    int saves = 0;
    void OnOpen() {
        InnerDialog inner(this);
        innerResult = static_cast<int>(inner.DoModal());
        innerAnswer = inner.answer;
        innerName = inner.name;
    }
    void OnSave() { ++saves; }
    void OnBusy() {
        CWaitCursor wait;
        busyDepth = static_cast<kel::qt::QtDriver&>(win::Driver()).WaitCursorDepth();
    }
    int busyDepth = 0;
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(OuterDialog, CDialog)
ON_BN_CLICKED(IDC_OPEN, OnOpen)
ON_BN_CLICKED(IDOK, OnSave)
ON_BN_CLICKED(IDC_BUSY, OnBusy)
END_MESSAGE_MAP()

// A form whose save names an empty combo, as a required-field check does.
class RequiredDialog : public CDialog {
public:
    RequiredDialog() : CDialog(kRequired) {}
    void OnOK() override {
        if (GetDlgItem(IDC_KIND)->GetText().IsEmpty()) {
            MessageBox("类型不能为空，请输入！", "提示", MB_OK | MB_ICONEXCLAMATION);
            GetDlgItem(IDC_KIND)->SetFocus();
            return;
        }
        CDialog::OnOK();
    }
};

QPushButton* Button(kel::qt::DialogView& v, int id) { return qobject_cast<QPushButton*>(v.WidgetFor(id)); }

}  // namespace

namespace qttest {

class ModalTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        win::TemplateBuilder(kOuter, "外层")
            .Edit(IDC_NAME, 0, 0)
            .Button(IDC_OPEN, "打开(&O)", 1, 0)
            .Button(IDOK, "保存", 1, 1, BS_DEFPUSHBUTTON)
            .Button(IDC_BUSY, "忙", 1, 2)
            .Button(IDCANCEL, "返回", 1, 3)
            .Register();
        win::TemplateBuilder(kInner, "内层").Edit(IDC_NAME, 0, 0).Button(IDC_ASK, "删除", 1, 0).Register();
        win::TemplateBuilder(kRequired, "必填")
            .Edit(IDC_NAME, 0, 0)
            .Combo(IDC_KIND, 1, 0)
            .Button(IDOK, "确定", 2, 0, BS_DEFPUSHBUTTON)
            .Button(IDCANCEL, "返回", 2, 1)
            .Register();
    }

    // A message that names a field leaves the keyboard in it, a combo too.
    void aMessageNamingAFieldPutsTheFocusThere() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        RequiredDialog dlg;
        QString seen;
        scripts.Then([&](kel::qt::DialogView& v) {
            QWidget* name = v.WidgetFor(IDC_NAME);
            name->setFocus();
            WhenMessageBox([&](QMessageBox& box) {
                seen = box.text();
                box.buttons().front()->click();
            });
            QTest::keyClick(name, Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.WidgetFor(IDC_KIND));
            QCOMPARE(QApplication::activeWindow(), &v);
            QTest::keyClick(v.WidgetFor(IDC_KIND), Qt::Key_Escape);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        QCOMPARE(seen, QStringLiteral("类型不能为空，请输入！"));
    }

    void nestedDialogWithAMessageBox() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        OuterDialog dlg;
        QString seenText;
        bool noWasDefault = false;
        bool question = false;
        scripts
            .Then([&](kel::qt::DialogView& outer) {
                QTest::mouseClick(Button(outer, IDC_OPEN), Qt::LeftButton);  // returns when the inner one closed
                QCOMPARE(driver->TopDialog(), &outer);
                // The keyboard is back in the dialog that opened the closed one.
                QTRY_COMPARE(QApplication::activeWindow(), &outer);
                QVERIFY(outer.isAncestorOf(QApplication::focusWidget()));
                QTest::keyClick(&outer, Qt::Key_Escape);
            })
            .Then([&](kel::qt::DialogView& inner) {
                QVERIFY(inner.parentWidget() != nullptr);  // owned by the outer window
                QTest::sendKeyEvent(QTest::Click, inner.WidgetFor(IDC_NAME), Qt::Key_unknown, QStringLiteral("再保"),
                                    Qt::NoModifier);
                WhenMessageBox([&](QMessageBox& box) {
                    seenText = box.text();
                    question = box.icon() == QMessageBox::Question;
                    noWasDefault = box.defaultButton() == ButtonNamed(box, QStringLiteral("否(&N)"));
                    ButtonNamed(box, QStringLiteral("是(&Y)"))->click();
                });
                QTest::mouseClick(Button(inner, IDC_ASK), Qt::LeftButton);
            });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        QVERIFY(scripts.AllUsed());
        QCOMPARE(seenText, QStringLiteral("是否确定删除该纪录!"));
        QVERIFY(question);
        QVERIFY(noWasDefault);
        QCOMPARE(dlg.innerAnswer, IDYES);
        QCOMPARE(dlg.innerResult, IDOK);
        QCOMPARE(dlg.innerName, "再保");
    }

    void enterRunsTheDefaultButtonEscAndCloseBoxCancel() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        OuterDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            // A modal screen offers its close box, not minimise or maximise.
            const Qt::WindowFlags flags = v.windowFlags();
            QVERIFY(flags & Qt::WindowCloseButtonHint);
            QVERIFY(flags & Qt::CustomizeWindowHint);
            QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            QCOMPARE(v.windowType(), Qt::Dialog);
            auto* name = qobject_cast<QLineEdit*>(v.WidgetFor(IDC_NAME));
            name->setFocus();
            QTest::keyClick(name, Qt::Key_Return);  // the default button (保存) does not end this dialog
            QCOMPARE(dlg.saves, 1);
            QVERIFY(!dlg.IsEnded());
            QTest::mouseClick(Button(v, IDC_BUSY), Qt::LeftButton);
            QCOMPARE(dlg.busyDepth, 1);
            QCOMPARE(driver->WaitCursorDepth(), 0);
            v.close();  // the close box
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));

        OuterDialog second;
        scripts.Then([&](kel::qt::DialogView& v) { QTest::keyClick(v.WidgetFor(IDC_NAME), Qt::Key_Escape); });
        QCOMPARE(second.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        QCOMPARE(second.saves, 0);
    }

    void messageBoxButtonsAndAnswers() {
        kel::qt::ScopedQtDriver driver;
        struct Case {
            UINT type;
            QStringList buttons;
            QString press;  // "" = close with Esc
            int answer;
        };
        const Case cases[] = {
            {MB_OK, {"确定"}, "", IDOK},
            {MB_OKCANCEL | MB_ICONEXCLAMATION, {"确定", "取消"}, "", IDCANCEL},
            {MB_YESNOCANCEL, {"是(&Y)", "否(&N)", "取消"}, "否(&N)", IDNO},
            {MB_RETRYCANCEL | MB_ICONHAND, {"重试(&R)", "取消"}, "重试(&R)", IDRETRY},
        };
        for (const Case& c : cases) {
            QStringList shown;
            WhenMessageBox([&](QMessageBox& box) {
                for (QAbstractButton* b : box.buttons()) shown << b->text();
                if (c.press.isEmpty())
                    QTest::keyClick(&box, Qt::Key_Escape);
                else
                    ButtonNamed(box, c.press)->click();
            });
            win::MessageBoxRequest request;
            request.text = "发送数据包失败!";
            request.type = c.type;
            QCOMPARE(win::Driver().ShowMessageBox(request), c.answer);
            shown.sort();
            QStringList expected = c.buttons;
            expected.sort();
            QCOMPARE(shown, expected);
        }
    }
};

std::unique_ptr<QObject> MakeModalTest() { return std::make_unique<ModalTest>(); }

}  // namespace qttest

#include "ModalTest.moc"
