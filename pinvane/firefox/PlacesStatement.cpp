#include "pinvane/firefox/PlacesStatement.h"

#include <stdexcept>

void raiseSqlError(const std::string& message) {
    throw std::runtime_error("SQL エラー: " + message);
}

PlacesStatement prepareStatement(sqlite3* connection, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        // A failed prepare leaves no statement behind.
        raiseSqlError(sqlite3_errmsg(connection));
    }
    return PlacesStatement(connection, statement);
}

void execOrRaise(sqlite3* connection, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK)
        return;
    const std::string message = error ? error : "";
    sqlite3_free(error);
    raiseSqlError(message);
}

void PlacesStatement::bindInt64(int parameter, int64_t value) {
    sqlite3_bind_int64(statement, parameter, value);
}

void PlacesStatement::bindText(int parameter, const std::string& text) {
    sqlite3_bind_text(statement, parameter, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

bool PlacesStatement::step() {
    const int result = sqlite3_step(statement);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    raiseSqlError(sqlite3_errmsg(connection));
}

int64_t PlacesStatement::columnInt64(int column) const {
    return sqlite3_column_int64(statement, column);
}

std::string PlacesStatement::columnText(int column) const {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

std::string_view PlacesStatement::columnBytes(int column) const {
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (!text)
        return {};
    return {reinterpret_cast<const char*>(text),
            static_cast<size_t>(sqlite3_column_bytes(statement, column))};
}
