// Another process writing a SQLite file: runs each SQL argument in turn through the
// sqlite3 C API, waiting for locks, and exits 0 when all succeeded.
//
//   sqlite_commit FILE SQL...
#include <sqlite3.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sqlite_commit FILE SQL...\n");
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite_commit: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    sqlite3_busy_timeout(db, 10000);
    int status = 0;
    for (int i = 2; i < argc && status == 0; ++i) {
        char* error = nullptr;
        if (sqlite3_exec(db, argv[i], nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "sqlite_commit: %s: %s\n", argv[i], error ? error : "failed");
            status = 1;
        }
        sqlite3_free(error);
    }
    sqlite3_close(db);
    return status;
}
