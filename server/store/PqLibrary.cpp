#include "server/store/PqLibrary.h"

#include <dlfcn.h>

namespace kel::server::store {
namespace {

// The soname the package depends on; the development link name may be missing.
constexpr const char* kSoname = "libpq.so.5";

struct Loaded {
    PqLibrary functions{};
    std::string error;  // empty once every function was found
};

template <typename F>
bool Find(void* handle, const char* name, F& into, std::string& error) {
    into = reinterpret_cast<F>(dlsym(handle, name));
    if (!into && error.empty()) error = std::string(kSoname) + " has no " + name;
    return into != nullptr;
}

Loaded LoadOnce() {
    Loaded l;
    void* handle = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        l.error = "cannot load the PostgreSQL client library: " + std::string(why ? why : kSoname);
        return l;
    }
    PqLibrary& f = l.functions;
    std::string& e = l.error;
    Find(handle, "PQconnectdb", f.connectdb, e);
    Find(handle, "PQstatus", f.status, e);
    Find(handle, "PQerrorMessage", f.errorMessage, e);
    Find(handle, "PQfinish", f.finish, e);
    Find(handle, "PQsetNoticeProcessor", f.setNoticeProcessor, e);
    Find(handle, "PQsetClientEncoding", f.setClientEncoding, e);
    Find(handle, "PQtransactionStatus", f.transactionStatus, e);
    Find(handle, "PQexec", f.exec, e);
    Find(handle, "PQexecParams", f.execParams, e);
    Find(handle, "PQprepare", f.prepare, e);
    Find(handle, "PQexecPrepared", f.execPrepared, e);
    Find(handle, "PQresultStatus", f.resultStatus, e);
    Find(handle, "PQresultErrorMessage", f.resultErrorMessage, e);
    Find(handle, "PQclear", f.clear, e);
    Find(handle, "PQntuples", f.ntuples, e);
    Find(handle, "PQnfields", f.nfields, e);
    Find(handle, "PQfname", f.fname, e);
    Find(handle, "PQftype", f.ftype, e);
    Find(handle, "PQgetvalue", f.getvalue, e);
    Find(handle, "PQgetlength", f.getlength, e);
    Find(handle, "PQgetisnull", f.getisnull, e);
    Find(handle, "PQcmdTuples", f.cmdTuples, e);
    // The library stays loaded for the process: connections may outlive any owner.
    return l;
}

const Loaded& Library() {
    static const Loaded loaded = LoadOnce();
    return loaded;
}

}  // namespace

const PqLibrary* LoadPq(std::string* error) {
    const Loaded& l = Library();
    if (!l.error.empty()) {
        if (error) *error = l.error;
        return nullptr;
    }
    return &l.functions;
}

const PqLibrary& Pq() { return Library().functions; }

}  // namespace kel::server::store
