// A list screen's rows over the records a search answered: the screen keeps the
// answer, each row holds the texts of the columns the grid shows and stands for
// its record (CQXGrid::SetRowRecord), and a hidden column's text is made from the
// record when something reads it, as the table's FillRow would have written it.
#pragma once

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "host/qxctlset/QXGrid.h"
#include "screens/FieldTable.h"
#include "screens/ScreenCommon.h"

namespace kel::screens {

template <class R>
class RecordRows {
public:
    explicit RecordRows(const FieldTable<R>& fields) : m_fields(&fields) {}
    RecordRows(const RecordRows&) = delete;
    RecordRows& operator=(const RecordRows&) = delete;

    // The grid asks these records for its rows' hidden cells (they must outlive it
    // or be detached with SetCellSource(nullptr)).
    void Attach(CQXGrid& grid) {
        grid.SetCellSource([this](std::size_t record, int col) {
            return record < m_count ? CString(m_fields->CellText(RecordAt(record), col)) : CString();
        });
    }
    // Takes an answer of `count` records (from malloc, not aligned for R) in place of
    // the records held and appends a row for each below the grid's present rows.
    void Fill(CQXGrid& grid, char* answer, int count) {
        m_answer.reset(answer);
        m_count = count > 0 ? static_cast<std::size_t>(count) : 0;
        const std::vector<std::size_t> shown = m_fields->ShownFields(grid);
        for (std::size_t i = 0; i < m_count; ++i) {
            const int row = AppendGridRow(grid);
            grid.SetRowRecord(row, i);
            m_fields->FillFields(grid, row, m_answer.get() + i * sizeof(R), shown);
        }
    }
    void Clear() {
        m_answer.reset();
        m_count = 0;
    }
    std::size_t Count() const { return m_count; }
    R RecordAt(std::size_t i) const {
        R record;
        std::memcpy(&record, m_answer.get() + i * sizeof(R), sizeof(R));
        return record;
    }

private:
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    const FieldTable<R>* m_fields;
    std::unique_ptr<char, Free> m_answer;
    std::size_t m_count = 0;
};

}  // namespace kel::screens
