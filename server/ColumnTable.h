// One column table per record: each row names a stored column, the record field it
// holds and how a request's field is checked. The same rows give the column lists
// of SELECT, INSERT and UPDATE, the values bound to them and the packing of answer
// records, so a field's place is written once instead of kept in step by order in
// three statements and two loops.
//
//     using C = ColumnsOf<_ContCodeStruct>;
//     const ColumnTable<_ContCodeStruct> kCodes{
//         C::Required(&_ContCodeStruct::szContCode, "c_cont_code", "treaty code").Uses(kSelect | kInsert),
//         C::Letter(&_ContCodeStruct::cContType, "c_type", "treaty type"),
//     };
//     Execute(db, "INSERT INTO t_cont_code (" + kCodes.Names(kInsert) + ") VALUES (" +
//                     Placeholders(kCodes.Count(kInsert)) + ")", kCodes.Values(record, kInsert));
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "common/records/NumberBounds.h"
#include "common/records/RecordBytes.h"
#include "server/Sql.h"

namespace kel::server {

enum class ColumnKind : std::uint8_t {
    Text,          // text, may be empty
    Required,      // text that must not be empty, without control characters (a key, a name)
    Date,          // "YYYYMMDD" that exists
    OptionalDate,  // the same, or empty
    Letter,        // one printable character or NUL
    Int,           // int32
    Real,          // double or float, finite
    NumberText,    // a number held as text (the share texts), or empty
};

// Which statements a column takes part in.
enum ColumnUse : unsigned { kSelect = 1, kInsert = 2, kUpdate = 4, kAllUses = 7 };

struct Column {
    const char* name;  // the stored column
    const char* what;  // names the field when a request is refused
    ColumnKind kind;
    std::size_t offset;        // in the record
    std::size_t size;          // bytes in the record
    std::size_t maxBytes = 0;  // text: at most this many GBK bytes (0: the field's width - 1)
    bool trimRight = false;    // text: trailing blanks are not stored
    bool code = false;         // text: a code, without control characters
    unsigned uses = kAllUses;
    std::optional<kel::records::NumberBound> bound = std::nullopt;  // Real, NumberText: what may be stored

    Column Max(std::size_t bytes) const {
        Column c = *this;
        c.maxBytes = bytes;
        return c;
    }
    Column TrimRight() const {
        Column c = *this;
        c.trimRight = true;
        return c;
    }
    Column Code() const {
        Column c = *this;
        c.code = true;
        return c;
    }
    Column Uses(unsigned which) const {
        Column c = *this;
        c.uses = which;
        return c;
    }
    Column Bounded(kel::records::NumberBound b) const {
        Column c = *this;
        c.bound = b;
        return c;
    }
};

// The column makers of record R; the member's type fixes what the kind may be.
template <class R>
struct ColumnsOf {
    template <std::size_t N>
    static Column Text(char (R::*m)[N], const char* name, const char* what) {
        return Make(ColumnKind::Text, m, name, what);
    }
    template <std::size_t N>
    static Column Required(char (R::*m)[N], const char* name, const char* what) {
        return Make(ColumnKind::Required, m, name, what);
    }
    template <std::size_t N>
    static Column NumberText(char (R::*m)[N], const char* name, const char* what) {
        return Make(ColumnKind::NumberText, m, name, what);
    }
    static Column Date(char (R::*m)[9], const char* name, const char* what, bool optional = false) {
        return Make(optional ? ColumnKind::OptionalDate : ColumnKind::Date, m, name, what);
    }
    static Column Letter(char R::*m, const char* name, const char* what) {
        return Make(ColumnKind::Letter, m, name, what);
    }
    static Column Int(std::int32_t R::*m, const char* name, const char* what = "") {
        return Make(ColumnKind::Int, m, name, what);
    }
    static Column Real(double R::*m, const char* name, const char* what) {
        return Make(ColumnKind::Real, m, name, what);
    }
    static Column Real(float R::*m, const char* name, const char* what) {
        return Make(ColumnKind::Real, m, name, what);
    }

private:
    template <class M>
    static Column Make(ColumnKind kind, M R::*m, const char* name, const char* what) {
        const kel::records::MemberBytes bytes = kel::records::BytesOf(m);
        return Column{name, what, kind, bytes.offset, bytes.size};
    }
};

// The table's rows over the record's bytes; ColumnTable<R> below is what handlers use.
class ColumnRows {
public:
    explicit ColumnRows(std::initializer_list<Column> columns);

    // "a, b, c" (each with `prefix`, e.g. "i.") of the columns taking part in `use`.
    std::string Names(unsigned use, std::string_view prefix = {}) const;
    // "a = ?, b = ?" for an UPDATE.
    std::string Assignments(unsigned use) const;
    std::size_t Count(unsigned use) const;

    // The request's fields checked (every field a request carries, whatever `use`)
    // and the values of the columns taking part in `use`, in table order. A field
    // that breaks its rule ends the request (kBadRequest).
    sql::Params Values(const char* record, unsigned use) const;
    // The value of column `name` among the values of `use`.
    const sql::Value& ValueOf(const sql::Params& values, std::string_view name, unsigned use) const;

    // Writes the columns of `use` from `row`, starting at column `at` (moved past them).
    void Pack(const sql::RowCells& row, std::size_t& at, char* record, unsigned use) const;

    const std::vector<Column>& Columns() const { return columns_; }

private:
    std::vector<Column> columns_;
};

template <class R>
class ColumnTable {
public:
    ColumnTable(std::initializer_list<Column> columns) : rows_(columns) {}

    std::string Names(unsigned use, std::string_view prefix = {}) const { return rows_.Names(use, prefix); }
    std::string Assignments(unsigned use) const { return rows_.Assignments(use); }
    std::size_t Count(unsigned use) const { return rows_.Count(use); }
    sql::Params Values(const R& record, unsigned use) const {
        return rows_.Values(reinterpret_cast<const char*>(&record), use);
    }
    const sql::Value& ValueOf(const sql::Params& values, std::string_view name, unsigned use) const {
        return rows_.ValueOf(values, name, use);
    }
    // `record` may sit unaligned in an answer body: packed records have alignment 1.
    void Pack(const sql::RowCells& row, std::size_t& at, R& record, unsigned use = kSelect) const {
        rows_.Pack(row, at, reinterpret_cast<char*>(&record), use);
    }
    void Pack(const sql::Row& row, std::size_t& at, R& record, unsigned use = kSelect) const {
        rows_.Pack(sql::CellsOf(row), at, reinterpret_cast<char*>(&record), use);
    }
    const ColumnRows& Rows() const { return rows_; }

private:
    ColumnRows rows_;
};

}  // namespace kel::server
