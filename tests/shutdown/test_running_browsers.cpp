#include "tests/shutdown/ShutdownFixture.h"

#include "pinvane/shutdown/ConfirmShutdown.h"

using RunningBrowsers = ShutdownTest;

TEST_F(RunningBrowsers, LookupByImageNameIgnoresAsciiCase) {
    const StandIn chromeA = start(L"chrome.exe", L"close");
    const StandIn chromeB = start(L"chrome.exe", L"hidden");
    const StandIn fox = start(L"firefox.exe", L"close");

    const ProcessIdList ids = findProcessIdsByImageName(L"chrome.exe");
    EXPECT_EQ(ids.size(), 2u);
    EXPECT_NE(std::find(ids.begin(), ids.end(), chromeA.id), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), chromeB.id), ids.end());
    EXPECT_EQ(findProcessIdsByImageName(L"CHROME.EXE"), ids);
    EXPECT_EQ(findProcessIdsByImageName(L"Firefox.Exe"), ProcessIdList{fox.id});
    EXPECT_TRUE(findProcessIdsByImageName(L"chrome").empty());
    EXPECT_TRUE(findProcessIdsByImageName(L"chrome.exe ").empty());
    EXPECT_TRUE(findProcessIdsByImageName(L"msedge.exe").empty());

    EXPECT_EQ(listRunningBrowsers(), (BrowserList{chrome(), firefox()}));
    endNow(chromeA);
    endNow(chromeB);
    EXPECT_EQ(listRunningBrowsers(), BrowserList{firefox()});
}

TEST(BrowserListText, LineBreakTwoSpacesAndMiddleDotBeforeEachName) {
    EXPECT_EQ(formatBrowserList({}), L"");
    EXPECT_EQ(formatBrowserList({&BrowserTable[0], &BrowserTable[1]}),
              L"\r\n  ・Edge\r\n  ・Chrome");
}

TEST(BoxTexts, BothLanguages) {
    const BrowserList list{&BrowserTable[0], &BrowserTable[2]};
    EXPECT_EQ(confirmationText(list, true),
              L"ブックマークを追加するため、次のブラウザを終了します。\r\n  ・Edge\r\n  ・Firefox"
              L"\r\n\r\n開いているウィンドウは閉じられます。よろしければ「OK」を押してください。");
    EXPECT_EQ(confirmationText(list, false),
              L"The following browsers must be closed to add the bookmarks.\r\n  ・Edge\r\n  ・"
              L"Firefox\r\n\r\nOpen windows will be closed. Click OK to continue.");
    EXPECT_EQ(couldNotCloseText(list, true),
              L"次のブラウザを終了できませんでした。\r\n  ・Edge\r\n  ・Firefox"
              L"\r\n\r\n手動で終了してから、もう一度実行してください。");
    EXPECT_EQ(couldNotCloseText(list, false),
              L"Could not close the following browsers.\r\n  ・Edge\r\n  ・Firefox"
              L"\r\n\r\nPlease close them manually and run again.");
}
