// The screens drawn by the Qt driver, off-screen, against the application server in
// process on the demo data: the treaty code list and its form, the searched treaty
// order, the prompt switches and the waiting items come out as real pictures.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#include "common/net/Channel.h"
#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "frame/ScreenTable.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "qt/tests/Reach.h"
#include "screens/S0000S2.h"
#include "screens/S0000S20.h"
#include "screens/S0000S6.h"
#include "screens/S0000SD.h"
#include "screens/S0000SE.h"
#include "screens/tests/DemoServer.h"

namespace {

bool HasColour(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

}  // namespace

class QtScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void treatyCodeListAndFormRender() {
        kel::testing::DemoServer demo("treatyCodeListAndFormRender");
        QVERIFY2(demo.Started(), demo.Error().c_str());

        kel::qt::ScopedQtDriver driver;
        QImage list, form;
        QStringList formFields;
        driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
            QTimer::singleShot(200, &view, [&, d = &dialog, v = &view] {
                if (d->GetTemplateID() == CS0000S2::IDD) {
                    list = v->grab().toImage();
                    // Open the add form; it runs its own modal loop in here.
                    if (form.isNull()) static_cast<CButton*>(d->GetDlgItem(CS0000S2::IDC_BTN_ADD))->UserClick();
                    d->EndDialog(IDCANCEL);
                } else {
                    form = v->grab().toImage();
                    for (int id : {CS0000S20::IDC_EDT_CODE, CS0000S20::IDC_EDT_CHN_NAME, CS0000S20::IDC_EDT_ENG_NAME})
                        if (auto* edit = qobject_cast<QLineEdit*>(v->WidgetFor(id))) formFields << edit->objectName();
                    if (auto* type = qobject_cast<QComboBox*>(v->WidgetFor(CS0000S20::IDC_CBX_TYPE)))
                        formFields << QString::number(type->count());
                    d->EndDialog(IDCANCEL);
                }
                driver->CheckEnded();
            });
        });

        CS0000S2 screen;
        QCOMPARE(static_cast<int>(screen.DoModal()), IDCANCEL);

        QVERIFY(!list.isNull());
        QVERIFY(list.width() > 300 && list.height() > 150);
        QVERIFY2(HasColour(list, QColor(248, 108, 24)), "the rows the server marks are painted");
        // KELMOR_SCREENSHOT_DIR keeps the pictures (for the README's tour).
        const QString keep = qEnvironmentVariable("KELMOR_SCREENSHOT_DIR", QString::fromStdString(demo.Dir().string()));
        QVERIFY(list.save(keep + "/screen-25001-list.png", "PNG"));
        QVERIFY(form.save(keep + "/screen-25001-form.png", "PNG"));
        QVERIFY(!form.isNull());
        QVERIFY(form.width() > 150 && form.height() > 80);
        QCOMPARE(formFields.size(), 4);                    // three edits and the type combo are on the form
        QCOMPARE(formFields.last(), QStringLiteral("8"));  // the empty item and the seven types
    }

    // The treaty order after a search, the prompt switches and the waiting items with
    // their check boxes; a mouse click on a row's check box ticks it and keeps it.
    void orderPromptsAndDetailsRender() {
        kel::testing::DemoServer demo("orderPromptsAndDetailsRender");
        QVERIFY2(demo.Started(), demo.Error().c_str());
        kel::qt::ScopedQtDriver driver;
        QImage picture;
        int orderRows = 0;
        bool promptAChecked = false;
        int items = 0;
        bool tickedByMouse = false;
        // Acts in the open dialog, then grabs it once the views have caught up, and closes it.
        auto arm = [&](std::function<void(CDialog&, kel::qt::DialogView&)> act,
                       std::function<void(CDialog&, kel::qt::DialogView&)> look) {
            driver->SetDialogShownHook([&, act, look](CDialog& dialog, kel::qt::DialogView& view) {
                driver->SetDialogShownHook(nullptr);
                QTimer::singleShot(100, &view, [&, act, look, d = &dialog, v = &view] {
                    act(*d, *v);
                    QTimer::singleShot(300, v, [&, look, d, v] {
                        look(*d, *v);
                        picture = v->grab().toImage();
                        d->EndDialog(IDCANCEL);
                        driver->CheckEnded();
                    });
                });
            });
        };
        const QString keep = qEnvironmentVariable("KELMOR_SCREENSHOT_DIR", QString::fromStdString(demo.Dir().string()));

        arm(
            [](CDialog& d, kel::qt::DialogView&) {
                static_cast<CQXDateTime*>(d.GetDlgItem(CS0000S6::IDC_DATE_MONTH))->UserType("202401");
                static_cast<CButton*>(d.GetDlgItem(CS0000S6::IDC_BTN_SEARCH))->UserClick();
            },
            [&](CDialog& d, kel::qt::DialogView&) {
                orderRows = static_cast<CQXGrid*>(d.GetDlgItem(CS0000S6::IDC_GRID))->GetRowCount() - 1;
            });
        QCOMPARE(Call_Kelmor_Dialog(25010, 0), IDCANCEL);
        QCOMPARE(orderRows, 7);
        QVERIFY(!picture.isNull() && picture.width() > 500);
        QVERIFY(picture.save(keep + "/screen-25010.png", "PNG"));

        arm([](CDialog&, kel::qt::DialogView&) {},
            [&](CDialog&, kel::qt::DialogView& v) {
                auto* box = qobject_cast<QCheckBox*>(v.WidgetFor(CS0000SD::IDC_CHK_A));
                promptAChecked = box && box->isChecked();
            });
        QCOMPARE(Call_Kelmor_Dialog(0, 0), IDCANCEL);
        QVERIFY(promptAChecked);
        QVERIFY(picture.save(keep + "/screen-0.png", "PNG"));

        arm(
            [&](CDialog&, kel::qt::DialogView& v) {
                auto* tree = qobject_cast<QTreeWidget*>(v.WidgetFor(CS0000SE::IDC_LIST));
                if (!tree || tree->topLevelItemCount() < 2) return;
                items = tree->topLevelItemCount();
                // The check box sits at the start of the first column.
                const QRect row = tree->visualItemRect(tree->topLevelItem(1));
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 10, row.center().y()));
            },
            [&](CDialog& d, kel::qt::DialogView&) {
                tickedByMouse = static_cast<CListCtrl*>(d.GetDlgItem(CS0000SE::IDC_LIST))->GetCheck(1) != FALSE;
            });
        QCOMPARE(Call_Kelmor_Dialog(14, 0), IDCANCEL);
        QCOMPARE(items, 5);
        QVERIFY2(tickedByMouse, "a click on a row's check box ticks the row");
        QVERIFY(picture.save(keep + "/screen-14.png", "PNG"));
    }

    // Every screen the host can open comes up in Qt with its caption and draws, each
    // control in view or scrolled to on a laptop's free area (the tests' screen).
    void everyScreenRenders() {
        kel::testing::DemoServer demo("everyScreenRenders");
        QVERIFY2(demo.Started(), demo.Error().c_str());
        kel::qt::ScopedQtDriver driver;
        for (const auto& entry : kel::ScreenTable()) {
            if (entry.result != kel::ScreenResult::ModalResult) continue;
            QString caption;
            QImage picture;
            QStringList outOfReach{"never opened"};
            driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
                QTimer::singleShot(50, &view, [&, d = &dialog, v = &view] {
                    caption = v->windowTitle();
                    picture = v->grab().toImage();
                    outOfReach = qttest::OutOfReach(*v);
                    d->EndDialog(IDCANCEL);
                    driver->CheckEnded();
                });
            });
            QCOMPARE(Call_Kelmor_Dialog(entry.number, 0), IDCANCEL);
            QVERIFY2(outOfReach.isEmpty(), qPrintable(QString::number(entry.number) + ": " + outOfReach.join("; ")));
            QCOMPARE(caption, QString::fromUtf8(entry.caption));
            QVERIFY2(!picture.isNull() && picture.width() > 50 && picture.height() > 20,
                     qPrintable(QString::number(entry.number)));
        }
    }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtScreenshotTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtScreenshotTest.moc"
