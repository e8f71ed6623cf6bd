#include "Fixtures.h"
#include "Harness.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testutil;

namespace {

// "[Portal]\r\nTitle=社内ポータル\r\nUrl=https://portal.example.com/\r\n" in UTF-16LE.
std::string utf16le(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string utf16be(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c >> 8);
        bytes += static_cast<char>(c & 0xFF);
    }
    return bytes;
}

const std::wstring portalIni =
    L"[Portal]\r\nTitle=社内ポータル\r\nUrl=https://portal.example.com/\r\n";

} // namespace

TEST(PinvaneSettings, AFileThatIsNotUtf8IsRefusedBeforeAnythingIsTouched) {
    const struct {
        const char* name;
        std::string bytes;
        int line;
    } cases[] = {
        // 社内ポータル in Shift-JIS, as Notepad's "ANSI" saves it on a Japanese system.
        {"Shift-JIS",
         "[Portal]\r\nTitle=\x8E\xD0\x93\xE0\x83\x7C\x81\x5B\x83\x5E\x83\x8B\r\n"
         "Url=https://portal.example.com/\r\n",
         2},
        {"UTF-16LE", "\xFF\xFE" + utf16le(portalIni), 1},
        {"UTF-16BE", "\xFE\xFF" + utf16be(portalIni), 1},
        {"UTF-16LE without BOM", utf16le(portalIni), 1},
        {"a bad byte on line 7",
         "; Pinvane\r\n\r\n[Settings]\r\nInsertPosition=top\r\n\r\n[Portal]\r\n"
         "Title=Portal \xFF\r\nUrl=https://portal.example.com/\r\n",
         7},
    };
    PinvaneFolder folder(L"e2e-encodings");
    const std::wstring edge =
        folder.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks);
    const std::wstring places = folder.addFirefoxProfile(L"abc.default-release");
    const std::string placesBefore = readBytes(places);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(folder.path(L"Pinvane.ini"), c.bytes);
        const RunResult result = runPinvane(folder, folder.browserOptions());
        EXPECT_EQ(result.exitCode, 2u);
        EXPECT_TRUE(result.boxTexts.empty());
        EXPECT_EQ(folder.logLines(),
                  std::vector<std::string>{"設定ファイルが UTF-8 ではありません（" +
                                           std::to_string(c.line) +
                                           " 行目）: " + wideToUtf8(folder.path(L"Pinvane.ini"))});
        EXPECT_EQ(readBytes(edge), fixtures::chromiumBookmarks);
        EXPECT_EQ(readBytes(places), placesBefore);
        EXPECT_FALSE(directoryExists(folder.path(L"Backup")));
    }
}

TEST(PinvaneSettings, RefusedUrlsAreLoggedOnceAndTheRestIsAdded) {
    PinvaneFolder folder(L"e2e-refused-urls");
    folder.writeIni("[Portal]\r\nTitle=Portal\r\nUrl=portal.example.com\r\n"
                    "[Manual]\r\nTitle=Manual\r\nUrl=\\\\FileSrv\\Share\\Manual 1.pdf\r\n"
                    "[Empty host]\r\nTitle=Nothing\r\nUrl=https://\r\n"
                    "[Help]\r\nTitle=Help\r\nUrl=https://help.example.com/\r\n");
    const std::wstring chrome =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);

    const RunResult result = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(result.exitCode, 0u);
    const auto lines = folder.logLines();
    const auto count = [&lines](const std::string& line) {
        return std::count(lines.begin(), lines.end(), line);
    };
    EXPECT_EQ(count("設定: [Portal] の Url は絶対 URL ではありません。無視します: "
                    "portal.example.com"),
              1);
    EXPECT_EQ(count("設定: [Empty host] の Url は絶対 URL ではありません。無視します: https://"),
              1);
    EXPECT_EQ(count("設定ファイル: " + wideToUtf8(folder.path(L"Pinvane.ini")) + "（2 件）"), 1);
    EXPECT_EQ(count("Chrome(Default): 追加: Manual -> file://filesrv/Share/Manual%201.pdf"), 1);
    EXPECT_EQ(count("Chrome(Default): 追加: Help -> https://help.example.com/"), 1);
    EXPECT_EQ(lines.back(), "完了");
    const std::string written = readBytes(chrome);
    EXPECT_EQ(written.find("portal.example.com"), std::string::npos);

    // Nothing left once the refused ones are gone: exit code 2 as for an empty file.
    folder.writeIni("[Portal]\r\nTitle=Portal\r\nUrl=intranet/portal\r\n");
    const RunResult nothing = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(nothing.exitCode, 2u);
    EXPECT_EQ(folder.logLines().back(), "追加するブックマークが設定されていません: " +
                                            wideToUtf8(folder.path(L"Pinvane.ini")));
    EXPECT_EQ(readBytes(chrome), written);
}
