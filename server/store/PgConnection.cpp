#include "server/store/PgConnection.h"

#include <charconv>
#include <cstring>

#include "common/records/WireFloat.h"
#include "server/store/PqLibrary.h"

namespace kel::server::store {
namespace {

using kel::db::Value;

// Type identifiers of the PostgreSQL catalogue (pg_type), fixed since long.
constexpr Oid kBool = 16, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26,
              kFloat4 = 700, kFloat8 = 701, kUnknown = 705, kBpchar = 1042, kVarchar = 1043, kNumeric = 1700,
              kVoid = 2278;

enum class Kind { Void, Bool, Int, Real, Numeric, Text };

bool KindOf(Oid type, Kind& kind) {
    switch (type) {
        case kVoid: kind = Kind::Void; return true;  // a function called for what it does
        case kBool: kind = Kind::Bool; return true;
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid: kind = Kind::Int; return true;
        case kFloat4:
        case kFloat8: kind = Kind::Real; return true;
        case kNumeric: kind = Kind::Numeric; return true;
        case kChar:
        case kName:
        case kText:
        case kUnknown:
        case kBpchar:
        case kVarchar: kind = Kind::Text; return true;
        default: return false;
    }
}

uint64_t Big(const char* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

// A binary NUMERIC as decimal text: base-10000 digit groups, `weight` the power of
// the first group, `dscale` the decimals shown.
std::string NumericText(const char* p, int length) {
    if (length < 8) return "0";
    const auto groups = static_cast<int16_t>(Big(p, 2));
    const auto weight = static_cast<int16_t>(Big(p + 2, 2));
    const auto sign = static_cast<uint16_t>(Big(p + 4, 2));
    const auto scale = static_cast<int16_t>(Big(p + 6, 2));
    if (sign == 0xC000) return "NaN";
    auto group = [&](int k) -> int {
        return k >= 0 && k < groups && 8 + 2 * k + 2 <= length ? static_cast<int>(Big(p + 8 + 2 * k, 2)) : 0;
    };
    std::string s = sign == 0x4000 ? "-" : "";
    if (weight < 0) s += '0';
    for (int k = 0; k <= weight; ++k) {
        const std::string d = std::to_string(group(k));
        if (k > 0) s.append(4 - d.size(), '0');
        s += d;
    }
    if (scale > 0) {
        std::string fraction;
        for (int k = weight + 1; static_cast<int>(fraction.size()) < scale; ++k) {
            const std::string d = std::to_string(group(k));
            fraction.append(4 - d.size(), '0').append(d);
        }
        fraction.resize(static_cast<std::size_t>(scale));
        s += '.' + fraction;
    }
    return s;
}

// A decimal text as an integer when it is one, else a real.
Value DecimalValue(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    int64_t n = 0;
    if (auto r = std::from_chars(first, last, n); r.ec == std::errc() && r.ptr == last) return Value(n);
    double d = 0;
    std::from_chars(first, last, d);
    return Value(d);
}

class PgRow final : public RowCells {
public:
    PgRow(const PGresult* r, const std::vector<Kind>& kinds) : r_(r), kinds_(kinds) {}
    void At(int row) { row_ = row; }
    std::size_t Size() const override { return kinds_.size(); }
    bool IsNull(std::size_t i) const override { return kinds_[i] == Kind::Void || Pq().getisnull(r_, row_, Col(i)); }
    int64_t Int(std::size_t i) const override { return Get(i).ToInt(); }
    double Real(std::size_t i) const override {
        if (IsNull(i)) return 0;
        const char* p = Pq().getvalue(r_, row_, Col(i));
        if (kinds_[i] == Kind::Real) return Float(p, Pq().getlength(r_, row_, Col(i)));
        return Get(i).ToReal();
    }
    std::string_view Text(std::size_t i) const override {
        if (IsNull(i)) return kEmpty;
        if (kinds_[i] == Kind::Text)
            return std::string_view(Pq().getvalue(r_, row_, Col(i)),
                                    static_cast<std::size_t>(Pq().getlength(r_, row_, Col(i))));
        scratch_ = Get(i).ToText();
        return scratch_;
    }
    Value Get(std::size_t i) const override {
        if (IsNull(i)) return Value();
        const int c = Col(i);
        const char* p = Pq().getvalue(r_, row_, c);
        const int length = Pq().getlength(r_, row_, c);
        switch (kinds_[i]) {
            case Kind::Void: return Value();
            case Kind::Bool: return Value(static_cast<int64_t>(length > 0 && p[0] != 0));
            case Kind::Int: {
                // Two, four or eight bytes, sign-extended.
                const uint64_t raw = Big(p, length);
                const int shift = 64 - 8 * length;
                return Value(shift > 0 ? static_cast<int64_t>(raw << shift) >> shift : static_cast<int64_t>(raw));
            }
            case Kind::Real: return Value(Float(p, length));
            case Kind::Numeric: return DecimalValue(NumericText(p, length));
            case Kind::Text: return Value(std::string(p, static_cast<std::size_t>(length)));
        }
        return Value();
    }
    std::string Name(std::size_t i) const override { return Pq().fname(r_, Col(i)); }

private:
    static int Col(std::size_t i) { return static_cast<int>(i); }
    static double Float(const char* p, int length) {
        if (length == 4) {
            const auto bits = static_cast<uint32_t>(Big(p, 4));
            float f;
            std::memcpy(&f, &bits, sizeof f);
            return kel::records::DecimalOf(f);  // a real column: the decimal, not the float's noise
        }
        const uint64_t bits = Big(p, 8);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    const PGresult* r_;
    const std::vector<Kind>& kinds_;
    int row_ = 0;
    mutable std::string scratch_;
};

bool IsPreparable(const std::string& sql) {
    const auto b = sql.find_first_not_of(" \t\r\n(");
    if (b == std::string::npos) return false;
    std::string word;
    for (std::size_t i = b; i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])); ++i)
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
    return word == "SELECT" || word == "INSERT" || word == "UPDATE" || word == "DELETE" || word == "WITH" ||
           word == "VALUES";
}

}  // namespace

std::string NumberedMarkers(const std::string& sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int n = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        auto copyUntil = [&](std::string_view end) {
            const std::size_t stop = sql.find(end, i + 1);
            const std::size_t to = stop == std::string::npos ? sql.size() : stop + end.size();
            out.append(sql, i, to - i);
            i = to - 1;
        };
        if (c == '\'')
            copyUntil("'");  // a doubled '' is two quoted pieces in a row: the same text
        else if (c == '"')
            copyUntil("\"");
        else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-')
            copyUntil("\n");
        else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*')
            copyUntil("*/");
        else if (c == '?')
            out += '$' + std::to_string(++n);
        else
            out += c;
    }
    return out;
}

void PgConnection::ResultFree::operator()(PGresult* r) const { Pq().clear(r); }

std::unique_ptr<PgConnection> PgConnection::Open(const std::string& conninfo, std::string* error) {
    if (!LoadPq(error)) return nullptr;
    PGconn* conn = Pq().connectdb(conninfo.c_str());
    if (!conn || Pq().status(conn) != CONNECTION_OK) {
        if (error)
            *error = std::string("cannot connect to PostgreSQL: ") + (conn ? Pq().errorMessage(conn) : "no memory");
        Pq().finish(conn);
        return nullptr;
    }
    std::unique_ptr<PgConnection> c(new PgConnection(conn));
    // The server's notices ("relation ... already exists, skipping") are no errors:
    // libpq would print each on stderr.
    Pq().setNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    if (Pq().setClientEncoding(conn, "UTF8") != 0) {
        if (error) *error = "cannot set the client encoding to UTF-8: " + std::string(Pq().errorMessage(conn));
        return nullptr;
    }
    if (error) error->clear();
    return c;
}

PgConnection::~PgConnection() { Pq().finish(conn_); }

bool PgConnection::Failed(const PGresult* r) {
    const auto status = r ? Pq().resultStatus(r) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return false;
    const char* why = r ? Pq().resultErrorMessage(r) : Pq().errorMessage(conn_);
    lastError_ = why && *why ? why : "PostgreSQL failed";
    while (!lastError_.empty() && lastError_.back() == '\n') lastError_.pop_back();
    return true;
}

PgConnection::Result PgConnection::Simple(const char* sql) {
    lastError_.clear();
    Result r(Pq().exec(conn_, sql));
    return Failed(r.get()) ? nullptr : std::move(r);
}

PgConnection::Result PgConnection::Run(const std::string& sql, const std::vector<Value>& params) {
    lastError_.clear();
    const std::size_t n = params.size();
    std::vector<Oid> types(n, 0);
    std::vector<const char*> values(n, nullptr);
    std::vector<int> lengths(n, 0), formats(n, 0);
    std::vector<char> binary(n * 8);
    std::string signature(n, 'n');
    for (std::size_t i = 0; i < n; ++i) {
        uint64_t bits = 0;
        if (const auto* s = std::get_if<std::string>(&params[i].v)) {
            // Untyped text: the server reads it as the column or function wants it.
            values[i] = s->c_str();
            signature[i] = 's';
            continue;
        } else if (const auto* k = std::get_if<int64_t>(&params[i].v)) {
            types[i] = kInt8;
            bits = static_cast<uint64_t>(*k);
            signature[i] = 'i';
        } else if (const auto* d = std::get_if<double>(&params[i].v)) {
            types[i] = kFloat8;
            std::memcpy(&bits, d, sizeof bits);
            signature[i] = 'd';
        } else {
            continue;  // NULL
        }
        char* at = binary.data() + 8 * i;
        for (int b = 7; b >= 0; --b, bits >>= 8) at[b] = static_cast<char>(bits & 0xFF);
        values[i] = at;
        lengths[i] = 8;
        formats[i] = 1;
    }
    const std::string text = NumberedMarkers(sql);
    if (!IsPreparable(sql)) {
        Result r(Pq().execParams(conn_, text.c_str(), static_cast<int>(n), types.data(), values.data(), lengths.data(),
                                 formats.data(), 1));
        return Failed(r.get()) ? nullptr : std::move(r);
    }
    const std::string key = signature + '\n' + sql;
    auto it = statements_.find(key);
    if (it == statements_.end()) {
        if (statements_.size() >= kMaxStatements) {
            Result dropped(Pq().exec(conn_, "DEALLOCATE ALL"));
            if (Failed(dropped.get())) return nullptr;
            statements_.clear();
        }
        const std::string name = "k" + std::to_string(++named_);
        Result prepared(Pq().prepare(conn_, name.c_str(), text.c_str(), static_cast<int>(n), types.data()));
        if (Failed(prepared.get())) return nullptr;
        it = statements_.emplace(key, name).first;
    }
    Result r(Pq().execPrepared(conn_, it->second.c_str(), static_cast<int>(n), values.data(), lengths.data(),
                               formats.data(), 1));
    return Failed(r.get()) ? nullptr : std::move(r);
}

bool PgConnection::Each(const std::string& sql, const std::vector<Value>& params, const EachRow& each) {
    const Result r = Run(sql, params);
    if (!r) return false;
    const int columns = Pq().nfields(r.get());
    std::vector<Kind> kinds(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        if (!KindOf(Pq().ftype(r.get(), c), kinds[static_cast<std::size_t>(c)])) {
            lastError_ = "column " + std::string(Pq().fname(r.get(), c)) + " has a type the server does not read (" +
                         std::to_string(Pq().ftype(r.get(), c)) + ")";
            return false;
        }
    PgRow row(r.get(), kinds);
    const int rows = Pq().ntuples(r.get());
    for (int i = 0; i < rows; ++i) {
        row.At(i);
        if (!each(row)) break;
    }
    return true;
}

int64_t PgConnection::Execute(const std::string& sql, const std::vector<Value>& params) {
    const Result r = Run(sql, params);
    if (!r) return -1;
    const char* count = Pq().cmdTuples(r.get());
    int64_t n = 0;
    if (count) std::from_chars(count, count + std::strlen(count), n);
    return n;
}

bool PgConnection::Begin() { return Simple("BEGIN") != nullptr; }
bool PgConnection::Commit() { return Simple("COMMIT") != nullptr; }
bool PgConnection::Rollback() {
    if (Pq().transactionStatus(conn_) == PQTRANS_IDLE) return true;  // nothing open
    return Simple("ROLLBACK") != nullptr;
}

}  // namespace kel::server::store
