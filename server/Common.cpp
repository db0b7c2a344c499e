#include "server/Common.h"

#include <charconv>
#include <cmath>

#include "server/Sql.h"
#include "server/Status.h"

namespace kel::server {

std::string_view TreatyTypeText(std::string_view letter) {
    if (letter.size() != 1) return {};
    switch (letter[0]) {
        case 'A': return "成数合约";
        case 'C': return "临分合约";
        case 'D': return "自留合约";
        case 'E': return "第一溢额合约";
        case 'F': return "第二溢额合约";
        case 'G': return "剩余合约";
        case 'H': return "非比例合约";
        default: return {};
    }
}

void TouchTreatyData(kel::db::Connection& db, int32_t contId) {
    sql::Execute(db, "UPDATE t_cont_info SET n_data_rev = n_data_rev + 1 WHERE n_cont_id = ?", {sql::Value(contId)});
}

void RequireTreatyData(kel::db::Connection& db, int32_t contId) {
    if (!sql::Exists(db, "SELECT 1 FROM t_cont_info WHERE n_cont_id = ?", {sql::Value(contId)}))
        Refuse("no treaty data record " + std::to_string(contId), "该合约资料已不存在");
}

std::string ShownDate(const std::string& d) {
    if (d.size() != 8) return d;
    return d.substr(0, 4) + "/" + d.substr(4, 2) + "/" + d.substr(6, 2);
}

std::string ShownMonth(const std::string& m) {
    if (m.size() != 6) return m;
    return m.substr(0, 4) + "/" + m.substr(4, 2);
}

std::string TrimRight(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

bool ParseNumber(std::string_view text, double& value) {
    const auto b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return false;
    text = text.substr(b, text.find_last_not_of(' ') - b + 1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

void RequireProduct(kel::db::Connection& db, const std::string& code) {
    if (!sql::Exists(db, "SELECT 1 FROM t_prd_prod WHERE c_prod_no = ?", {sql::Text(code)}))
        Refuse("no product " + code, "产品" + code + "不存在");
}

}  // namespace kel::server
