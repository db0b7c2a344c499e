// The handlers' column tables, each with the stored table whose columns it names,
// and the statements of the lists the benchmark runs directly. Each handler file
// keeps its tables to itself and lists them here: the schema test holds the
// schema against every one, so a column renamed or retyped on one side fails it.
#pragma once

#include <string>
#include <vector>

#include "server/ColumnTable.h"

namespace kel::server {

struct StoredColumns {
    const char* table;  // the stored table, e.g. "t_ri_company"
    const ColumnRows* rows;
};

std::vector<StoredColumns> AllStoredColumns();

namespace handlers {

// The tables of each handler file.
std::vector<StoredColumns> ContCodeTables();
std::vector<StoredColumns> ContInfoTables();
std::vector<StoredColumns> ReinsurerTables();
std::vector<StoredColumns> BrokerTables();
std::vector<StoredColumns> SectionTables();
std::vector<StoredColumns> InsrClassTables();
std::vector<StoredColumns> OrderTables();
std::vector<StoredColumns> PromptTables();
std::vector<StoredColumns> ReferenceTables();
std::vector<StoredColumns> DetailTables();

// The SELECT of the treaty code list (180), without parameters.
const std::string& ContCodeListSql();
// The SELECT of the treaty data list (186): its parameters are the length of the
// start date prefix and the prefix.
const std::string& ContInfoListSql();
// The SELECT of the treaty details (205) without a filter: its parameter is the
// treaty data identifier.
const std::string& ContDetailListSql();

}  // namespace handlers
}  // namespace kel::server
