#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

// The editing context of one database inside its write transaction.
struct PlacesContext {
    sqlite3* connection = nullptr; // borrowed
    int64_t nowMicros = 0;         // the one timestamp of the edit
    bool hasOrigins = false;       // moz_places.origin_id and moz_origins.host
    bool placesHasRecalcFrecency = false;
    bool originsHasRecalcFrecency = false;
};

// Case-sensitive; a missing table has no columns.
bool tableHasColumn(sqlite3* connection, const std::string& table, const std::string& column);
PlacesContext probePlacesSchema(sqlite3* connection, int64_t nowMicros);
