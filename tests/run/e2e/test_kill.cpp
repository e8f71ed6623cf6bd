#include "Fixtures.h"
#include "Harness.h"
#include "pinvane/json/JsonParser.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

using namespace testutil;

namespace {

constexpr int bookmarkCount = 25;

std::string manyBookmarksIni() {
    std::string ini = "[Settings]\r\nInsertPosition=bottom\r\n";
    for (int i = 0; i < bookmarkCount; ++i)
        ini += "[B" + std::to_string(i) + "]\r\nTitle=Kill test " + std::to_string(i) +
               "\r\nUrl=https://kill.example.com/" + std::to_string(i) + "\r\n";
    return ini;
}

// Either the original bytes, or a complete new version that parses and holds every bookmark.
void expectOriginalOrComplete(const std::wstring& file, int delay) {
    const std::string text = readBytes(file);
    if (text == fixtures::chromiumBookmarks)
        return;
    JsonDocument document;
    std::string error;
    ASSERT_TRUE(JsonParser(text).parse(document, error))
        << narrow(file) << " after a kill at " << delay << " ms: " << error;
    for (int i = 0; i < bookmarkCount; ++i)
        ASSERT_NE(text.find("\"Kill test " + std::to_string(i) + "\""), std::string::npos)
            << narrow(file) << " after a kill at " << delay << " ms lacks bookmark " << i;
}

void expectNoneOrAll(const std::wstring& database, int delay) {
    const auto check = queryRows(database, "PRAGMA integrity_check", 1);
    ASSERT_EQ(check.size(), 1u);
    ASSERT_EQ(check[0][0], "ok") << narrow(database) << " after a kill at " << delay << " ms";
    const auto count =
        queryRows(database, "SELECT COUNT(*) FROM moz_bookmarks WHERE title LIKE 'Kill test %'", 1);
    const int added = std::stoi(count[0][0]);
    ASSERT_TRUE(added == 0 || added == bookmarkCount)
        << added << " of the run's bookmarks in " << narrow(database) << " after a kill at "
        << delay << " ms";
    const auto orphans = queryRows(database,
                                   "SELECT COUNT(*) FROM moz_places p WHERE foreign_count <> "
                                   "(SELECT COUNT(*) FROM moz_bookmarks b WHERE b.fk = p.id)",
                                   1);
    ASSERT_EQ(orphans[0][0], "0") << "foreign_count out of step after a kill at " << delay;
}

} // namespace

// Kills Pinvane at ever later moments of a run over several profiles: no moment
// may leave a damaged or half-edited bookmark store behind.
TEST(PinvaneKill, NoMomentLosesOrDamagesData) {
    PinvaneFolder folder(L"e2e-kill");
    folder.writeIni(manyBookmarksIni());
    bool finished = false;
    int kills = 0;
    for (int delay = 0; delay <= 3000 && !finished; delay += 12) {
        const std::vector<std::wstring> chromium = {
            folder.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks),
            folder.addChromiumProfile(L"Edge", L"Profile 1", fixtures::chromiumBookmarks),
            folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks),
        };
        const std::vector<std::wstring> databases = {folder.addFirefoxProfile(L"one"),
                                                     folder.addFirefoxProfile(L"two")};

        std::vector<std::wstring> arguments = folder.browserOptions();
        arguments.push_back(L"--no-process-check");
        arguments.push_back(L"--no-dialog");
        HANDLE process = startPinvane(folder, arguments);
        if (WaitForSingleObject(process, delay) == WAIT_TIMEOUT) {
            TerminateProcess(process, 77);
            ++kills;
        } else {
            finished = true;
        }
        WaitForSingleObject(process, 10000);
        CloseHandle(process);

        for (const std::wstring& file : chromium)
            expectOriginalOrComplete(file, delay);
        for (const std::wstring& database : databases)
            expectNoneOrAll(database, delay);
        if (HasFatalFailure())
            return;
    }
    EXPECT_TRUE(finished) << "the run never finished on its own";
    EXPECT_GT(kills, 5) << "too few kills to say anything";
    std::printf("killed %d runs at different moments\n", kills);
}
