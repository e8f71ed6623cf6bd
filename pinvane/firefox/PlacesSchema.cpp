#include "pinvane/firefox/PlacesSchema.h"

#include "pinvane/firefox/PlacesStatement.h"

bool tableHasColumn(sqlite3* connection, const std::string& table, const std::string& column) {
    // Only fixed table names are ever passed, so they go in unquoted.
    PlacesStatement statement = prepareStatement(connection, "PRAGMA table_info(" + table + ")");
    while (statement.step()) {
        if (statement.columnText(1) == column)
            return true;
    }
    return false;
}

PlacesContext probePlacesSchema(sqlite3* connection, int64_t nowMicros) {
    PlacesContext context;
    context.connection = connection;
    context.nowMicros = nowMicros;
    context.hasOrigins = tableHasColumn(connection, "moz_places", "origin_id") &&
                         tableHasColumn(connection, "moz_origins", "host");
    context.placesHasRecalcFrecency = tableHasColumn(connection, "moz_places", "recalc_frecency");
    context.originsHasRecalcFrecency = tableHasColumn(connection, "moz_origins", "recalc_frecency");
    return context;
}
