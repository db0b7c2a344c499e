#include "qt/GridModel.h"

#include <QColor>

#include "host/qxctlset/QXGrid.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

Qt::Alignment AlignmentOf(int align) {
    switch (align) {
        case CQXGrid::kAlignRight: return Qt::AlignRight | Qt::AlignVCenter;
        case CQXGrid::kAlignCenter: return Qt::AlignCenter;
        default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

GridModel::GridModel(CQXGrid& grid, QObject* parent) : QAbstractTableModel(parent), m_grid(&grid) { Sync(true); }

void GridModel::Sync(bool reshaped) {
    if (!m_grid) return;
    int fixed = std::min(m_grid->GetFixedRowCount(), m_grid->GetRowCount());
    int rows = m_grid->GetRowCount() - fixed;
    int cols = m_grid->GetColumnCount();
    if (reshaped || rows != m_rows || cols != m_cols || fixed != m_fixed) {
        beginResetModel();
        m_rows = rows;
        m_cols = cols;
        m_fixed = fixed;
        endResetModel();
        return;
    }
    if (m_rows > 0 && m_cols > 0) emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1));
    if (m_cols > 0) emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
}

void GridModel::Forget() {
    beginResetModel();
    m_grid = nullptr;
    m_rows = m_cols = 0;
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_cols; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!m_grid || !index.isValid()) return {};
    int row = index.row() + m_fixed;
    int col = index.column();
    if (row >= m_grid->GetRowCount() || col >= m_grid->GetColumnCount()) return {};  // changed, not yet synced
    switch (role) {
        case Qt::DisplayRole: return Q(m_grid->GetDisplayText(row, col));
        case Qt::TextAlignmentRole: return QVariant::fromValue(AlignmentOf(m_grid->GetCellAlignment(row, col)));
        case Qt::BackgroundRole: {
            COLORREF c = m_grid->GetItemBkColour(row, col);
            if (c == CQXGrid::kDefaultBkColour) return {};
            return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
        }
        default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!m_grid || orientation != Qt::Horizontal || section >= m_grid->GetColumnCount()) return {};
    if (role == Qt::DisplayRole) return m_fixed > 0 ? Q(m_grid->GetDisplayText(0, section)) : QVariant(section + 1);
    if (role == Qt::TextAlignmentRole && m_fixed > 0)
        return QVariant::fromValue(AlignmentOf(m_grid->GetCellAlignment(0, section)));
    return {};
}

}  // namespace kel::qt
