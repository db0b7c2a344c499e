#include "server/StoredColumns.h"

namespace kel::server {

std::vector<StoredColumns> AllStoredColumns() {
    std::vector<StoredColumns> all;
    for (auto tables :
         {handlers::ContCodeTables, handlers::ContInfoTables, handlers::ReinsurerTables, handlers::BrokerTables,
          handlers::SectionTables, handlers::InsrClassTables, handlers::OrderTables, handlers::PromptTables,
          handlers::ReferenceTables, handlers::DetailTables}) {
        const std::vector<StoredColumns> some = tables();
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

}  // namespace kel::server
