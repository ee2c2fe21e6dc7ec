#pragma once
// Owning wrappers over sqlite3* and sqlite3_stmt*.  They report SQLite's
// result codes and never throw.

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace korvane {

class Database {
public:
    Database() = default;
    explicit Database(sqlite3* db) : db_(db) {}
    ~Database();
    Database(Database&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* get() const { return db_; }
    // Runs one or more statements without results; the SQLite result code.
    int exec(const char* sql) const;
    // SQLite's text for the last error on this connection.
    std::string errorText() const;

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement() = default;
    // Prepares `sql`; rc() holds the result code.
    Statement(const Database& db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept : stmt_(other.stmt_), rc_(other.rc_) {
        other.stmt_ = nullptr;
    }
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int rc() const { return rc_; }
    bool ready() const { return stmt_ != nullptr; }

    // Parameters count from 1, as in SQLite.
    void bind(int index, std::int64_t value);
    void bind(int index, int value) { bind(index, static_cast<std::int64_t>(value)); }
    void bind(int index, double value);
    void bind(int index, std::string_view text);
    void bindBlob(int index, std::string_view bytes);
    void bindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Ready to run again; bindings are kept.
    void reset();

    bool isNull(int column) const;
    std::int64_t int64At(int column) const;
    double doubleAt(int column) const;
    std::string textAt(int column) const;
    // The bytes of a BLOB (or text) column; valid until the next step or reset.
    std::string_view bytesAt(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = 0;
};

// Resets a statement when it leaves scope, so an early return never leaves
// a read open that would hold back checkpoints.
class ResetOnExit {
public:
    explicit ResetOnExit(Statement& s) : s_(s) {}
    ~ResetOnExit() { s_.reset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    Statement& s_;
};

} // namespace korvane
