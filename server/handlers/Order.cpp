// Treaty order (134..138): each month's treaties with priorities 1..n, no gaps.
#include "common/records/Records.h"
#include "server/ColumnTable.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

// A month's order as answered: each treaty's priority and code, and the name of
// its treaty code. The rows are written by the order's own requests (add, move,
// copy), which carry no such record.
using OrderColumns = ColumnsOf<_ContOrderStruct>;
const ColumnTable<_ContOrderStruct> kOrder{
    OrderColumns::Int(&_ContOrderStruct::nPriority, "n_priority").Uses(kSelect),
    OrderColumns::Text(&_ContOrderStruct::szContCode, "c_cont_code", "treaty code").Uses(kSelect),
};
const ColumnTable<_ContOrderStruct> kOrderNames{
    OrderColumns::Text(&_ContOrderStruct::szContName, "c_name_cn", "treaty name").Uses(kSelect),
};

int64_t PriorityOf(Connection& db, const std::string& month, const std::string& code) {
    const auto rs = Query(db, "SELECT n_priority FROM t_cont_order WHERE c_year_month = ? AND c_cont_code = ?",
                          {Text(month), Text(code)});
    if (rs.rows.empty())
        Refuse("treaty " + code + " is not in the order of " + month,
               "合约" + code + "不在" + ShownMonth(month) + "的合约顺序中");
    return Int(rs.rows[0][0]);
}

int64_t OrderSize(Connection& db, const std::string& month) {
    return Int(Query(db, "SELECT COUNT(*) FROM t_cont_order WHERE c_year_month = ?", {Text(month)}).rows[0][0]);
}

}  // namespace

std::vector<StoredColumns> OrderTables() {
    return {{"t_cont_order", &kOrder.Rows()}, {"t_cont_code", &kOrderNames.Rows()}};
}

void OrderLoad(Call& c) {
    const auto body = Load<_OrderMonthBody>(c.body);
    const std::string month = wire::YearMonth(body.szYearMonth, "year-month");
    Each(c.db,
         "SELECT " + kOrder.Names(kSelect, "o.") + ", " + kOrderNames.Names(kSelect, "k.") +
             ", k.c_type FROM t_cont_order o LEFT JOIN t_cont_code k ON k.c_cont_code = o.c_cont_code "
             "WHERE o.c_year_month = ? ORDER BY o.n_priority",
         {Text(month)}, [&](const RowCells& row) {
             auto& r = c.answer.Add<_ContOrderStruct>();
             std::size_t at = 0;
             kOrder.Pack(row, at, r);
             kOrderNames.Pack(row, at, r);
             wire::Put(r.szContTypeName, TreatyTypeText(row.Text(at)));
             return true;
         });
}

void OrderDelete(Call& c) {
    const auto body = Load<_OrderDeleteBody>(c.body);
    const std::string code = wire::Required(body.szContCode, "treaty code");
    const std::string month = wire::YearMonth(body.szYearMonth, "year-month");
    Audited(c, "t_cont_order " + month + "|" + code);
    const int64_t priority = PriorityOf(c.db, month, code);
    Execute(c.db, "DELETE FROM t_cont_order WHERE c_year_month = ? AND c_cont_code = ?", {Text(month), Text(code)});
    Execute(c.db, "UPDATE t_cont_order SET n_priority = n_priority - 1 WHERE c_year_month = ? AND n_priority > ?",
            {Text(month), Value(priority)});
}

void OrderMove(Call& c) {
    const auto body = Load<_OrderMoveBody>(c.body);
    const std::string code = wire::Required(body.szContCode, "treaty code");
    const std::string month = wire::YearMonth(body.szYearMonth, "year-month");
    if (body.cDirection != kMoveUp && body.cDirection != kMoveDown) BadRequest("direction is neither 'U' nor 'D'");
    Audited(c, "t_cont_order " + month + "|" + code);
    const int64_t priority = PriorityOf(c.db, month, code);
    const int64_t other = body.cDirection == kMoveUp ? priority - 1 : priority + 1;
    const auto rs = Query(c.db, "SELECT c_cont_code FROM t_cont_order WHERE c_year_month = ? AND n_priority = ?",
                          {Text(month), Value(other)});
    if (rs.rows.empty())
        Refuse(body.cDirection == kMoveUp ? "already the first treaty" : "already the last treaty",
               body.cDirection == kMoveUp ? "合约" + code + "已排在第一位" : "合约" + code + "已排在最后一位");
    Execute(c.db, "UPDATE t_cont_order SET n_priority = ? WHERE c_year_month = ? AND c_cont_code = ?",
            {Value(priority), Text(month), Text(Str(rs.rows[0][0]))});
    Execute(c.db, "UPDATE t_cont_order SET n_priority = ? WHERE c_year_month = ? AND c_cont_code = ?",
            {Value(other), Text(month), Text(code)});
}

void OrderAdd(Call& c) {
    const auto body = Load<_OrderAddBody>(c.body);
    const std::string code = wire::Required(body.szContCode, "treaty code");
    const std::string month = wire::YearMonth(body.szYearMonth, "year-month");
    if (body.nOrderNo < 0) BadRequest("negative order number");
    Audited(c, "t_cont_order " + month + "|" + code);
    if (!Exists(c.db, "SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {Text(code)}))
        Refuse("no treaty code " + code, "合约代码" + code + "不存在");
    if (Exists(c.db, "SELECT 1 FROM t_cont_order WHERE c_year_month = ? AND c_cont_code = ?",
               {Text(month), Text(code)}))
        Refuse("treaty " + code + " is already in the order of " + month,
               "合约" + code + "已在" + ShownMonth(month) + "的合约顺序中");
    const int64_t size = OrderSize(c.db, month);
    int64_t at = body.nOrderNo;
    if (at == 0 || at > size) {
        at = size + 1;
    } else {
        Execute(c.db, "UPDATE t_cont_order SET n_priority = n_priority + 1 WHERE c_year_month = ? AND n_priority >= ?",
                {Text(month), Value(at)});
    }
    Execute(c.db, "INSERT INTO t_cont_order (c_year_month, c_cont_code, n_priority) VALUES (?, ?, ?)",
            {Text(month), Text(code), Value(at)});
}

void OrderCopy(Call& c) {
    const auto body = Load<_OrderCopyBody>(c.body);
    const std::string from = wire::YearMonth(body.szSrcYearMonth, "source year-month");
    const std::string to = wire::YearMonth(body.szNewYearMonth, "new year-month");
    Audited(c, "t_cont_order " + to);
    if (OrderSize(c.db, to) > 0) Refuse("the month " + to + " already has an order", ShownMonth(to) + "已有合约顺序");
    if (OrderSize(c.db, from) == 0)
        Refuse("the month " + from + " has no order to copy", ShownMonth(from) + "没有可复制的合约顺序");
    Execute(c.db,
            "INSERT INTO t_cont_order (c_year_month, c_cont_code, n_priority) "
            "SELECT ?, c_cont_code, n_priority FROM t_cont_order WHERE c_year_month = ?",
            {Text(to), Text(from)});
}

}  // namespace kel::server::handlers
