// One ODBC connection: statements with bound parameters, results read column by
// column with SQLGetData (texts in chunks as UTF-16), transactions, diagnostics.
#include "common/db/OdbcConnection.h"

#include "common/db/OdbcConfig.h"
#include "common/db/OdbcUtf16.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace kel::db {
namespace odbc {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC SQLWCHAR is a UTF-16 unit");

SQLWCHAR* W(std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// All diagnostic records of a handle as "[SQLSTATE] message; ...".
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle, bool narrow, std::string* firstState = nullptr) {
    std::string text;
    for (SQLSMALLINT rec = 1; rec <= 8; ++rec) {
        std::string state, message;
        SQLINTEGER native = 0;
        SQLSMALLINT len = 0;
        if (narrow) {
            SQLCHAR st[6] = {};
            std::array<SQLCHAR, 1024> msg{};
            const SQLRETURN r =
                SQLGetDiagRec(type, handle, rec, st, &native, msg.data(), static_cast<SQLSMALLINT>(msg.size()), &len);
            if (!SQL_SUCCEEDED(r)) break;
            state.assign(reinterpret_cast<char*>(st), 5);
            message.assign(reinterpret_cast<char*>(msg.data()),
                           std::min<std::size_t>(std::max<SQLSMALLINT>(len, 0), msg.size() - 1));
        } else {
            SQLWCHAR st[6] = {};
            std::array<SQLWCHAR, 1024> msg{};
            const SQLRETURN r =
                SQLGetDiagRecW(type, handle, rec, st, &native, msg.data(), static_cast<SQLSMALLINT>(msg.size()), &len);
            if (!SQL_SUCCEEDED(r)) break;
            state = Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(st), 5));
            message =
                Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(msg.data()),
                                                std::min<std::size_t>(std::max<SQLSMALLINT>(len, 0), msg.size() - 1)));
        }
        if (firstState && rec == 1) *firstState = state;
        if (!text.empty()) text += "; ";
        text += "[" + state + "] " + message;
    }
    return text.empty() ? std::string("no diagnostic from the driver") : text;
}

// The value of a keyword in a connection string ("" when absent).
std::string ConnectionKeyword(const std::string& conn, const std::string& keyword) {
    const std::string lower = Lower(conn);
    const std::string key = Lower(keyword);
    std::size_t pos = 0;
    while (pos < lower.size()) {
        std::size_t end = lower.find(';', pos);
        if (end == std::string::npos) end = lower.size();
        const std::size_t eq = lower.find('=', pos);
        if (eq != std::string::npos && eq < end) {
            std::string k = lower.substr(pos, eq - pos);
            k.erase(0, k.find_first_not_of(' '));
            k.erase(k.find_last_not_of(' ') + 1);
            if (k == key) {
                std::string v = conn.substr(eq + 1, end - eq - 1);
                if (v.size() >= 2 && v.front() == '{' && v.back() == '}') v = v.substr(1, v.size() - 2);
                return v;
            }
        }
        pos = end + 1;
    }
    return "";
}

std::string GetInfoText(SQLHDBC dbc, SQLUSMALLINT what) {
    std::array<SQLWCHAR, 256> buf{};
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, what, buf.data(), sizeof buf, &len))) return "";
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(buf.data()),
                            std::min<std::size_t>(std::max<SQLSMALLINT>(len, 0) / sizeof(SQLWCHAR), buf.size() - 1)));
}

enum class Fetch { Integer, Real, Decimal, Text, Binary };

Fetch FetchKind(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT: return Fetch::Integer;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE: return Fetch::Real;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            // Read as text and judged by the value: drivers differ in the precision
            // and scale they report for an unconstrained NUMERIC.
            return Fetch::Decimal;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY: return Fetch::Binary;
        default: return Fetch::Text;
    }
}

// Reads a whole column value of a character or binary C type in chunks, so that a
// long value is never cut at a buffer size. nullopt for NULL; false on failure.
template <typename Unit>
bool ReadChunks(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT cType, std::optional<std::basic_string<Unit>>& out) {
    std::basic_string<Unit> value;
    std::array<Unit, 4096> buf;
    // Character data is NUL-terminated inside the buffer, binary data is not.
    const std::size_t room = (cType == SQL_C_BINARY) ? buf.size() : buf.size() - 1;
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN r = SQLGetData(h, column, cType, buf.data(), sizeof buf, &ind);
        if (r == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(r)) return false;
        if (ind == SQL_NULL_DATA) {
            out.reset();
            return true;
        }
        const std::size_t units =
            (ind == SQL_NO_TOTAL || ind < 0) ? room : static_cast<std::size_t>(ind) / sizeof(Unit);
        const std::size_t got = std::min(units, room);
        value.append(buf.data(), got);
        if (r == SQL_SUCCESS || got < room) break;
    }
    out = std::move(value);
    return true;
}

// A decimal column's text as an integer when it is one and fits, else a real
// (from_chars: independent of the process locale's decimal point).
Value DecimalValue(const std::string& text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int64_t n = 0;
    if (auto r = std::from_chars(first, last, n); r.ec == std::errc() && r.ptr == last) return Value(n);
    double d = 0;
    if (auto r = std::from_chars(first, last, d); r.ec == std::errc() && r.ptr == last) return Value(d);
    return Value(text);
}

}  // namespace

// A statement handle and the parameter buffers bound to it, which must outlive
// the execution.
class OdbcConnection::Statement {
public:
    explicit Statement(SQLHDBC dbc) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h))) h = SQL_NULL_HSTMT;
    }
    ~Statement() {
        if (h != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    struct Param {
        std::u16string text;
        int64_t integer = 0;
        double real = 0;
        SQLLEN indicator = 0;
    };

    SQLHSTMT h = SQL_NULL_HSTMT;
    std::vector<Param> params;
};

std::unique_ptr<OdbcConnection> OdbcConnection::Connect(const std::string& connectionString, std::string* error) {
    auto fail = [error](std::string message) -> std::unique_ptr<OdbcConnection> {
        if (error) *error = std::move(message);
        return nullptr;
    };
    EnsureOdbcConfig();  // before the first handle: the driver manager reads ODBCSYSINI then

    auto c = std::make_unique<OdbcConnection>(Key{});
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &c->env_)))
        return fail("cannot allocate an ODBC environment (is unixODBC installed?)");
    SQLSetEnvAttr(c->env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, c->env_, &c->dbc_)))
        return fail("cannot allocate an ODBC connection: " + Diagnostics(SQL_HANDLE_ENV, c->env_, false));
    // A server that does not answer must not hang the caller.
    SQLSetConnectAttr(c->dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);

    c->narrow_ = Lower(ConnectionKeyword(connectionString, "DRIVER")).find("sqlite") != std::string::npos;
    SQLRETURN r;
    if (c->narrow_) {
        std::string conn = connectionString;
        r = SQLDriverConnect(c->dbc_, nullptr, reinterpret_cast<SQLCHAR*>(conn.data()),
                             static_cast<SQLSMALLINT>(conn.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    } else {
        auto wide = Utf8ToUtf16(connectionString);
        if (!wide) return fail("the connection string is not valid UTF-8");
        r = SQLDriverConnectW(c->dbc_, nullptr, W(*wide), static_cast<SQLSMALLINT>(wide->size()), nullptr, 0, nullptr,
                              SQL_DRIVER_NOPROMPT);
    }
    if (!SQL_SUCCEEDED(r)) {
        std::string state;
        std::string message = "cannot connect: " + Diagnostics(SQL_HANDLE_DBC, c->dbc_, c->narrow_, &state);
        if (state == "IM002" || state == "01000") {
            if (const std::string hint = MissingDriverHint(); !hint.empty()) message += " (" + hint + ")";
        }
        return fail(message);
    }
    c->connected_ = true;

    const std::string driver = Lower(GetInfoText(c->dbc_, SQL_DRIVER_NAME));
    if (driver.find("sqlite") != std::string::npos) c->narrow_ = true;
    const std::string dbms = Lower(GetInfoText(c->dbc_, SQL_DBMS_NAME));
    if (dbms.find("sqlite") != std::string::npos || driver.find("sqlite") != std::string::npos)
        c->dialect_ = "sqlite";
    else if (dbms.find("postgres") != std::string::npos)
        c->dialect_ = "postgresql";
    else
        c->dialect_ = dbms.empty() ? driver : dbms;
    return c;
}

OdbcConnection::~OdbcConnection() {
    if (connected_) {
        if (inTransaction_) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
        SQLDisconnect(dbc_);
    }
    if (dbc_ != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void OdbcConnection::Fail(std::string message) { lastError_ = std::move(message); }

bool OdbcConnection::Run(Statement& stmt, const std::string& sql, const std::vector<Value>& params, bool* noData) {
    if (stmt.h == SQL_NULL_HSTMT) {
        Fail("cannot allocate a statement: " + Diagnostics(SQL_HANDLE_DBC, dbc_, narrow_));
        return false;
    }
    stmt.params.resize(params.size());  // sized once: the bound addresses stay put
    for (std::size_t i = 0; i < params.size(); ++i) {
        auto& p = stmt.params[i];
        const auto n = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN r;
        if (params[i].IsNull()) {
            p.indicator = SQL_NULL_DATA;
            r = SQLBindParameter(stmt.h, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0, &p.indicator);
        } else if (const auto* s = std::get_if<std::string>(&params[i].v)) {
            auto wide = Utf8ToUtf16(*s);
            if (!wide) {
                Fail("parameter " + std::to_string(n) + " is not valid UTF-8 text");
                return false;
            }
            p.text = std::move(*wide);
            p.indicator = static_cast<SQLLEN>(p.text.size() * sizeof(SQLWCHAR));
            const SQLULEN units = std::max<SQLULEN>(p.text.size(), 1);
            r = SQLBindParameter(stmt.h, n, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                 units > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, units, 0, W(p.text), p.indicator,
                                 &p.indicator);
        } else if (const auto* k = std::get_if<int64_t>(&params[i].v)) {
            p.integer = *k;
            r = SQLBindParameter(stmt.h, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &p.integer, 0, nullptr);
        } else {
            p.real = std::get<double>(params[i].v);
            r = SQLBindParameter(stmt.h, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &p.real, 0, nullptr);
        }
        if (!SQL_SUCCEEDED(r)) {
            Fail("cannot bind parameter " + std::to_string(n) + ": " + Diagnostics(SQL_HANDLE_STMT, stmt.h, narrow_));
            return false;
        }
    }

    SQLRETURN r;
    if (narrow_) {
        if (!Utf8ToUtf16(sql)) {
            Fail("the statement is not valid UTF-8 text");
            return false;
        }
        std::string text = sql;
        r = SQLExecDirect(stmt.h, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    } else {
        auto wide = Utf8ToUtf16(sql);
        if (!wide) {
            Fail("the statement is not valid UTF-8 text");
            return false;
        }
        r = SQLExecDirectW(stmt.h, W(*wide), static_cast<SQLINTEGER>(wide->size()));
    }
    if (noData) *noData = (r == SQL_NO_DATA);
    if (r == SQL_NO_DATA || SQL_SUCCEEDED(r)) return true;
    Fail(Diagnostics(SQL_HANDLE_STMT, stmt.h, narrow_));
    return false;
}

bool OdbcConnection::ReadResults(Statement& stmt, ResultSet& out) {
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.h, &columns))) {
        Fail(Diagnostics(SQL_HANDLE_STMT, stmt.h, narrow_));
        return false;
    }
    std::vector<Fetch> kinds;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLSMALLINT nameLen = 0, type = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        std::string name;
        SQLRETURN r;
        if (narrow_) {
            std::array<SQLCHAR, 256> buf{};
            r = SQLDescribeCol(stmt.h, c, buf.data(), static_cast<SQLSMALLINT>(buf.size()), &nameLen, &type, &size,
                               &scale, &nullable);
            name.assign(reinterpret_cast<char*>(buf.data()),
                        std::min<std::size_t>(std::max<SQLSMALLINT>(nameLen, 0), buf.size() - 1));
        } else {
            std::array<SQLWCHAR, 256> buf{};
            r = SQLDescribeColW(stmt.h, c, buf.data(), static_cast<SQLSMALLINT>(buf.size()), &nameLen, &type, &size,
                                &scale, &nullable);
            name = Utf16ToUtf8(
                std::u16string_view(reinterpret_cast<const char16_t*>(buf.data()),
                                    std::min<std::size_t>(std::max<SQLSMALLINT>(nameLen, 0), buf.size() - 1)));
        }
        if (!SQL_SUCCEEDED(r)) {
            Fail("cannot describe column " + std::to_string(c) + ": " + Diagnostics(SQL_HANDLE_STMT, stmt.h, narrow_));
            return false;
        }
        out.columns.push_back(std::move(name));
        kinds.push_back(FetchKind(type));
    }
    if (columns == 0) return true;

    auto fail = [&](SQLUSMALLINT c) {
        Fail("cannot read column " + std::to_string(c) + ": " + Diagnostics(SQL_HANDLE_STMT, stmt.h, narrow_));
        return false;
    };
    for (;;) {
        SQLRETURN r = SQLFetch(stmt.h);
        if (r == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(r)) {
            Fail(Diagnostics(SQL_HANDLE_STMT, stmt.h, narrow_));
            return false;
        }
        Row row(columns);
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            Value& v = row[c - 1];
            SQLLEN ind = 0;
            switch (kinds[c - 1]) {
                case Fetch::Integer: {
                    int64_t n = 0;
                    r = SQLGetData(stmt.h, c, SQL_C_SBIGINT, &n, 0, &ind);
                    if (!SQL_SUCCEEDED(r)) return fail(c);
                    if (ind != SQL_NULL_DATA) v = Value(n);
                    break;
                }
                case Fetch::Real: {
                    double d = 0;
                    r = SQLGetData(stmt.h, c, SQL_C_DOUBLE, &d, 0, &ind);
                    if (!SQL_SUCCEEDED(r)) return fail(c);
                    if (ind != SQL_NULL_DATA) v = Value(d);
                    break;
                }
                case Fetch::Decimal: {
                    std::optional<std::string> text;
                    if (!ReadChunks<char>(stmt.h, c, SQL_C_CHAR, text)) return fail(c);
                    if (text) v = DecimalValue(*text);
                    break;
                }
                case Fetch::Text: {
                    std::optional<std::u16string> text;
                    static_assert(sizeof(char16_t) == sizeof(SQLWCHAR));
                    if (!ReadChunks<char16_t>(stmt.h, c, SQL_C_WCHAR, text)) return fail(c);
                    if (text) v = Value(Utf16ToUtf8(*text));
                    break;
                }
                case Fetch::Binary: {
                    std::optional<std::string> bytes;
                    if (!ReadChunks<char>(stmt.h, c, SQL_C_BINARY, bytes)) return fail(c);
                    if (bytes) v = Value(std::move(*bytes));
                    break;
                }
            }
        }
        out.rows.push_back(std::move(row));
    }
    return true;
}

std::optional<ResultSet> OdbcConnection::Query(const std::string& sql, const std::vector<Value>& params) {
    std::lock_guard lock(mutex_);
    lastError_.clear();
    Statement stmt(dbc_);
    bool noData = false;
    if (!Run(stmt, sql, params, &noData)) return std::nullopt;
    ResultSet result;
    if (!noData && !ReadResults(stmt, result)) return std::nullopt;
    return result;
}

int64_t OdbcConnection::Execute(const std::string& sql, const std::vector<Value>& params) {
    std::lock_guard lock(mutex_);
    lastError_.clear();
    Statement stmt(dbc_);
    bool noData = false;
    if (!Run(stmt, sql, params, &noData)) return -1;
    if (noData) return 0;  // a searched UPDATE or DELETE that touched no row
    SQLLEN count = 0;
    if (!SQL_SUCCEEDED(SQLRowCount(stmt.h, &count)) || count < 0) count = 0;
    return count;
}

bool OdbcConnection::Begin() {
    std::lock_guard lock(mutex_);
    lastError_.clear();
    if (inTransaction_) {
        Fail("a transaction is already open on this connection");
        return false;
    }
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                         SQL_IS_UINTEGER))) {
        Fail("cannot begin a transaction: " + Diagnostics(SQL_HANDLE_DBC, dbc_, narrow_));
        return false;
    }
    inTransaction_ = true;
    return true;
}

bool OdbcConnection::EndTransaction(SQLSMALLINT completion, const char* what) {
    std::lock_guard lock(mutex_);
    lastError_.clear();
    if (!inTransaction_) {
        Fail(std::string("no transaction is open to ") + what);
        return false;
    }
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, completion))) {
        Fail(std::string("cannot ") + what + ": " + Diagnostics(SQL_HANDLE_DBC, dbc_, narrow_));
        // A failed commit leaves the transaction open for a rollback; a failed
        // rollback leaves nothing the caller could still do.
        if (completion == SQL_COMMIT) return false;
    }
    inTransaction_ = false;
    SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
    return lastError_.empty();
}

bool OdbcConnection::Commit() { return EndTransaction(SQL_COMMIT, "commit"); }

bool OdbcConnection::Rollback() { return EndTransaction(SQL_ROLLBACK, "roll back"); }

std::string OdbcConnection::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

std::string OdbcConnection::Dialect() const { return dialect_; }

}  // namespace odbc

std::unique_ptr<Connection> Open(const std::string& target, std::string* error) {
    auto fail = [error](std::string message) -> std::unique_ptr<Connection> {
        if (error) *error = std::move(message);
        return nullptr;
    };
    if (target.empty()) return fail("no database given");
    std::string connectionString = target;
    const bool isFile = target.find('=') == std::string::npos;
    if (isFile) {
        // The SQLite driver's connection string has no quoting for these.
        if (target.find_first_of(";{}") != std::string::npos)
            return fail("a database file path may not contain ';', '{' or '}': " + target);
        // Timeout: wait up to 5 s for a lock held by another process instead of failing.
        connectionString = std::string("DRIVER=") + odbc::kSqliteDriver + ";Database=" + target + ";Timeout=5000;";
    }
    auto c = odbc::OdbcConnection::Connect(connectionString, error);
    if (!c) return nullptr;
    if (c->Dialect() == "sqlite") {
        // The SQLite driver opens the file lazily: touch it now so that a file that is
        // not a database fails here, and enforce the declared foreign keys.
        if (c->Execute("PRAGMA foreign_keys = ON") < 0 || !c->Query("SELECT count(*) FROM sqlite_master"))
            return fail("cannot open " + target + ": " + c->LastError());
    }
    if (error) error->clear();
    return c;
}

}  // namespace kel::db
