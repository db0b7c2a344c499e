// The report list: columns with headings, widths and alignment, rows with an
// optional check box in front (LVS_EX_CHECKBOXES). A click on a row, or a row the
// keys highlight, is a click for the model. Program changes come cell by
// cell; the widget is rebuilt once they are done.
#include <QEvent>
#include <QHeaderView>
#include <QTimer>
#include <QTreeWidget>

#include "host/win/Controls.h"
#include "qt/ControlView.h"
#include "qt/RowList.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

Qt::Alignment AlignmentOf(int format) {
    if (format == LVCFMT_RIGHT) return Qt::AlignRight | Qt::AlignVCenter;
    if (format == LVCFMT_CENTER) return Qt::AlignCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

class ReportListView : public ControlView {
public:
    ReportListView(CListCtrl& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        m_tree = new QTreeWidget(parent);
        m_tree->setRootIsDecorated(false);
        m_tree->setUniformRowHeights(true);
        m_tree->setAllColumnsShowFocus(true);
        m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
        SetUpRowList(*m_tree);
        m_tree->setMinimumSize(240, 120);
        SetWidget(m_tree);
        connect(m_tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
            if (Updating() || column != 0) return;
            int row = m_tree->indexOfTopLevelItem(item);
            bool checked = item->checkState(0) == Qt::Checked;
            if (m_model && static_cast<CListCtrl*>(m_model)->GetCheck(row) == checked) return;
            User([row](CWnd& m) { static_cast<CListCtrl&>(m).UserToggleCheck(row); });
        });
        connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
            int row = m_tree->indexOfTopLevelItem(item);
            // The press that made this row current has told the model already.
            const bool told = m_rowTold && m_model && row == static_cast<CListCtrl*>(m_model)->GetSelectionMark();
            m_rowTold = false;
            if (!told) User([row](CWnd& m) { static_cast<CListCtrl&>(m).UserClick(row); });
        });
        // A row the keys highlight is clicked, so that the screen acts on the row the
        // person sees chosen (a current row without a highlight, as the focus coming
        // in makes, is not a choice).
        connect(m_tree->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) {
                    if (Updating() || !m_model || !current.isValid()) return;
                    const int row = current.row();
                    if (row == static_cast<CListCtrl*>(m_model)->GetSelectionMark()) return;
                    if (!m_tree->selectionModel()->isRowSelected(row, {})) return;
                    m_rowTold = true;
                    User([row](CWnd& m) { static_cast<CListCtrl&>(m).UserClick(row); });
                });
        m_tree->viewport()->installEventFilter(this);
    }
    bool Stretches() const override { return true; }
    bool StretchesVertically() const override { return true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A new press: whatever told the model before is not this click.
        if (watched == m_tree->viewport() &&
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
            m_rowTold = false;
        return ControlView::eventFilter(watched, event);
    }
    void Refresh(win::Aspect) override {
        if (m_pending) return;
        m_pending = true;
        QTimer::singleShot(0, m_tree, [this] {
            m_pending = false;
            if (m_model) Rebuild();
        });
    }

private:
    void Rebuild() {
        UpdateGuard guard(*this);
        auto& model = static_cast<CListCtrl&>(*m_model);
        const bool checks = (model.GetExtendedStyle() & LVS_EX_CHECKBOXES) != 0;
        const int columns = model.GetColumnCount();
        QStringList headings;
        for (int c = 0; c < columns; ++c) headings << Q(model.GetColumn(c).heading);
        m_tree->setColumnCount(std::max(1, columns));
        m_tree->setHeaderLabels(headings);
        for (int c = 0; c < columns; ++c) {
            m_tree->setColumnWidth(c, model.GetColumn(c).width);
            // A zero-width column holds a key for the program, not for the eye; the
            // last column would otherwise stretch it into view.
            m_tree->setColumnHidden(c, model.GetColumn(c).width == 0);
            m_tree->headerItem()->setTextAlignment(c, AlignmentOf(model.GetColumn(c).format));
        }
        m_tree->clear();
        QList<QTreeWidgetItem*> items;
        for (int r = 0; r < model.GetItemCount(); ++r) {
            auto* item = new QTreeWidgetItem;
            for (int c = 0; c < columns; ++c) {
                item->setText(c, Q(model.GetItemText(r, c)));
                item->setTextAlignment(c, AlignmentOf(model.GetColumn(c).format));
            }
            if (checks) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(0, model.GetCheck(r) ? Qt::Checked : Qt::Unchecked);
            }
            items << item;
        }
        m_tree->addTopLevelItems(items);
        if (int sel = model.GetSelectionMark(); sel >= 0 && sel < items.size()) m_tree->setCurrentItem(items[sel]);
    }

    QTreeWidget* m_tree;
    bool m_pending = false;
    bool m_rowTold = false;  // the current row's change has told the model of a click
};

}  // namespace

std::unique_ptr<ControlView> MakeReportListView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* list = dynamic_cast<CListCtrl*>(&model);
    if (!list) return nullptr;
    return std::make_unique<ReportListView>(*list, dialog, parent);
}

}  // namespace kel::qt
