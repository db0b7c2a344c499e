// The list grid: a table view over GridModel. Clicks and double clicks on a row, and
// a row the keys highlight, go to the grid model, which tells the screen (0xfffe /
// 0xfffd); a click on a heading sorts when the grid allows it; the context menu
// copies rows to the clipboard and exports the list as a CSV file (the grid model's
// own operations). Program changes arrive cell by cell and are shown once the
// screen's action is over, so filling 10,000 rows costs one reset.
#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QTableView>
#include <QTimer>

#include "host/qxctlset/QXGrid.h"
#include "host/win/KeyInput.h"
#include "qt/ControlView.h"
#include "qt/DialogView.h"
#include "qt/GridModel.h"
#include "qt/RowList.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

class GridView : public ControlView {
public:
    GridView(CQXGrid& grid, DialogView& dialog, QWidget* parent) : ControlView(grid, dialog) {
        m_table = new QTableView(parent);
        m_data = new GridModel(grid, m_table);
        m_table->setModel(m_data);
        m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_table->setWordWrap(false);
        m_table->setTextElideMode(Qt::ElideRight);
        m_table->setMinimumSize(480, 220);
        m_table->verticalHeader()->hide();
        m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        QHeaderView* header = m_table->horizontalHeader();
        header->setSectionsClickable(true);
        header->setHighlightSections(false);
        header->setStretchLastSection(false);
        header->setDefaultAlignment(Qt::AlignCenter);
        SetUpRowList(*m_table);  // one Tab stop, the row highlighted with or without the focus
        SetWidget(m_table);
        AddMenu();

        connect(m_table, &QTableView::clicked, this, [this](const QModelIndex& i) {
            // The press that made this row current has told the model already.
            const bool told =
                m_rowTold && m_model && i.row() + m_data->FixedRows() == static_cast<CQXGrid*>(m_model)->GetRow();
            m_rowTold = false;
            if (!told) Click(i, false);
        });
        connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { Click(i, true); });
        connect(header, &QHeaderView::sectionClicked, this,
                [this](int column) { User([column](CWnd& m) { static_cast<CQXGrid&>(m).UserClickHeader(column); }); });
        connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) {
                    if (Updating() || !m_model || !current.isValid()) return;
                    auto* grid = static_cast<CQXGrid*>(m_model);
                    const int row = current.row() + m_data->FixedRows();
                    if (row == grid->GetRow()) return;
                    // A row the keys or a press highlighted is clicked, so that the screen
                    // acts on the row the person sees chosen. A current row without a
                    // highlight (the focus coming in, a grid without selection) only
                    // moves the model's row.
                    if (!m_table->selectionModel()->isRowSelected(current.row(), {})) {
                        UpdateGuard guard(*this);
                        grid->SelectRow(row, TRUE);
                        return;
                    }
                    m_rowTold = true;
                    Click(current, false);
                });
        m_table->viewport()->installEventFilter(this);
    }
    ~GridView() override {
        if (m_data) m_data->Forget();
    }
    bool Stretches() const override { return true; }
    bool StretchesVertically() const override { return true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A new press: whatever told the model before is not this click.
        if (watched == m_table->viewport() &&
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
            m_rowTold = false;
        // Home and End go to the first and last row, as in any list of rows (the table
        // would go to the first and last column).
        if (watched == m_table && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Home || key->key() == Qt::Key_End) && key->modifiers() == Qt::NoModifier) {
                QKeyEvent toRow(QEvent::KeyPress, key->key(), Qt::ControlModifier);
                QCoreApplication::sendEvent(m_table, &toRow);
                return true;
            }
        }
        return ControlView::eventFilter(watched, event);
    }
    void OnDetached() override {
        if (m_data) m_data->Forget();
    }
    void Refresh(win::Aspect aspect) override {
        using win::Aspect;
        if (aspect == Aspect::All || aspect == Aspect::Structure) m_reshape = true;
        if (m_pending) return;
        m_pending = true;
        QTimer::singleShot(0, m_table, [this] { Apply(); });
        if (aspect == Aspect::All) Apply();  // the first look is there at once
    }

private:
    void AddMenu() {
        m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
        auto* copy = new QAction(QStringLiteral("复制"), m_table);
        copy->setObjectName(QStringLiteral("copyRows"));
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        connect(copy, &QAction::triggered, this, [this] { CopyRows(); });
        auto* save = new QAction(QStringLiteral("导出..."), m_table);
        save->setObjectName(QStringLiteral("exportRows"));
        connect(save, &QAction::triggered, this, [this] { ExportRows(); });
        m_table->addAction(copy);
        m_table->addAction(save);
    }

    void CopyRows() {
        bool copied = false;
        User([&](CWnd& m) { copied = static_cast<CQXGrid&>(m).UserCopyRows(); });
        if (copied) QGuiApplication::clipboard()->setText(Q(win::Clipboard::GetText()));
    }

    void ExportRows() {
        if (!m_model) return;
        // The screen's name without its "[检索]" names the file.
        QString name = m_dialog.windowTitle().section(u'[', 0, 0).trimmed();
        if (name.isEmpty()) name = QStringLiteral("导出");
        QFileDialog ask(m_table, QStringLiteral("导出"), QDir::home().filePath(name + QStringLiteral(".csv")),
                        QStringLiteral("CSV 文件 (*.csv)"));
        ask.setObjectName(QStringLiteral("exportFile"));
        ask.setAcceptMode(QFileDialog::AcceptSave);
        ask.setDefaultSuffix(QStringLiteral("csv"));
        if (ask.exec() != QDialog::Accepted || ask.selectedFiles().isEmpty()) return;
        const CString path = C(ask.selectedFiles().front());
        User([&](CWnd& m) { static_cast<CQXGrid&>(m).UserExport(path); });
    }

    void Click(const QModelIndex& index, bool twice) {
        int row = index.isValid() ? index.row() + m_data->FixedRows() : -1;
        int col = index.isValid() ? index.column() : -1;
        User([=](CWnd& m) { static_cast<CQXGrid&>(m).UserClickCell(row, col, twice); });
    }

    void Apply() {
        m_pending = false;
        auto* grid = static_cast<CQXGrid*>(m_model);
        if (!grid) return;
        UpdateGuard guard(*this);
        const bool reshaped = m_reshape;
        m_data->Sync(m_reshape);
        m_reshape = false;
        QHeaderView* header = m_table->horizontalHeader();
        for (int c = 0; c < grid->GetColumnCount(); ++c) {
            int width = grid->GetColumnWidth(c);
            m_table->setColumnHidden(c, width == 0);
            if (width > 0 && header->sectionSize(c) != width) m_table->setColumnWidth(c, width);
        }
        int fixed = m_data->FixedRows();
        int height = grid->GetRowCount() > fixed ? grid->GetRowHeight(fixed) : CQXGrid::kDefaultRowHeight;
        m_table->verticalHeader()->setDefaultSectionSize(height > 0 ? height : CQXGrid::kDefaultRowHeight);
        m_table->setSelectionMode(grid->IsSelectionEnabled() ? QAbstractItemView::SingleSelection
                                                             : QAbstractItemView::NoSelection);
        header->setSortIndicatorShown(grid->IsHeaderSort() && grid->GetSortColumn() >= 0);
        if (grid->GetSortColumn() >= 0)
            header->setSortIndicator(grid->GetSortColumn(),
                                     grid->IsSortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
        int current = grid->GetRow();
        QItemSelectionModel* selection = m_table->selectionModel();
        if (current >= fixed && current - fixed < m_data->rowCount()) {
            // The current row is highlighted as a whole, in a grid without selection too.
            QModelIndex index = m_data->index(current - fixed, std::max(0, grid->GetFocusColumn()));
            selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            // A row the screen made current (the one worked on, found again in a list
            // read anew) is brought into view; a repaint leaves the scrolling alone.
            if (current != m_shownRow || reshaped) m_table->scrollTo(index);
        } else {
            selection->clear();
        }
        m_shownRow = current;
    }

    QTableView* m_table;
    QPointer<GridModel> m_data;
    bool m_pending = false;
    bool m_reshape = true;
    bool m_rowTold = false;  // the current row's change has told the model of a click
    int m_shownRow = -1;     // the model's current row when last shown
};

}  // namespace

std::unique_ptr<ControlView> MakeGridView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* grid = dynamic_cast<CQXGrid*>(&model);
    if (!grid) return nullptr;
    return std::make_unique<GridView>(*grid, dialog, parent);
}

}  // namespace kel::qt
