#pragma once
// Reading korvane.db the way any other program would: a separate SQLite
// connection, every value as the text SQLite gives it ("" for NULL).  And
// the faults the store must live through: a damaged page, a full disk.

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace korvane::test {

using Rows = std::vector<std::vector<std::string>>;

inline Rows queryRows(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    Rows rows;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK) {
            while (sqlite3_step(s) == SQLITE_ROW) {
                std::vector<std::string> row;
                for (int c = 0; c < sqlite3_column_count(s); ++c) {
                    const auto* t = sqlite3_column_text(s, c);
                    row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
                }
                rows.push_back(std::move(row));
            }
        } else {
            rows.push_back({std::string("error: ") + sqlite3_errmsg(db)});
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return rows;
}

inline std::string queryOne(const std::string& path, const std::string& sql) {
    const Rows rows = queryRows(path, sql);
    return rows.empty() || rows[0].empty() ? "<none>" : rows[0][0];
}

inline std::vector<std::string> columnNames(const std::string& path, const std::string& table) {
    std::vector<std::string> names;
    for (const auto& row : queryRows(path, "SELECT name FROM pragma_table_info('" + table + "')"))
        names.push_back(row[0]);
    return names;
}

// Overwrites the root page of `table` in place (the file keeps its inode),
// after moving every page out of the WAL: quick_check then fails while the
// other tables read and write as before.  False when it could not.
inline bool damageTable(const std::string& path, const std::string& table) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const long page = std::stol(queryOne(path, "PRAGMA page_size"));
    const long root = std::stol(
        queryOne(path, "SELECT rootpage FROM sqlite_master WHERE name = '" + table + "'"));
    const std::string garbage(static_cast<std::size_t>(page), static_cast<char>(0xa5));
    const int fd = ::open(path.c_str(), O_WRONLY);
    const bool written =
        fd >= 0 && ::pwrite(fd, garbage.data(), garbage.size(), (root - 1) * page) == page;
    if (fd >= 0)
        ::close(fd);
    return written;
}

// Runs `body` in a child process and returns what it returned (-1 when the
// child died of a signal), for faults a test must not bring on itself.
inline int runInChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// In a child: from now on no file grows past `bytes`, so a write that would
// fails as on a full disk (EFBIG, with SIGXFSZ ignored), while a small new
// file still fits.
inline void limitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

} // namespace korvane::test
