# Database access over unixODBC, the code-list registry and their tests.
# Included from host/qxcommon/CMakeLists.txt; paths are relative to this file.
set(KELMOR_DB_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(KELMOR_DB_ROOT "${KELMOR_DB_DIR}/../.." ABSOLUTE)

# sql/codelists.sql is built into the library, so the schema can be applied without
# finding files at run time. Editing the file re-runs the configure step.
file(READ ${KELMOR_DB_DIR}/sql/codelists.sql KELMOR_CODELIST_SQL)
string(FIND "${KELMOR_CODELIST_SQL}" ")KELMOR_SQL" _kelmor_sql_delim)
if(NOT _kelmor_sql_delim EQUAL -1)
  message(FATAL_ERROR "sql/codelists.sql must not contain the text )KELMOR_SQL")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KELMOR_DB_DIR}/sql/codelists.sql)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/CodeListSchemaSql.cpp
  CONTENT [=[// Generated from host/qxcommon/sql/codelists.sql by db.cmake; do not edit.
#include "host/qxcommon/CodeLists.h"

namespace kel::codelist {

const std::string& CodeListSchemaSql() {
    static const std::string sql = R"KELMOR_SQL(@KELMOR_CODELIST_SQL@)KELMOR_SQL";
    return sql;
}

}  // namespace kel::codelist
]=] @ONLY)

add_library(kelmor_db SHARED
  ${KELMOR_DB_DIR}/Database.h
  ${KELMOR_DB_DIR}/DatabaseValue.cpp
  ${KELMOR_DB_DIR}/DatabaseSchema.cpp
  ${KELMOR_DB_DIR}/OdbcConfig.h
  ${KELMOR_DB_DIR}/OdbcConfig.cpp
  ${KELMOR_DB_DIR}/OdbcUtf16.h
  ${KELMOR_DB_DIR}/OdbcUtf16.cpp
  ${KELMOR_DB_DIR}/OdbcConnection.h
  ${KELMOR_DB_DIR}/OdbcConnection.cpp
  ${KELMOR_DB_DIR}/CodeListStruct.h
  ${KELMOR_DB_DIR}/CodeLists.h
  ${KELMOR_DB_DIR}/CodeLists.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/CodeListSchemaSql.cpp
  ${KELMOR_DB_DIR}/sql/codelists.sql)
set_target_properties(kelmor_db PROPERTIES OUTPUT_NAME kelmor_db)
target_include_directories(kelmor_db PUBLIC ${KELMOR_DB_ROOT})
target_link_libraries(kelmor_db PUBLIC ODBC::ODBC kelmor_text)
target_compile_features(kelmor_db PUBLIC cxx_std_20)
if(CMAKE_LIBRARY_ARCHITECTURE)
  # First place to look for the ODBC driver libraries.
  target_compile_definitions(kelmor_db PRIVATE KELMOR_LIBRARY_ARCHITECTURE="${CMAKE_LIBRARY_ARCHITECTURE}")
endif()

add_executable(db_tests
  ${KELMOR_DB_DIR}/tests/db/DbTestSupport.h
  ${KELMOR_DB_DIR}/tests/db/DbTestSupport.cpp
  ${KELMOR_DB_DIR}/tests/db/ConnectionTest.cpp
  ${KELMOR_DB_DIR}/tests/db/SchemaTest.cpp
  ${KELMOR_DB_DIR}/tests/db/CodeListTest.cpp
  ${KELMOR_DB_DIR}/tests/db/PostgresTest.cpp)
target_link_libraries(db_tests PRIVATE kelmor_db kelmor_text GTest::gtest_main)
# Every test opens its own fresh database file; a PostgreSQL run needs KELMOR_PG_CONN.
gtest_discover_tests(db_tests DISCOVERY_TIMEOUT 30)
