// The grid's rows as a Qt table model: no widget per cell, only the rows in sight
// are asked for. Row 0 of the grid (its header row) becomes the table's header;
// hidden columns keep their data and are hidden by the view.
#pragma once

#include <QAbstractTableModel>

class CQXGrid;

namespace kel::qt {

class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(CQXGrid& grid, QObject* parent = nullptr);

    // Takes the grid's present shape (a reset when rows or columns changed, else a
    // repaint of every cell and heading).
    void Sync(bool reshaped);
    void Forget();
    int FixedRows() const { return m_fixed; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    CQXGrid* m_grid;
    int m_rows = 0;
    int m_cols = 0;
    int m_fixed = 0;
};

}  // namespace kel::qt
