#pragma once
// Reading korvane.db the way any other program would: a separate SQLite
// connection, every value as the text SQLite gives it ("" for NULL).

#include <sqlite3.h>
#include <string>
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

} // namespace korvane::test
