#include "BulkBookmarks.h"

#include "Fixtures.h"

#include <cstdio>

std::string chromiumBookmarksWith(int bulk) {
    std::string text = fixtures::chromiumBookmarks;
    const size_t other = text.find("\"other\"");
    const size_t children = text.find('[', other);
    std::string nodes;
    char buffer[512];
    for (int i = 0; i < bulk; ++i) {
        std::snprintf(buffer, sizeof buffer,
                      " {\n\"date_added\": \"13441368092746572\",\n\"date_last_used\": \"0\",\n"
                      "\"guid\": \"%08x-0000-4000-8000-%012x\",\n\"id\": \"%d\",\n"
                      "\"meta_info\": {\n\"power_bookmark_meta\": \"\"\n},\n"
                      "\"name\": \"Bulk %d\",\n\"type\": \"url\",\n"
                      "\"url\": \"https://bulk.example.com/pages/%d/index.html\"\n},",
                      i, i, 1000 + i, i, i);
        nodes += buffer;
    }
    text.insert(children + 1, nodes);
    return text;
}
