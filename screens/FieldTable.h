// One table per record: each row names a record field, the form control and the
// grid column that show it, and how its text is written and read. The same rows
// load a form from a record, save a form into a record, fill a grid row and read a
// row back, so a field is described once instead of in four places.
//
//     using F = kel::screens::FieldsOf<_ContCodeStruct>;
//     const kel::screens::FieldTable<_ContCodeStruct> table{
//         F::Code(&_ContCodeStruct::szContCode, "代码").Control(IDC_EDT_CODE).Column(0),
//         F::Letter(&_ContCodeStruct::cContType, "类型").Control(IDC_CBX_TYPE).Column(3),
//     };
//
// Saving and reading back refuse what the record cannot hold (text GBK cannot
// encode, text longer than the field, a number that is not one, a date that is not
// one) with a message that names the field; the record is then left as it was. A
// form's save also refuses a number beyond its row's bound and a code typed in
// another shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "common/records/NumberBounds.h"
#include "common/records/RecordBytes.h"
#include "screens/NumberText.h"

class CBASEBASE;
class CDialog;
class CQXGrid;

namespace kel::screens {

enum class FieldKind : std::uint8_t {
    Text,       // char[N]: GBK text of at most N - 1 bytes
    Code,       // char[N]: N - 1 upper-case letters or digits, checked where the user types it
    Letter,     // char: one letter; taken from a combo as its chosen item's code
    Flag,       // char: a check box, one letter for on and one for off
    Int,        // int32_t, in decimal
    Real,       // double or float, with the table's number formats
    Date,       // char[9]: stored "YYYYMMDD", shown "####/##/##" on a form
    YearMonth,  // char[7]: stored "YYYYMM", shown "####/##" on a form
    Number,     // char[N]: a decimal number held as text; empty is 0
};

// A letter a grid shows as a word ("再保公司" for 'A'). The last word of a list also
// stands for every letter the list does not name, and any text the list does not
// name reads back as the last letter.
struct LetterWord {
    char letter;
    const char* word;
};

struct Field {
    FieldKind kind;
    std::size_t offset;  // in the record
    std::size_t size;    // bytes in the record
    const char* label;   // names the field in messages ("中文名称")
    int control = 0;     // the form control, 0 when no form shows the field
    int column = -1;     // the grid column, -1 when no grid shows the field
    int codeList = 0;    // the grid column shows the name of the code through this code list
    int shift = 0;       // Real: 2 when the record holds a fraction and the form a percentage
    char on = '1';       // Flag: the letters of a ticked and an unticked box
    char off = '0';
    std::span<const LetterWord> words;       // Letter, Flag: the grid shows these words
    std::optional<NumberFormat> formFormat;  // Real: instead of the table's
    std::optional<NumberFormat> gridFormat;
    bool trimRight = false;    // Text: trailing blanks go (shown and stored)
    bool notSaved = false;     // the form shows it, a save does not take it back
    bool notReadBack = false;  // the grid shows it, reading the row does not take it back
    std::optional<kel::records::NumberBound> bound = std::nullopt;  // Real: what a form may save (in record units)
    std::size_t codeLength = 0;        // Code: the characters typed (0: the field's width - 1)
    int required = 0;                  // the form refuses to save it empty; the base dialog asks by this rank
    const char* addDefault = nullptr;  // what a form adding a record shows first
    bool unlimited = false;            // Real, Number: kUnlimitedAmount is shown as kUnlimitedWord
    char emptyAs = '\0';               // Letter: what an empty cell reads back as

    // The row's settings, chained: F::Text(...).Control(ID).Column(2).
    Field Control(int id) const {
        return With([&](Field& f) { f.control = id; });
    }
    Field Column(int col) const {
        return With([&](Field& f) { f.column = col; });
    }
    Field CodeList(int id) const {
        return With([&](Field& f) { f.codeList = id; });
    }
    Field Words(std::span<const LetterWord> list) const {
        return With([&](Field& f) { f.words = list; });
    }
    Field FormFormat(NumberFormat format) const {
        return With([&](Field& f) { f.formFormat = format; });
    }
    Field GridFormat(NumberFormat format) const {
        return With([&](Field& f) { f.gridFormat = format; });
    }
    Field TrimRight() const {
        return With([](Field& f) { f.trimRight = true; });
    }
    Field NotSaved() const {
        return With([](Field& f) { f.notSaved = true; });
    }
    Field NotReadBack() const {
        return With([](Field& f) { f.notReadBack = true; });
    }
    Field Bounded(kel::records::NumberBound b) const {
        return With([&](Field& f) { f.bound = b; });
    }
    Field CodeLength(std::size_t chars) const {
        return With([&](Field& f) { f.codeLength = chars; });
    }
    // The base dialog asks for an empty required field before saving, the rows in
    // ascending rank (rank 1 first).
    Field Required(int rank) const {
        return With([&](Field& f) { f.required = rank; });
    }
    Field AddDefault(const char* text) const {
        return With([&](Field& f) { f.addDefault = text; });
    }
    // An amount whose no-limit value a grid shows as "无限额" and reads back from it;
    // a form shows it so where the field is only shown (NotSaved).
    Field Unlimited() const {
        return With([](Field& f) { f.unlimited = true; });
    }
    Field EmptyAs(char letter) const {
        return With([&](Field& f) { f.emptyAs = letter; });
    }

private:
    template <class Change>
    Field With(Change change) const {
        Field f = *this;
        change(f);
        return f;
    }
};

// The row makers of record R: each takes the record member, so the kind is checked
// against the member's type by the compiler.
template <class R>
struct FieldsOf {
    template <std::size_t N>
    static Field Text(char (R::*m)[N], const char* label) {
        return Make(FieldKind::Text, m, label);
    }
    template <std::size_t N>
    static Field Code(char (R::*m)[N], const char* label) {
        return Make(FieldKind::Code, m, label);
    }
    static Field Letter(char R::*m, const char* label) { return Make(FieldKind::Letter, m, label); }
    static Field Flag(char R::*m, const char* label, char on = '1', char off = '0') {
        Field f = Make(FieldKind::Flag, m, label);
        f.on = on;
        f.off = off;
        return f;
    }
    static Field Int(std::int32_t R::*m, const char* label) { return Make(FieldKind::Int, m, label); }
    static Field Real(double R::*m, const char* label) { return Make(FieldKind::Real, m, label); }
    static Field Real(float R::*m, const char* label) { return Make(FieldKind::Real, m, label); }
    // A fraction in the record, a percentage on the form (0.25 shows as 25.00).
    static Field Percent(double R::*m, const char* label) {
        Field f = Make(FieldKind::Real, m, label);
        f.shift = 2;
        return f;
    }
    static Field Percent(float R::*m, const char* label) {
        Field f = Make(FieldKind::Real, m, label);
        f.shift = 2;
        return f;
    }
    static Field Date(char (R::*m)[9], const char* label) { return Make(FieldKind::Date, m, label); }
    static Field YearMonth(char (R::*m)[7], const char* label) { return Make(FieldKind::YearMonth, m, label); }
    template <std::size_t N>
    static Field Number(char (R::*m)[N], const char* label) {
        return Make(FieldKind::Number, m, label);
    }

private:
    template <class M>
    static Field Make(FieldKind kind, M R::*m, const char* label) {
        const kel::records::MemberBytes bytes = kel::records::BytesOf(m);
        Field f{};
        f.kind = kind;
        f.offset = bytes.offset;
        f.size = bytes.size;
        f.label = label;
        return f;
    }
};

// How a table writes real numbers unless a row says otherwise: forms "%.2f",
// grids "%-5.4f", both keeping every digit the value has beyond those.
struct FieldFormats {
    NumberFormat form{2, 0};
    NumberFormat grid{4, 5};
};

// The table's rows over the record's bytes; FieldTable<R> below is what screens use.
class FieldRows {
public:
    FieldRows(std::initializer_list<Field> fields, FieldFormats formats);

    void LoadForm(CBASEBASE& form, const char* record) const;
    bool SaveForm(CBASEBASE& form, char* record) const;
    void FillRow(CQXGrid& grid, int row, const char* record) const;
    std::vector<std::size_t> ShownFields(const CQXGrid& grid) const;
    void FillFields(CQXGrid& grid, int row, const char* record, std::span<const std::size_t> fields) const;
    std::string CellText(const char* record, int column) const;
    bool ReadRow(CDialog& owner, const CQXGrid& grid, int row, char* record) const;
    bool ReadCells(CDialog& owner, const std::function<std::string(int column)>& cell, char* record) const;
    bool CheckBounds(CDialog& owner, const char* record) const;
    void RegisterCodeColumns(CBASEBASE& screen, CQXGrid& grid) const;
    void RegisterRequired(CBASEBASE& form) const;
    void ShowAddDefaults(CBASEBASE& form) const;

    std::span<const Field> Fields() const { return m_fields; }

private:
    std::string GridText(const Field& f, const char* record) const;
    void FillCell(CQXGrid& grid, int row, const Field& f, const char* record) const;

    std::vector<Field> m_fields;
    FieldFormats m_formats;
};

template <class R>
class FieldTable {
public:
    FieldTable(std::initializer_list<Field> fields, FieldFormats formats = {}) : m_rows(fields, formats) {}

    // Shows every field that has a control.
    void LoadForm(CBASEBASE& form, const R& record) const { m_rows.LoadForm(form, Bytes(record)); }
    // Takes every field that has a control (and is not NotSaved) into the record; the
    // fields without one keep what the record held. False after a message naming the
    // first field that cannot be stored; the record is then unchanged.
    bool SaveForm(CBASEBASE& form, R& record) const {
        R copy = record;
        if (!m_rows.SaveForm(form, Bytes(copy))) return false;
        record = copy;
        return true;
    }
    // Writes every field that has a column into the row's cells.
    void FillRow(CQXGrid& grid, int row, const R& record) const { m_rows.FillRow(grid, row, Bytes(record)); }
    // The rows (by their place in the table) whose columns the grid shows, and
    // FillRow for those rows only, of a record given as its bytes (not aligned for
    // R): a row that stands for the record (CQXGrid::SetRowRecord) gives the others
    // from CellText when asked.
    std::vector<std::size_t> ShownFields(const CQXGrid& grid) const { return m_rows.ShownFields(grid); }
    void FillFields(CQXGrid& grid, int row, const char* recordBytes, std::span<const std::size_t> fields) const {
        m_rows.FillFields(grid, row, recordBytes, fields);
    }
    // The text FillRow writes in `column` (empty for a column no field has).
    std::string CellText(const R& record, int column) const { return m_rows.CellText(Bytes(record), column); }
    // Reads the row's cells back into the record (fields without a column, and
    // NotReadBack ones, keep what the record held). False after a message; the
    // record is then unchanged.
    bool ReadRow(CDialog& owner, const CQXGrid& grid, int row, R& record) const {
        R copy = record;
        if (!m_rows.ReadRow(owner, grid, row, Bytes(copy))) return false;
        record = copy;
        return true;
    }
    // Reads a row given as its cells' texts (`cell(column)`), as ReadRow reads a
    // grid's row.
    bool ReadCells(CDialog& owner, const std::function<std::string(int column)>& cell, R& record) const {
        R copy = record;
        if (!m_rows.ReadCells(owner, cell, Bytes(copy))) return false;
        record = copy;
        return true;
    }
    // Holds the record's numbers shown in a column to their rows' bounds; false after
    // a message naming the first beyond its bound.
    bool CheckBounds(CDialog& owner, const R& record) const { return m_rows.CheckBounds(owner, Bytes(record)); }
    // Registers the code-list columns with the base dialog (SetGridCbx, mode 2);
    // call before the base dialog's initialisation.
    void RegisterCodeColumns(CBASEBASE& screen, CQXGrid& grid) const { m_rows.RegisterCodeColumns(screen, grid); }
    // Registers the Required rows' controls as the form's required fields
    // (m_nNeedID, by rank), for CBASEBASE::IsNeededEmpty.
    void RegisterRequired(CBASEBASE& form) const { m_rows.RegisterRequired(form); }
    // Shows each AddDefault row's text in its control.
    void ShowAddDefaults(CBASEBASE& form) const { m_rows.ShowAddDefaults(form); }

    std::span<const Field> Fields() const { return m_rows.Fields(); }

private:
    static const char* Bytes(const R& r) { return reinterpret_cast<const char*>(&r); }
    static char* Bytes(R& r) { return reinterpret_cast<char*>(&r); }
    FieldRows m_rows;
};

}  // namespace kel::screens
