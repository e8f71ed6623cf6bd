#pragma once

#include "pinvane/firefox/FirefoxEditor.h"
#include "pinvane/support/RunLog.h"
#include "tests/common/TestUtil.h"
#include "tests/firefox/PlacesFixture.h"

#include <gtest/gtest.h>

#include <windows.h>

// A scratch folder with a places.sqlite and a run log per test.
class EditorTest : public ::testing::Test {
protected:
    static constexpr int64_t toolbarId = 3;
    static constexpr int64_t menuId = 2;

    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const auto scratch =
            testutil::scratchFolderWithLog(L"editor-" + std::wstring(name.begin(), name.end()));
        folder = scratch.folder;
        logPath = scratch.logPath;
    }

    void makePlaces(placesfixture::Schema schema = placesfixture::Schema::Current) {
        path = placesfixture::createPlaces(folder, schema);
    }

    bool run(const std::vector<BookmarkSpec>& bookmarks,
             InsertPosition position = InsertPosition::AfterFolders) {
        return testutil::logReport(L"Firefox(test)",
                                   addFirefoxBookmarks(path, bookmarks, position));
    }

    std::vector<std::string> log() const { return testutil::logLines(logPath); }

    static int64_t nowMicros() {
        FILETIME now{};
        GetSystemTimePreciseAsFileTime(&now);
        const uint64_t ticks =
            (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        return static_cast<int64_t>((ticks - 116444736000000000ull) / 10);
    }

    std::wstring folder;
    std::wstring logPath;
    std::wstring path;
};
