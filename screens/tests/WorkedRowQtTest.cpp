// The row a person worked on stays theirs, played with the keyboard and the mouse
// through the Qt driver, off-screen, against the server in process on the demo
// data: after a save, a line adjustment or a delete the list read anew (or left)
// has that row current, or its neighbour after a delete, and in view.
#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <optional>

#include "common/records/ContRecords.h"
#include "common/text/GbkText.h"
#include "frame/Kelmor.h"
#include "host/qxcommon/StaticDatabase.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "qt/tests/Suites.h"
#include "screens/S0000S2.h"
#include "screens/S0000S20.h"
#include "screens/S0000S4.h"
#include "screens/S0000S7.h"
#include "screens/S0000S71.h"
#include "screens/S0000S710.h"
#include "screens/tests/DemoServer.h"

namespace {

CQXGrid& GridOf(kel::qt::DialogView& v, int id) { return *static_cast<CQXGrid*>(v.Model()->GetDlgItem(id)); }
QTableView* TableOf(kel::qt::DialogView& v, int id) { return qobject_cast<QTableView*>(v.WidgetFor(id)); }

// Whether the grid's current row is highlighted and lies wholly inside the table's viewport.
bool CurrentRowInView(QTableView& table, const CQXGrid& grid) {
    const int row = grid.GetRow() - grid.GetFixedRowCount();
    if (row < 0) return false;
    const QModelIndex index = table.model()->index(row, 0);
    const QRect rect = table.visualRect(index);
    return table.selectionModel()->isRowSelected(row, {}) && table.viewport()->rect().contains(rect);
}

void Press(QWidget* w, Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i) QTest::keyClick(w, key);
}

void Click(kel::qt::DialogView& v, int id) {
    QTest::mouseClick(qobject_cast<QPushButton*>(v.WidgetFor(id)), Qt::LeftButton);
}

// Answers a box with the button of that text, then the next box with the next text.
void AnswerBoxes(QStringList buttons) {
    if (buttons.isEmpty()) return;
    const QString first = buttons.takeFirst();
    qttest::WhenMessageBox([first, buttons](QMessageBox& box) {
        AnswerBoxes(buttons);
        QAbstractButton* b = qttest::ButtonNamed(box, first);
        if (!b) {  // not the box the play expects: fail rather than hang
            qWarning("unexpected box: %s", qPrintable(box.text()));
            b = box.buttons().front();
        }
        b->click();
    });
}

}  // namespace

class WorkedRowQtTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        demo.emplace("worked-row-qt");
        QVERIFY2(demo->Started(), demo->Error().c_str());
        // Treaty codes enough that the list scrolls.
        for (char a = 'A'; a <= 'E'; ++a)
            for (char d = '0'; d <= '9'; ++d)
                GetStaticDatabase()->Execute(
                    "INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type) VALUES (?, ?, ?, 'A')",
                    {std::string{a, d}, std::string("合约") + a + d, std::string("Treaty ") + a + d});
    }
    void cleanupTestCase() { demo.reset(); }

    // Far down the treaty codes: Enter opens the row, the saved name comes back on
    // the same row, in view; a delete leaves the row below current.
    void treatyCodesKeepTheRowAfterASaveAndItsNeighbourAfterADelete() {
        kel::qt::ScopedQtDriver driver;
        qttest::Scripts scripts(*driver);
        CString worked, after, neighbour;
        bool savedInView = false, neighbourInView = false;
        int savedRow = 0, rowsBefore = 0;
        scripts.Then([&](kel::qt::DialogView& v) {
            CQXGrid& grid = GridOf(v, CS0000S2::IDC_GRID);
            QTableView* table = TableOf(v, CS0000S2::IDC_GRID);
            table->setFocus();
            // E8, far down and in no treaty's use.
            Press(table, Qt::Key_End);
            Press(table, Qt::Key_Up, 12);
            rowsBefore = grid.GetRowCount();
            QCOMPARE(grid.GetRow(), rowsBefore - 13);
            worked = grid.GetItemText(grid.GetRow(), CS0000S2::COL_CODE);
            neighbour = grid.GetItemText(grid.GetRow() + 1, CS0000S2::COL_CODE);
            Press(table, Qt::Key_Return);  // the form runs its loop in here
            QTest::qWait(50);              // the list is drawn again
            savedRow = grid.GetRow();
            after = grid.GetItemText(savedRow, CS0000S2::COL_CHN_NAME);
            savedInView = CurrentRowInView(*table, grid);

            table->scrollToTop();
            AnswerBoxes({"是(&Y)", "确定"});
            Click(v, CS0000S2::IDC_BTN_DELETE);
            QTest::qWait(50);
            QCOMPARE(grid.GetRow(), savedRow);
            QCOMPARE(grid.GetItemText(grid.GetRow(), CS0000S2::COL_CODE), neighbour);
            neighbourInView = CurrentRowInView(*table, grid);
            v.Model()->EndDialog(IDCANCEL);
        });
        scripts.Then([&](kel::qt::DialogView& v) {
            auto* name = v.WidgetFor(CS0000S20::IDC_EDT_CHN_NAME);
            name->setFocus();
            QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(name, QStringLiteral("Renamed"));
            Click(v, IDOK);
        });
        Call_Kelmor_Dialog(25001, 0);
        QVERIFY(scripts.AllUsed());
        QVERIFY(!worked.IsEmpty());
        QCOMPARE(savedRow, rowsBefore - 13);
        QCOMPARE(QString::fromStdString(after.str()), QStringLiteral("Renamed"));
        QVERIFY(savedInView);
        QVERIFY(neighbourInView);
    }

    // A reinsurer saved unchanged stays the current row of the list read anew.
    void reinsurersKeepTheRowAfterASave() {
        kel::qt::ScopedQtDriver driver;
        qttest::Scripts scripts(*driver);
        CString worked, current;
        bool inView = false;
        scripts.Then([&](kel::qt::DialogView& v) {
            CQXGrid& grid = GridOf(v, CS0000S4::IDC_GRID);
            QTableView* table = TableOf(v, CS0000S4::IDC_GRID);
            table->setFocus();
            Press(table, Qt::Key_Down, 11);
            worked = grid.GetItemText(grid.GetRow(), CS0000S4::COL_CODE);
            Click(v, CS0000S4::IDC_BTN_MODIFY);
            QTest::qWait(50);
            current = grid.GetItemText(grid.GetRow(), CS0000S4::COL_CODE);
            inView = CurrentRowInView(*table, grid);
            v.Model()->EndDialog(IDCANCEL);
        });
        scripts.Then([&](kel::qt::DialogView& v) { Click(v, IDOK); });
        Call_Kelmor_Dialog(25005, 0);
        QVERIFY(scripts.AllUsed());
        QCOMPARE(QString::fromStdString(worked.str()), QStringLiteral("12"));
        QCOMPARE(QString::fromStdString(current.str()), QStringLiteral("12"));
        QVERIFY(inView);
    }

    // The treaty data form saved (no details generated): the search shows the same
    // treaty of the year current again.
    void treatyDataSearchKeepsTheTreatyAfterASave() {
        kel::qt::ScopedQtDriver driver;
        qttest::Scripts scripts(*driver);
        QString worked, current;
        bool inView = false;
        scripts.Then([&](kel::qt::DialogView& v) {
            QWidget* year = v.WidgetFor(CS0000S7::IDC_EDT_YEAR);
            year->setFocus();
            QTest::keyClicks(year, QStringLiteral("2024"));
            Press(year, Qt::Key_Return);  // 检索 is the default button
            CQXGrid& grid = GridOf(v, CS0000S7::IDC_GRID);
            QTableView* table = TableOf(v, CS0000S7::IDC_GRID);
            QTRY_VERIFY(grid.GetRowCount() > 5);
            QTRY_COMPARE(table->model()->rowCount(), grid.GetRowCount() - 1);  // drawn
            // Q1, whose shares add up: its save goes through.
            int q1 = 0;
            for (int row = 1; row < grid.GetRowCount(); ++row)
                if (grid.GetItemText(row, CS0000S7::COL_CONT_CODE) == "Q1") q1 = row;
            QVERIFY(q1 > 1);
            table->setFocus();
            Press(table, Qt::Key_Down, q1 - 1);
            QCOMPARE(grid.GetRow(), q1);
            const auto key = [&] {
                return QString::fromStdString(grid.GetItemText(grid.GetRow(), CS0000S7::COL_CONT_CODE).str()) + "/" +
                       QString::fromStdString(grid.GetItemText(grid.GetRow(), CS0000S7::COL_START_DATE).str());
            };
            worked = key();
            AnswerBoxes({"否(&N)"});  // no details generated now
            Press(table, Qt::Key_Return);
            QTest::qWait(50);
            current = key();
            inView = CurrentRowInView(*table, grid);
            v.Model()->EndDialog(IDCANCEL);
        });
        scripts.Then([&](kel::qt::DialogView& v) { Click(v, IDOK); });
        Call_Kelmor_Dialog(25013, 0);
        QVERIFY(scripts.AllUsed());
        QCOMPARE(worked, QStringLiteral("Q1/20240101"));
        QCOMPARE(current, worked);
        QVERIFY(inView);
    }

    // A detail line adjusted: the lines read anew have that line current.
    void treatyDetailsKeepTheLineAfterAnAdjustment() {
        Generate(8, "Q1", "Q1-2024");
        kel::qt::ScopedQtDriver driver;
        qttest::Scripts scripts(*driver);
        QString worked, current;
        bool inView = false;
        scripts.Then([&](kel::qt::DialogView& v) {
            Click(v, CS0000S71::IDC_BTN_SEARCH);
            CQXGrid& grid = GridOf(v, CS0000S71::IDC_GRID);
            QTableView* table = TableOf(v, CS0000S71::IDC_GRID);
            QTRY_VERIFY(grid.GetRowCount() > 5);
            QTRY_COMPARE(table->model()->rowCount(), grid.GetRowCount() - 1);  // drawn
            const auto key = [&] {
                QString k;
                for (int col : {CS0000S71::COL_PRODUCT, CS0000S71::COL_RISK_LEVEL, CS0000S71::COL_COMPANY,
                                CS0000S71::COL_REINSURER})
                    k += QString::fromStdString(grid.GetItemText(grid.GetRow(), col).str()) + "/";
                return k;
            };
            table->setFocus();
            Press(table, Qt::Key_End);
            Press(table, Qt::Key_Up);
            worked = key();
            Press(table, Qt::Key_Return);
            QTest::qWait(50);
            current = key();
            inView = CurrentRowInView(*table, grid);
            v.Model()->EndDialog(IDCANCEL);
        });
        scripts.Then([&](kel::qt::DialogView& v) {
            QWidget* rate = v.WidgetFor(CS0000S710::IDC_EDT_COMM_RATE);
            rate->setFocus();
            QTest::keyClick(rate, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(rate, QStringLiteral("0.3"));
            Click(v, IDOK);
        });
        CS0000S71 screen;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strContNameCode = "Q1";
        screen.m_strStartDate = "20240101";
        screen.m_strEndDate = "20241231";
        screen.DoModal();
        QVERIFY(scripts.AllUsed());
        QVERIFY(worked.size() > 4);
        QCOMPARE(current, worked);
        QVERIFY(inView);
    }

private:
    // Generates a treaty's details on the server.
    void Generate(int id, const char* code, const char* number) {
        _ContInfoStruct key{};
        key.nContId = id;
        kel::text::PutField(key.szContCode, code);
        kel::text::PutField(key.szContNo, number);
        QCOMPARE(int(demo->Ask(200, &key, sizeof key).cStatus), 0);
    }

    std::optional<kel::testing::DemoServer> demo;
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WorkedRowQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WorkedRowQtTest.moc"
