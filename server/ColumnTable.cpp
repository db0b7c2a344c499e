#include "server/ColumnTable.h"

#include <cstdio>
#include <cstring>

#include "common/records/RecordBytes.h"
#include "server/Common.h"
#include "server/Wire.h"

namespace kel::server {
namespace {

bool Takes(const Column& c, unsigned use) { return (c.uses & use) != 0; }

// A request carries every field that goes into an INSERT or an UPDATE.
bool FromRequest(const Column& c) { return Takes(c, kInsert | kUpdate); }

using kel::records::ReadAs;
using kel::records::WriteAs;

std::string Shown(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// A number beyond the column's bound ends the request.
double InBound(double value, const Column& c) {
    if (c.bound && !kel::records::WithinBound(value, *c.bound))
        BadRequest(std::string(c.what) + ": " + Shown(value) + " is outside " + Shown(c.bound->lo) + " to " +
                   Shown(c.bound->hi));
    return value;
}

// The checked value of one request field.
sql::Value Checked(const char* record, const Column& c) {
    const char* field = record + c.offset;
    switch (c.kind) {
        case ColumnKind::Text:
        case ColumnKind::Required:
        case ColumnKind::NumberText: {
            std::string s = wire::Text(field, c.size, c.what, c.maxBytes ? c.maxBytes : c.size - 1);
            if (c.trimRight) s = TrimRight(std::move(s));
            if (c.code || c.kind == ColumnKind::Required) s = wire::Code(std::move(s), c.what);
            if (c.kind == ColumnKind::Required && s.empty()) BadRequest(std::string(c.what) + " is empty");
            double number = 0;
            if (c.kind == ColumnKind::NumberText && !s.empty()) {
                if (!ParseNumber(s, number)) BadRequest(std::string(c.what) + " is not a number");
                InBound(number, c);
            }
            return sql::Text(s);
        }
        case ColumnKind::Date:
        case ColumnKind::OptionalDate:
            return sql::Text(
                wire::Date(*reinterpret_cast<const char(*)[9]>(field), c.what, c.kind == ColumnKind::OptionalDate));
        case ColumnKind::Letter: return sql::Text(wire::Letter(*field, c.what));
        case ColumnKind::Int: return sql::Value(ReadAs<std::int32_t>(record, c.offset));
        case ColumnKind::Real:
            if (c.size == sizeof(float))
                return sql::Value(InBound(wire::Real(ReadAs<float>(record, c.offset), c.what), c));
            return sql::Value(InBound(wire::Real(ReadAs<double>(record, c.offset), c.what), c));
    }
    return {};
}

}  // namespace

ColumnRows::ColumnRows(std::initializer_list<Column> columns) : columns_(columns) {}

std::string ColumnRows::Names(unsigned use, std::string_view prefix) const {
    std::string out;
    for (const Column& c : columns_) {
        if (!Takes(c, use)) continue;
        if (!out.empty()) out += ", ";
        out.append(prefix).append(c.name);
    }
    return out;
}

std::string ColumnRows::Assignments(unsigned use) const {
    std::string out;
    for (const Column& c : columns_) {
        if (!Takes(c, use)) continue;
        if (!out.empty()) out += ", ";
        out.append(c.name).append(" = ?");
    }
    return out;
}

std::size_t ColumnRows::Count(unsigned use) const {
    std::size_t n = 0;
    for (const Column& c : columns_) n += Takes(c, use) ? 1 : 0;
    return n;
}

sql::Params ColumnRows::Values(const char* record, unsigned use) const {
    sql::Params values;
    for (const Column& c : columns_) {
        if (!FromRequest(c)) continue;
        sql::Value v = Checked(record, c);
        if (Takes(c, use)) values.push_back(std::move(v));
    }
    return values;
}

const sql::Value& ColumnRows::ValueOf(const sql::Params& values, std::string_view name, unsigned use) const {
    std::size_t i = 0;
    for (const Column& c : columns_) {
        if (!Takes(c, use)) continue;
        if (name == c.name && i < values.size()) return values[i];
        ++i;
    }
    throw Fault(kServerFailure, "no column " + std::string(name));
}

void ColumnRows::Pack(const sql::RowCells& row, std::size_t& at, char* record, unsigned use) const {
    for (const Column& c : columns_) {
        if (!Takes(c, use)) continue;
        if (at >= row.Size()) throw Fault(kServerFailure, "a row without column " + std::string(c.name));
        const std::size_t i = at++;
        switch (c.kind) {
            case ColumnKind::Text:
            case ColumnKind::Required:
            case ColumnKind::NumberText:
            case ColumnKind::Date:
            case ColumnKind::OptionalDate: wire::Put(record + c.offset, c.size, row.Text(i)); break;
            case ColumnKind::Letter: record[c.offset] = wire::LetterOf(row.Text(i)); break;
            case ColumnKind::Int: WriteAs(record, c.offset, static_cast<std::int32_t>(row.Int(i))); break;
            case ColumnKind::Real:
                if (c.size == sizeof(float))
                    WriteAs(record, c.offset, static_cast<float>(row.Real(i)));
                else
                    WriteAs(record, c.offset, row.Real(i));
                break;
        }
    }
}

}  // namespace kel::server
