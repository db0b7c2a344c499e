// The treaty detail search and the check result drawn by the Qt driver, off-screen,
// against the server in process on the demo data with treaty Q1's details generated;
// and the check result's print preview, opened through the driver and closed as a
// person would.
// KELMOR_SCREENSHOT_DIR keeps the pictures.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QtTest>

#include <dlfcn.h>

#include <functional>
#include <memory>
#include <optional>

#include "common/net/InProcessChannel.h"
#include "common/records/ContRecords.h"
#include "common/text/GbkText.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/win/UserActions.h"
#include "qt/DialogView.h"
#include "qt/PrintLoader.h"
#include "qt/QtDriver.h"
#include "screens/S0000S71.h"
#include "screens/S0000S73.h"
#include "screens/tests/DemoServer.h"
#include "screens/tests/QtGrab.h"

class TreatyDetailQtTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        demo.emplace("treaty-detail-qt");
        QVERIFY2(demo->Started(), demo->Error().c_str());

        // Q1 of 2024 (id 8) generated, so that the search has lines to show.
        _ContInfoStruct key{};
        key.nContId = 8;
        kel::text::PutField(key.szContCode, "Q1");
        kel::text::PutField(key.szContNo, "Q1-2024");
        QCOMPARE(int(demo->Ask(200, &key, sizeof key).cStatus), 0);
    }
    void cleanupTestCase() { demo.reset(); }

    void detailSearchRendersTheGeneratedLines() {
        CS0000S71 screen;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strContNameCode = "Q1";
        screen.m_strStartDate = "20240101";
        screen.m_strEndDate = "20241231";
        int lines = 0;
        QImage picture = Grab(screen, [&] {
            win::user::Click(*screen.GetDlgItem(CS0000S71::IDC_BTN_SEARCH));
            lines = static_cast<CQXGrid*>(screen.GetDlgItem(CS0000S71::IDC_GRID))->GetRowCount() - 1;
        });
        QVERIFY(lines > 0);
        QVERIFY(!picture.isNull() && picture.width() > 500 && picture.height() > 250);
        QVERIFY(picture.save(Keep() + "/screen-25013-details.png", "PNG"));
    }

    void checkResultRenders() {
        CS0000S73 screen;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strStartDate = "20240101";
        screen.m_strEndDate = "20241231";
        QImage picture = Grab(screen, [] {});
        QVERIFY(!picture.isNull() && picture.width() > 300 && picture.height() > 200);
        QVERIFY(picture.save(Keep() + "/screen-25013-check.png", "PNG"));
    }

    // The preview opens modally and, closed without printing, reports nothing printed.
    // The driver opens the print library only then, and finds it beside its own.
    void thePreviewOpensAndClosesWithoutPrinting() {
        QVERIFY(!dlopen(kel::qt::kPrintLibrary, RTLD_NOW | RTLD_NOLOAD));
        QString seen, kind;  // the title and class of the modal window closed
        QTimer closer;
        closer.setInterval(50);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen = modal->windowTitle();
                kind = QString::fromLatin1(modal->metaObject()->className());
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            }
        });
        closer.start();
        win::PrintJob job;
        job.title = "合约检查结果";
        job.headers = {"序号"};
        job.rows = {{"1"}};
        kel::qt::QtDriver driver;
        QVERIFY(!driver.PrintTable(nullptr, job));
        closer.stop();
        QCOMPARE(seen, QStringLiteral("合约检查结果"));
        QCOMPARE(kind, QStringLiteral("QPrintPreviewDialog"));  // not a box saying it could not print
        QVERIFY(dlopen(kel::qt::kPrintLibrary, RTLD_NOW | RTLD_NOLOAD));
    }

private:
    static QImage Grab(CDialog& dialog, const std::function<void()>& act) {
        return kel::testing::GrabDialog(dialog, act);
    }
    QString Keep() const {
        return qEnvironmentVariable("KELMOR_SCREENSHOT_DIR", QString::fromStdString(demo->Dir().string()));
    }

    std::optional<kel::testing::DemoServer> demo;
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TreatyDetailQtTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "TreatyDetailQtTest.moc"
