// libpq, opened when the first PostgreSQL connection is made: a client on its own
// SQLite file never maps it, nor the Kerberos, LDAP and TLS libraries behind it.
#pragma once

#include <libpq-fe.h>

#include <string>

namespace kel::server::store {

// The libpq functions the store calls, named without their "PQ".
struct PqLibrary {
    decltype(&::PQconnectdb) connectdb;
    decltype(&::PQstatus) status;
    decltype(&::PQerrorMessage) errorMessage;
    decltype(&::PQfinish) finish;
    decltype(&::PQsetNoticeProcessor) setNoticeProcessor;
    decltype(&::PQsetClientEncoding) setClientEncoding;
    decltype(&::PQtransactionStatus) transactionStatus;
    decltype(&::PQexec) exec;
    decltype(&::PQexecParams) execParams;
    decltype(&::PQprepare) prepare;
    decltype(&::PQexecPrepared) execPrepared;
    decltype(&::PQresultStatus) resultStatus;
    decltype(&::PQresultErrorMessage) resultErrorMessage;
    decltype(&::PQclear) clear;
    decltype(&::PQntuples) ntuples;
    decltype(&::PQnfields) nfields;
    decltype(&::PQfname) fname;
    decltype(&::PQftype) ftype;
    decltype(&::PQgetvalue) getvalue;
    decltype(&::PQgetlength) getlength;
    decltype(&::PQgetisnull) getisnull;
    decltype(&::PQcmdTuples) cmdTuples;
};

// Loads the library once; nullptr, with why in *error, when it cannot be loaded.
const PqLibrary* LoadPq(std::string* error);

// The loaded library: only for code that holds a connection LoadPq made possible.
const PqLibrary& Pq();

}  // namespace kel::server::store
