// The grid view: hidden columns, alignment, colours, sorting by a heading, click
// and double-click notifications, rows moved with the keys, and 10,000 rows.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include "host/qxctlset/QXGrid.h"
#include "host/win/DialogTemplate.h"
#include "host/win/MessageMap.h"
#include "qt/Text.h"
#include "qt/tests/Suites.h"

namespace {

enum : int { kTemplate = 7201, IDC_GRID = 9999, IDC_FILL = 1001 };

class GridDialog : public CDialog {
public:
    GridDialog() : CDialog(kTemplate) {}
    CQXGrid m_grid{0, 0, 0, 0};
    std::vector<std::pair<UINT, int>> notes;
    int fillRows = 0;

    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_GRID, m_grid); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_grid.SetColumnCount(4);
        m_grid.SetRowCount(1);
        m_grid.SetFixedRowCount(1);
        const char* heads[] = {"代码", "内部号", "名称", "比例"};
        for (int c = 0; c < 4; ++c) {
            m_grid.SetItemText(0, c, heads[c]);
            m_grid.SetFixedFormat(c, CQXGrid::kAlignCenter);
        }
        m_grid.SetColumnWidth(1, 0);
        m_grid.SetNonFixedFormat(3, CQXGrid::kAlignRight);
        m_grid.SetHeaderSort(TRUE);
        m_grid.SetEditable(FALSE);
        m_grid.SetSelectMultiRow(FALSE);
        m_grid.SetListMode(TRUE);
        Fill(fillRows ? fillRows : 3);
        m_grid.SetItemBkColour(2, 2, RGB(248, 108, 24));
        return TRUE;
    }
    void Fill(int rows) {
        m_grid.DeleteAllItems();
        static const char* names[] = {"乙公司", "甲公司", "丙公司"};
        for (int r = 0; r < rows; ++r) {
            int row = m_grid.InsertRow("", -1);
            m_grid.SetItemText(row, 0, CString(std::to_string(300 - r % 300).c_str()));
            m_grid.SetItemText(row, 1, "hidden");
            m_grid.SetItemText(row, 2, names[r % 3]);
            m_grid.SetItemText(row, 3, "0.2500");
        }
    }
    void OnClick(NMHDR* nm, LRESULT*) {
        notes.emplace_back(nm->code & 0xFFFF, reinterpret_cast<NM_GRIDVIEW*>(nm)->iRow);
    }
    void OnRefill() { Fill(10000); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(GridDialog, CDialog)
ON_NOTIFY(GVN_CLICK, IDC_GRID, OnClick)
ON_NOTIFY(GVN_DBLCLICK, IDC_GRID, OnClick)
ON_BN_CLICKED(IDC_FILL, OnRefill)
END_MESSAGE_MAP()

QTableView* TableOf(kel::qt::DialogView& v) { return qobject_cast<QTableView*>(v.WidgetFor(IDC_GRID)); }

QPoint CellCentre(QTableView* t, int row, int col) { return t->visualRect(t->model()->index(row, col)).center(); }

}  // namespace

namespace qttest {

class GridViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        win::TemplateBuilder(kTemplate, "表格测试")
            .Grid(IDC_GRID, 0, 0, 1, 3)
            .Button(IDC_FILL, "刷新", 1, 0)
            .Button(IDCANCEL, "返回", 1, 2)
            .Register();
    }

    void showsTheGridAsTheScreenSetItUp() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            QVERIFY(t);
            QCOMPARE(t->model()->rowCount(), 3);
            QVERIFY(t->isColumnHidden(1));
            QCOMPARE(t->model()->data(t->model()->index(0, 1)).toString(), QStringLiteral("hidden"));
            QCOMPARE(t->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("名称"));
            QCOMPARE(t->model()->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                     Qt::Alignment(Qt::AlignCenter));
            QVERIFY(t->model()->data(t->model()->index(0, 3), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                    Qt::AlignRight);
            QVERIFY(t->model()->data(t->model()->index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                    Qt::AlignLeft);
            QCOMPARE(t->model()->data(t->model()->index(1, 2), Qt::BackgroundRole).value<QColor>(),
                     QColor(248, 108, 24));
            QCOMPARE(t->verticalHeader()->defaultSectionSize(), 22);
            QTest::mouseClick(qobject_cast<QPushButton*>(v.WidgetFor(IDCANCEL)), Qt::LeftButton);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        QVERIFY(dlg.notes.empty());
    }

    void headingSortsAndRowsNotify() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            QHeaderView* header = t->horizontalHeader();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
            QTRY_COMPARE(t->model()->data(t->model()->index(0, 2)).toString(), QStringLiteral("丙公司"));  // GBK order
            QCOMPARE(dlg.m_grid.GetItemText(1, 2), "丙公司");  // the model's rows moved, not just the view's
            QTRY_VERIFY(header->isSortIndicatorShown());
            QCOMPARE(header->sortIndicatorSection(), 2);

            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 1, 0));
            QCOMPARE(dlg.m_grid.GetRow(), 2);
            // A double click: the first click, then the second one as a double click.
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 2, 0));
            QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 2, 0));
            QCOMPARE(dlg.m_grid.GetRow(), 3);
            QTest::keyClick(t, Qt::Key_Up);  // the row the keys reach is clicked
            QCOMPARE(dlg.m_grid.GetRow(), 2);
            QTest::mouseClick(qobject_cast<QPushButton*>(v.WidgetFor(IDCANCEL)), Qt::LeftButton);
        });
        dlg.DoModal();
        const std::vector<std::pair<UINT, int>> expected = {
            {GVN_CLICK, 2}, {GVN_CLICK, 3}, {GVN_DBLCLICK, 3}, {GVN_CLICK, 2}};
        QCOMPARE(dlg.notes, expected);
    }

    // The screen acts on the row it was last told of: every row the keys reach is
    // told as a click, a mouse click once, and a row the program sets not at all.
    void keysMoveTheRowAsAClickDoes() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        dlg.fillRows = 5;
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 0, 0));
            QTest::keyClick(t, Qt::Key_Down);
            QTest::keyClick(t, Qt::Key_Down);
            QCOMPARE(dlg.m_grid.GetRow(), 3);
            QTest::keyClick(t, Qt::Key_End);
            QTest::keyClick(t, Qt::Key_Down);  // already the last: nothing to tell
            QTest::keyClick(t, Qt::Key_Home);
            QTest::keyClick(t, Qt::Key_PageDown);
            QCOMPARE(dlg.m_grid.GetRow(), 5);
            QTest::keyClicks(t, "298");  // type-ahead: "2" reaches "299", "298" the third row
            QCOMPARE(dlg.m_grid.GetRow(), 3);
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 2, 0));  // the current row
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 3, 0));
            const auto before = dlg.notes.size();
            dlg.m_grid.SetFocusCell(2, 0);  // the program moves the row: no click
            dlg.m_grid.SelectRow(2);
            QTRY_COMPARE(t->currentIndex().row(), 1);
            QCOMPARE(dlg.notes.size(), before);
            QTest::keyClick(t, Qt::Key_Up);
            QTest::keyClick(t, Qt::Key_Escape);
        });
        dlg.DoModal();
        const std::vector<std::pair<UINT, int>> expected = {
            {GVN_CLICK, 1}, {GVN_CLICK, 2}, {GVN_CLICK, 3}, {GVN_CLICK, 5}, {GVN_CLICK, 1}, {GVN_CLICK, 5},
            {GVN_CLICK, 2}, {GVN_CLICK, 3}, {GVN_CLICK, 3}, {GVN_CLICK, 4}, {GVN_CLICK, 1}};
        QCOMPARE(dlg.notes, expected);
    }

    // The current row shows as a whole, in a grid without selection and without the
    // focus too; keys move it there without clicking.
    void theCurrentRowIsHighlightedAsAWhole() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            dlg.m_grid.EnableSelection(FALSE);
            dlg.m_grid.SetFocusCell(2, 2);
            QTRY_VERIFY(t->selectionModel()->isRowSelected(1, {}));
            QTest::keyClick(t, Qt::Key_Down);
            QCOMPARE(dlg.m_grid.GetRow(), 3);
            QTRY_VERIFY(t->selectionModel()->isRowSelected(2, {}));
            QVERIFY(!t->selectionModel()->isRowSelected(1, {}));
            const QPalette& colours = t->palette();
            QCOMPARE(colours.color(QPalette::Inactive, QPalette::Highlight),
                     colours.color(QPalette::Active, QPalette::Highlight));
            QTest::keyClick(t, Qt::Key_Escape);
        });
        dlg.DoModal();
        QVERIFY(dlg.notes.empty());
    }

    // Tab, Shift+Tab and Ctrl+Tab step over the grid as one stop; the arrows move
    // its row.
    void theGridIsOneTabStop() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            QWidget* fill = v.WidgetFor(IDC_FILL);
            t->setFocus();
            QTest::keyClick(t, Qt::Key_Down);
            QCOMPARE(dlg.m_grid.GetRow(), 2);
            QTest::keyClick(t, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), fill);
            QTest::keyClick(fill, Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), t);
            QTest::keyClick(t, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(QApplication::focusWidget(), fill);
            t->setFocus();
            QTest::keyClick(t, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY(QApplication::focusWidget() != t);
            QCOMPARE(dlg.m_grid.GetRow(), 2);  // nothing moved inside the grid
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
    }

    // A cell its column cuts shows its whole text when the mouse rests on it; one
    // shown whole has no tooltip.
    void aCutCellShowsItsTextInATooltip() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        const QString whole = QStringLiteral("中国再保险（集团）股份有限公司北京分公司业务部");
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            dlg.m_grid.SetItemText(2, 2, kel::qt::C(whole));
            dlg.m_grid.Refresh();
            QTRY_COMPARE(t->model()->data(t->model()->index(1, 2)).toString(), whole);
            QCOMPARE(TipAt(*t, CellCentre(t, 1, 2)), whole);
            QCOMPARE(TipAt(*t, CellCentre(t, 0, 2)), QString());
            QCOMPARE(TipAt(*t, CellCentre(t, 1, 3)), QString());
            QTest::keyClick(t, Qt::Key_Escape);
        });
        dlg.DoModal();
    }

    void tenThousandRowsStaySmooth() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        dlg.fillRows = 10000;
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            QCOMPARE(t->model()->rowCount(), 10000);
            QElapsedTimer clock;
            clock.start();
            // Filling again from a button: 40,000 cell changes, one reset.
            QTest::mouseClick(qobject_cast<QPushButton*>(v.WidgetFor(IDC_FILL)), Qt::LeftButton);
            QTRY_COMPARE(t->model()->rowCount(), 10000);
            for (int step = 0; step < 20; ++step) {
                t->verticalScrollBar()->setValue(step * 500);
                t->viewport()->repaint();
            }
            t->horizontalHeader()->sectionClicked(0);  // sort 10,000 rows by the code
            QTRY_COMPARE(t->model()->data(t->model()->index(0, 0)).toString(), QStringLiteral("1"));
            QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
            QTest::keyClick(t, Qt::Key_Escape);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
    }

    // The list's way out is its 返回 button: Enter on the focused grid opens the row
    // as a double click does and leaves the list open.
    void enterOnTheFocusedGridOpensTheRow() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 1, 0));
            QTest::keyClick(t, Qt::Key_Down);
            QTest::keyClick(t, Qt::Key_Return);
            QVERIFY(!dlg.IsEnded());
            QTest::keyClick(t, Qt::Key_Enter);
            QVERIFY(!dlg.IsEnded());
            QTest::keyClick(t, Qt::Key_Escape);
        });
        QCOMPARE(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
        const std::vector<std::pair<UINT, int>> expected = {
            {GVN_CLICK, 2}, {GVN_CLICK, 3}, {GVN_DBLCLICK, 3}, {GVN_DBLCLICK, 3}};
        QCOMPARE(dlg.notes, expected);
    }

    // Read again in the server's order, the list shows no sort arrow.
    void aListReadAgainDropsTheSortArrow() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        scripts.Then([&](kel::qt::DialogView& v) {
            QHeaderView* header = TableOf(v)->horizontalHeader();
            header->sectionClicked(2);
            QTRY_VERIFY(header->isSortIndicatorShown());
            dlg.m_grid.SetRowCount(1);  // how the screens clear a list before reading it
            for (const char* name : {"乙公司", "甲公司"}) dlg.m_grid.SetItemText(dlg.m_grid.InsertRow("", -1), 2, name);
            QTRY_VERIFY(!header->isSortIndicatorShown());
            QTest::keyClick(TableOf(v), Qt::Key_Escape);
        });
        dlg.DoModal();
    }

    // The context menu: rows to the clipboard, the list to a CSV file.
    void contextMenuCopiesAndExports() {
        kel::qt::ScopedQtDriver driver;
        Scripts scripts(*driver);
        GridDialog dlg;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("公司"));
        scripts.Then([&](kel::qt::DialogView& v) {
            QTableView* t = TableOf(v);
            QCOMPARE(t->contextMenuPolicy(), Qt::ActionsContextMenu);
            auto* copy = t->findChild<QAction*>(QStringLiteral("copyRows"));
            auto* save = t->findChild<QAction*>(QStringLiteral("exportRows"));
            QVERIFY(copy && save);
            QCOMPARE(copy->text(), QStringLiteral("复制"));
            QCOMPARE(save->text(), QStringLiteral("导出..."));
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, CellCentre(t, 1, 0));
            copy->trigger();
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("299\t甲公司\t0.2500\r\n"));
            QGuiApplication::clipboard()->clear();
            QTest::keyClick(t, Qt::Key_C, Qt::ControlModifier);  // the menu's shortcut
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("299\t甲公司\t0.2500\r\n"));

            QTimer::singleShot(0, [&] {
                auto* ask = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(ask);
                ask->selectFile(path);  // no suffix typed: .csv is added
                QMetaObject::invokeMethod(ask, "accept", Qt::QueuedConnection);
            });
            save->trigger();
            QTest::keyClick(t, Qt::Key_Escape);
        });
        dlg.DoModal();
        QFile file(path + QStringLiteral(".csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.value(0), QStringLiteral("代码,名称,比例"));
        QCOMPARE(lines.value(2), QStringLiteral("299,甲公司,0.2500"));
        QCOMPARE(lines.size(), 5);  // header, three rows, the end of the last line
    }
};

std::unique_ptr<QObject> MakeGridViewTest() { return std::make_unique<GridViewTest>(); }

}  // namespace qttest

#include "GridViewTest.moc"
