#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

// One prepared statement. It is finalized exactly once, when the object goes
// away, also while an exception passes. Every SQLite failure raises a
// std::runtime_error whose UTF-8 message begins with "SQL エラー: ".
class PlacesStatement {
public:
    PlacesStatement(sqlite3* connection, sqlite3_stmt* statement)
        : connection(connection), statement(statement) {}
    ~PlacesStatement() { sqlite3_finalize(statement); }
    PlacesStatement(const PlacesStatement&) = delete;
    PlacesStatement& operator=(const PlacesStatement&) = delete;

    void bindInt64(int parameter, int64_t value);
    void bindText(int parameter, const std::string& text);
    // True for a row, false when done.
    bool step();
    int64_t columnInt64(int column) const;
    // NULL reads as empty.
    std::string columnText(int column) const;
    // All the bytes, also past a zero byte, until the next step; NULL reads as empty.
    std::string_view columnBytes(int column) const;

private:
    sqlite3* connection;
    sqlite3_stmt* statement;
};

PlacesStatement prepareStatement(sqlite3* connection, const std::string& sql);
void execOrRaise(sqlite3* connection, const std::string& sql);
// Raises the SQL error with the given SQLite message.
[[noreturn]] void raiseSqlError(const std::string& message);
