#include "common/db/Database.h"

#include <strings.h>
#include <charconv>

namespace kel::db {

std::string Value::ToText() const {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* n = std::get_if<int64_t>(&v)) return std::to_string(*n);
    if (const auto* d = std::get_if<double>(&v)) {
        char buf[64];
        // Shortest text that reads back as the same double ("0.1", "1500").
        const auto res = std::to_chars(buf, buf + sizeof buf, *d);
        return std::string(buf, res.ptr);
    }
    return "";
}

int64_t Value::ToInt() const {
    if (const auto* n = std::get_if<int64_t>(&v)) return *n;
    if (const auto* d = std::get_if<double>(&v)) return static_cast<int64_t>(*d);
    int64_t n = 0;
    if (const auto* s = std::get_if<std::string>(&v)) std::from_chars(s->data(), s->data() + s->size(), n);
    return n;
}

double Value::ToReal() const {
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
    double d = 0;
    if (const auto* s = std::get_if<std::string>(&v)) std::from_chars(s->data(), s->data() + s->size(), d);
    return d;
}

int ResultSet::ColumnIndex(const std::string& name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (strcasecmp(columns[i].c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

}  // namespace kel::db
