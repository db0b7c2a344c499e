// The reinsurer list, the reinsurer form with its accounts, a broker's reinsurers and
// the entry form after a look-up, drawn by the Qt driver off-screen against the
// application server in process on the demo data. KELMOR_SCREENSHOT_DIR keeps the
// pictures (the README's tour shows them).
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "common/db/Database.h"
#include "common/net/Channel.h"
#include "common/net/InProcessChannel.h"
#include "host/qxcommon/StaticDatabase.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "screens/S0000S4.h"
#include "screens/S0000S40.h"
#include "screens/S0000SV.h"
#include "screens/S0000SV0.h"
#include "screens/tests/DemoServer.h"

namespace {

int RowOf(CQXGrid& grid, const char* code) {
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, 0) == code) return r;
    return -1;
}

// Whether the picture has anything drawn beyond its background.
bool IsDrawn(const QImage& image) {
    if (image.isNull() || image.width() < 200 || image.height() < 100) return false;
    const QColor first = image.pixelColor(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixelColor(x, y) != first) return true;
    return false;
}

}  // namespace

class ReinsurerQtTest : public QObject {
    Q_OBJECT

private slots:
    void reinsurerAndBrokerScreensRender() {
        kel::testing::DemoServer demo("reinsurerAndBrokerScreensRender");
        QVERIFY2(demo.Started(), demo.Error().c_str());
        kel::qt::ScopedQtDriver driver;
        QImage list, form, brokers, entry;
        int accountRows = 0;
        QString entryCode;
        driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
            QTimer::singleShot(200, &view, [&, d = &dialog, v = &view] {
                switch (d->GetTemplateID()) {
                    case CS0000S4::IDD: {
                        list = v->grab().toImage();
                        auto* grid = static_cast<CQXGrid*>(d->GetDlgItem(CS0000S4::IDC_GRID));
                        grid->UserDoubleClickRow(RowOf(*grid, "01"));  // the form runs its loop in here
                        break;
                    }
                    case CS0000S40::IDD: {
                        form = v->grab().toImage();
                        accountRows =
                            static_cast<CQXGrid*>(d->GetDlgItem(CS0000S40::IDC_GRID_ACCOUNT))->GetRowCount() - 1;
                        break;
                    }
                    case CS0000SV::IDD:
                        brokers = v->grab().toImage();
                        static_cast<CButton*>(d->GetDlgItem(CS0000SV::IDC_BTN_ADD))->UserClick();
                        break;
                    case CS0000SV0::IDD: {
                        auto* code = static_cast<CEdit*>(d->GetDlgItem(CS0000SV0::IDC_EDT_RI_CODE));
                        code->UserSetText("07");
                        code->UserLeave();  // the look-up fills the form
                        entryCode = QString::fromStdString(code->GetText().str());
                        QApplication::processEvents();
                        entry = v->grab().toImage();
                        break;
                    }
                    default: break;
                }
                d->EndDialog(IDCANCEL);
                driver->CheckEnded();
            });
        });

        {
            CS0000S4 screen;
            QCOMPARE(static_cast<int>(screen.DoModal()), IDCANCEL);
        }
        {
            CS0000SV screen;
            screen.m_strBrokerCode = "B1";
            screen.m_strBrokerChnName = "衡远再保险经纪有限公司";
            QCOMPARE(static_cast<int>(screen.DoModal()), IDCANCEL);
        }

        QVERIFY(IsDrawn(list));
        QVERIFY(IsDrawn(form));
        QCOMPARE(accountRows, 2);  // the demo reinsurer 01 has two accounts
        QVERIFY(IsDrawn(brokers));
        QVERIFY(IsDrawn(entry));
        QCOMPARE(entryCode, QStringLiteral("B107"));
        const QString keep = qEnvironmentVariable("KELMOR_SCREENSHOT_DIR", QString::fromStdString(demo.Dir().string()));
        QVERIFY(list.save(keep + "/screen-25005.png", "PNG"));
        QVERIFY(form.save(keep + "/screen-25005-form.png", "PNG"));
        QVERIFY(brokers.save(keep + "/screen-11.png", "PNG"));
        QVERIFY(entry.save(keep + "/screen-11-form.png", "PNG"));
    }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ReinsurerQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ReinsurerQtTest.moc"
