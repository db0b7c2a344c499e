// The section list with a section's products, the section's product choice and the
// class list drawn by the Qt driver, off-screen, against the server in process on
// the demo data (also the shared database of the product table). KELMOR_SCREENSHOT_DIR
// keeps the pictures. A section reached with the keys brings its products.
#include <QApplication>
#include <QImage>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

#include "common/net/InProcessChannel.h"
#include "host/qxcommon/StaticDatabase.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "screens/S0000S702.h"
#include "screens/S0000S7021.h"
#include "screens/S0000S705.h"
#include "screens/tests/DemoServer.h"
#include "screens/tests/QtGrab.h"

class ProductGroupQtTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        demo.emplace("product-group-qt");
        QVERIFY2(demo->Started(), demo->Error().c_str());
    }
    void cleanupTestCase() { demo.reset(); }

    void sectionListRendersWithTheProductsOfARow() {
        CS0000S702 screen;
        screen.m_nContId = 8;  // Q1 of 2024: sections S1 and S2
        screen.m_strContCode = "Q1";
        screen.m_strContName = "企业财产险成数合约";
        int products = 0;
        QImage picture = Grab(screen, [&] {
            auto* grid = static_cast<CQXGrid*>(screen.GetDlgItem(CProductGroupList::IDC_GRID_GROUP));
            grid->UserClickRow(1);
            products = static_cast<CQXGrid*>(screen.GetDlgItem(CProductGroupList::IDC_GRID_PRODUCT))->GetRowCount() - 1;
        });
        QCOMPARE(products, 2);
        QVERIFY(!picture.isNull() && picture.width() > 500 && picture.height() > 250);
        QVERIFY(picture.save(Keep() + "/screen-25013-sections.png", "PNG"));
    }

    // A section chosen with the keys shows its products, as a click on it does.
    void productsFollowTheSectionTheKeysReach() {
        CS0000S702 screen;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strContName = "企业财产险成数合约";
        auto productsShown = [&] {
            auto* grid = static_cast<CQXGrid*>(screen.GetDlgItem(CProductGroupList::IDC_GRID_PRODUCT));
            QStringList codes;
            for (int r = 1; r < grid->GetRowCount(); ++r)
                codes << QString::fromStdString(grid->GetItemText(r, 0).str());
            return codes;
        };
        QStringList ofSecond, afterDown, afterUp, ofFirst;
        kel::qt::ScopedQtDriver driver;
        driver->SetDialogShownHook([&](CDialog& shown, kel::qt::DialogView& view) {
            QTimer::singleShot(0, &view, [&, d = &shown, v = &view] {
                auto* sections = static_cast<CQXGrid*>(screen.GetDlgItem(CProductGroupList::IDC_GRID_GROUP));
                auto* table = qobject_cast<QTableView*>(v->WidgetFor(CProductGroupList::IDC_GRID_GROUP));
                if (table && sections->GetRowCount() == 3) {
                    sections->UserClickRow(2);
                    ofSecond = productsShown();
                    sections->UserClickRow(1);
                    ofFirst = productsShown();
                    QTRY_COMPARE(table->currentIndex().row(), 0);
                    QTest::keyClick(table, Qt::Key_Down);
                    afterDown = productsShown();
                    QTest::keyClick(table, Qt::Key_Up);
                    afterUp = productsShown();
                }
                d->EndDialog(IDCANCEL);
                driver->CheckEnded();
            });
        });
        screen.DoModal();
        QVERIFY(!ofSecond.isEmpty());
        QVERIFY(ofSecond != ofFirst);
        QCOMPARE(afterDown, ofSecond);
        QCOMPARE(afterUp, ofFirst);
    }

    void sectionProductChoiceRenders() {
        CS0000S7021 choice;
        choice.m_nSectId = 8;
        choice.m_strContCode = "Q1";
        choice.m_strContName = "企业财产险成数合约";
        choice.m_strSectCode = "S1";
        choice.m_vecCurrent = {"0101", "0102"};
        int items = 0;
        QImage picture = Grab(choice, [&] {
            items = static_cast<CCheckListBox*>(choice.GetDlgItem(CProductChoice::IDC_LST_PRODUCTS))->GetCount();
        });
        QCOMPARE(items, 12);  // every demo product
        QVERIFY(!picture.isNull() && picture.width() > 300 && picture.height() > 250);
        QVERIFY(picture.save(Keep() + "/screen-25013-section-products.png", "PNG"));
    }

    void classListRenders() {
        CS0000S705 screen;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strContName = "企业财产险成数合约";
        QImage picture = Grab(screen, [&] {
            static_cast<CQXGrid*>(screen.GetDlgItem(CProductGroupList::IDC_GRID_GROUP))->UserClickRow(1);
        });
        QVERIFY(!picture.isNull() && picture.width() > 500 && picture.height() > 250);
        QVERIFY(picture.save(Keep() + "/screen-25013-classes.png", "PNG"));
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
    ProductGroupQtTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ProductGroupQtTest.moc"
