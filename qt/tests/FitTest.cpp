// A form larger than the screen's free area: it scrolls, its own buttons stay in
// view and work, Tab brings a hidden field into view, and a larger window grows the
// list rather than the gaps. A small dialog does not scroll.
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include "host/win/DialogTemplate.h"
#include "qt/tests/Reach.h"
#include "qt/tests/Suites.h"

namespace {

enum : int { kTall = 7401, kSmall = 7402, IDC_FIELD = 1100, kFields = 30, IDC_LIST = 1200 };

QWidget* Field(kel::qt::DialogView& v, int i) { return v.WidgetFor(IDC_FIELD + i); }

}  // namespace

namespace qttest {

class FitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        win::TemplateBuilder tall(kTall, "高表单");
        for (int i = 0; i < kFields; ++i) tall.Label(-1, "字段:", i, 0).Edit(IDC_FIELD + i, i, 1);
        tall.CheckList(IDC_LIST, kFields, 0, 3, 2)
            .Size(0, 240)
            .Button(IDOK, "确定", kFields + 3, 0)
            .Button(IDCANCEL, "返回", kFields + 3, 1)
            .Register();
        win::TemplateBuilder(kSmall, "小").Edit(IDC_FIELD, 0, 0).Button(IDOK, "确定", 1, 0).Register();
    }

    void tallFormScrollsWithItsButtonsInView() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        CDialog dlg(kTall);
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* area = v.findChild<QScrollArea*>();
            QVERIFY(area);
            const QStringList out = OutOfReach(v);
            QVERIFY2(out.isEmpty(), qPrintable(out.join("; ")));
            QWidget* ok = v.WidgetFor(IDOK);
            QVERIFY(!area->isAncestorOf(ok) && !area->isAncestorOf(v.WidgetFor(IDCANCEL)));

            // Tab onto a field below the fold scrolls it into view.
            QWidget* last = Field(v, kFields - 1);
            QVERIFY(!GlobalRect(*area->viewport()).contains(GlobalRect(*last)));
            Field(v, kFields - 2)->setFocus();
            QTest::keyClick(Field(v, kFields - 2), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), last);
            QVERIFY(GlobalRect(*area->viewport()).contains(GlobalRect(*last)));

            // Room beyond the form's size goes to the list, not between the fields.
            QWidget* list = v.WidgetFor(IDC_LIST);
            const int listHeight = list->height();
            const int gap = Field(v, 1)->y() - Field(v, 0)->y();
            v.resize(v.width(), area->widget()->minimumSizeHint().height() + 300);
            QTRY_VERIFY(list->height() >= listHeight + 200);
            QCOMPARE(Field(v, 1)->y() - Field(v, 0)->y(), gap);

            QTest::mouseClick(qobject_cast<QPushButton*>(ok), Qt::LeftButton);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDOK));
        QVERIFY(scripts.AllUsed());
    }

    void smallDialogDoesNotScroll() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        CDialog dlg(kSmall);
        scripts.Then([&](kel::qt::DialogView& v) {
            QVERIFY(!v.findChild<QScrollArea*>());
            QVERIFY(OutOfReach(v).isEmpty());
            QTest::mouseClick(qobject_cast<QPushButton*>(v.WidgetFor(IDOK)), Qt::LeftButton);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDOK));
    }
};

std::unique_ptr<QObject> MakeFitTest() { return std::make_unique<FitTest>(); }

}  // namespace qttest

#include "FitTest.moc"
