#include "sqlite_handle.h"

#include <sqlite3.h>

namespace korvane {

Database::~Database() {
    // close_v2 defers the close until any statement still alive is
    // finalized, so destruction order never leaks the connection.
    sqlite3_close_v2(db_);
}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(db_);
        db_ = other.db_;
        other.db_ = nullptr;
    }
    return *this;
}

int Database::exec(const char* sql) const {
    return db_ ? sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) : SQLITE_MISUSE;
}

std::string Database::errorText() const {
    return db_ ? sqlite3_errmsg(db_) : "no database";
}

Statement::Statement(const Database& db, std::string_view sql) {
    rc_ = db.get() ? sqlite3_prepare_v3(db.get(), sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr)
                   : SQLITE_MISUSE;
    if (rc_ != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        stmt_ = other.stmt_;
        rc_ = other.rc_;
        other.stmt_ = nullptr;
    }
    return *this;
}

void Statement::bind(int index, std::int64_t value) {
    if (stmt_)
        sqlite3_bind_int64(stmt_, index, value);
}

void Statement::bind(int index, double value) {
    if (stmt_)
        sqlite3_bind_double(stmt_, index, value);
}

void Statement::bind(int index, std::string_view text) {
    if (stmt_)
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
}

void Statement::bindBlob(int index, std::string_view bytes) {
    if (stmt_)
        sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
}

void Statement::bindNull(int index) {
    if (stmt_)
        sqlite3_bind_null(stmt_, index);
}

int Statement::step() {
    return stmt_ ? sqlite3_step(stmt_) : rc_;
}

void Statement::reset() {
    sqlite3_reset(stmt_);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t Statement::int64At(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double Statement::doubleAt(int column) const {
    return sqlite3_column_double(stmt_, column);
}

std::string Statement::textAt(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
}

} // namespace korvane

namespace korvane {

std::string_view Statement::bytesAt(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int n = sqlite3_column_bytes(stmt_, column);
    return data ? std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(n))
                : std::string_view();
}

} // namespace korvane
