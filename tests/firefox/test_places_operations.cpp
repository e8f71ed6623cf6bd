#include "pinvane/firefox/PlacesOperations.h"
#include "tests/common/TestUtil.h"
#include "tests/firefox/PlacesFixture.h"

#include <gtest/gtest.h>

using namespace placesfixture;

namespace {

std::vector<int64_t> ids(const std::vector<BookmarkMatch>& matches) {
    std::vector<int64_t> out;
    for (const BookmarkMatch& match : matches)
        out.push_back(match.id);
    return out;
}

} // namespace

TEST(FindBookmarksByTitles, WhatTheTitleQueryFindsForEachTitleInOneWalk) {
    const std::wstring folder = testutil::scratchFolder(L"places-titles");
    Database db(createPlaces(folder));
    const int64_t place = db.addPlace("https://p.example/", "P");
    db.exec("INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES "
            "(100, 1, " +
            std::to_string(place) +
            ", 2, 9, 'T', 'bookmark0100'), "
            "(50, 1, NULL, 5, 0, 'T', 'bookmark0050'), "
            // Neither a NULL, a blob nor a text with more bytes is the title T.
            "(60, 1, 1, 5, 1, NULL, 'bookmark0060'), (61, 1, 1, 5, 2, X'54', 'bookmark0061'), "
            "(62, 1, 1, 5, 3, 'T' || char(0) || 'x', 'bookmark0062'), "
            "(63, 1, 1, 5, 4, 't', 'bookmark0063'), (64, 1, 1, 5, 5, 'T ', 'bookmark0064')");
    const int64_t later = db.addItem(1, 3, 0, "T", place);
    db.addItem(2, 3, 1, "T");
    db.addItem(3, 3, 2, "T");
    db.addItem(1, 2, 0, "Other", place);

    const PlacesContext context = probePlacesSchema(db.get(), 0);
    const TitleMatches matches =
        findBookmarksByTitles(context, {{"T", "https://1/"},
                                        {"Missing", "https://2/"},
                                        {"T", "https://3/"},
                                        {std::string("T\0x", 3), "https://4/"}});
    ASSERT_EQ(matches.size(), 3u);
    // Bookmarks only, in id order, each with its place.
    EXPECT_EQ(ids(matches.at("T")), (std::vector<int64_t>{50, 100, later}));
    EXPECT_EQ(matches.at("T")[0].fk, 0);
    EXPECT_EQ(matches.at("T")[1].fk, place);
    EXPECT_TRUE(matches.at("Missing").empty());
    EXPECT_EQ(ids(matches.at(std::string("T\0x", 3))), (std::vector<int64_t>{62}));

    EXPECT_TRUE(findBookmarksByTitles(context, {}).empty());
}
