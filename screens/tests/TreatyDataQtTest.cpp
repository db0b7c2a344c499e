// The treaty data search and its edit form drawn by the Qt driver, off-screen,
// against the server in process on the demo data (also the host database of the
// code lists): the searched year with the names shown for the codes, and the
// quota share treaty with its participation total row in its colour.
// KELMOR_SCREENSHOT_DIR keeps the pictures. The form fits a laptop screen.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <optional>

#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "host/qxcommon/StaticDatabase.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "qt/tests/Reach.h"
#include "screens/S0000S7.h"
#include "screens/S0000S70.h"
#include "screens/tests/DemoServer.h"

namespace {

bool HasColour(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

template <class T>
T* Item(CDialog& dialog, int id) {
    return dynamic_cast<T*>(dialog.GetDlgItem(id));
}

}  // namespace

class TreatyDataQtTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        demo.emplace("treaty-data-qt");
        QVERIFY2(demo->Started(), demo->Error().c_str());
    }
    void cleanupTestCase() { demo.reset(); }

    void searchAndFormRender() {
        kel::qt::ScopedQtDriver driver;
        QImage list, form;
        int rows = 0;
        QStringList outOfReach{"the form never opened"};
        bool okInView = false;
        driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
            CDialog* d = &dialog;
            kel::qt::DialogView* v = &view;
            if (d->GetTemplateID() == CS0000S70::IDD) {
                QTimer::singleShot(300, v, [&, d, v] {
                    form = v->grab().toImage();
                    outOfReach = qttest::OutOfReach(*v);
                    QWidget* ok = v->WidgetFor(IDOK);
                    auto* area = v->findChild<QScrollArea*>();
                    okInView = ok && ok->isVisible() && !(area && area->isAncestorOf(ok)) &&
                               v->screen()->availableGeometry().contains(qttest::GlobalRect(*ok));
                    d->EndDialog(IDCANCEL);
                    driver->CheckEnded();
                });
                return;
            }
            QTimer::singleShot(200, v, [&, d, v] {
                Item<CEdit>(*d, CS0000S7::IDC_EDT_YEAR)->UserSetText("2024");
                Item<CButton>(*d, CS0000S7::IDC_BTN_SEARCH)->UserClick();
                QTimer::singleShot(300, v, [&, d, v] {
                    list = v->grab().toImage();
                    auto* grid = Item<CQXGrid>(*d, CS0000S7::IDC_GRID);
                    rows = grid->GetRowCount() - 1;
                    for (int row = 1; row < grid->GetRowCount(); ++row)
                        if (grid->GetItemText(row, CS0000S7::COL_CONT_CODE) == "Q1") grid->SelectRow(row, TRUE);
                    // The form runs its own modal loop in here.
                    Item<CButton>(*d, CS0000S7::IDC_BTN_MODIFY)->UserClick();
                    d->EndDialog(IDCANCEL);
                    driver->CheckEnded();
                });
            });
        });
        Call_Kelmor_Dialog(25013, 0);

        QCOMPARE(rows, 7);  // the demo year's treaties
        QVERIFY(!list.isNull() && list.width() > 800 && list.height() > 300);
        QVERIFY(!form.isNull() && form.width() > 800 && form.height() > 500);
        QVERIFY(list.save(Keep() + "/screen-25013.png", "PNG"));
        QVERIFY(form.save(Keep() + "/screen-25013-form.png", "PNG"));
        QVERIFY2(HasColour(form, QColor(248, 108, 24)), "the participation total row is painted");
        // On a laptop's free area (the tests' screen) every control can be reached and
        // the form's own buttons stay in view.
        QVERIFY2(outOfReach.isEmpty(), qPrintable(outOfReach.join("; ")));
        QVERIFY(okInView);
    }

private:
    QString Keep() const {
        return qEnvironmentVariable("KELMOR_SCREENSHOT_DIR", QString::fromStdString(demo->Dir().string()));
    }

    std::optional<kel::testing::DemoServer> demo;
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TreatyDataQtTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "TreatyDataQtTest.moc"
