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

int ResultSet::ColumnIndex(const std::string& name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (strcasecmp(columns[i].c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

}  // namespace kel::db
