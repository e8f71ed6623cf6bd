// The About box in this process (whose executable has no version resource), and the version
// reading on Dimlet.exe and on damaged copies of it.

#include "dimlet/AboutDlg.h"
#include "dimlet/Language.h"
#include "dimlet/VersionInfo.h"
#include "dimlet/framework/WinApp.h"
#include "dimlet/resource.h"
#include "tests/common/TestUtil.h"
#include "tests/dimlet/DimletTest.h"

#include <gtest/gtest.h>

#include <map>

using dimlettest::dimletExePath;

namespace {

struct Seen {
    std::map<int, std::wstring> texts;
    std::wstring caption;
    LOGFONTW dialogFont{};
    LOGFONTW titleFont{};
    LOGFONTW linkFont{};
    int dpi = 0;
    COLORREF linkColour = 0;
    COLORREF makerColour = 0;
    bool handOverLink = false;
    bool handOverMaker = false;
    HGDIOBJ fonts[2] = {};
};

LOGFONTW fontOf(HWND window) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    return font;
}

// Looks at the box once it is initialised, then closes it.
class CAboutProbe : public CAboutDlg {
public:
    explicit CAboutProbe(Seen& seen) : seen(seen) {}

protected:
    bool onInitDialog() override {
        const bool result = CAboutDlg::onInitDialog();
        const HWND dialog = handle();
        seen.caption = textOf(dialog);
        for (int id : {IDC_PRODUCT, IDC_VERSION, IDC_COPYRIGHT, IDC_MAKER, IDC_LINK, IDOK})
            seen.texts[id] = textOf(GetDlgItem(dialog, id));
        seen.dialogFont = fontOf(dialog);
        seen.titleFont = fontOf(GetDlgItem(dialog, IDC_PRODUCT));
        seen.linkFont = fontOf(GetDlgItem(dialog, IDC_LINK));
        seen.fonts[0] = reinterpret_cast<HGDIOBJ>(
            SendMessageW(GetDlgItem(dialog, IDC_PRODUCT), WM_GETFONT, 0, 0));
        seen.fonts[1] =
            reinterpret_cast<HGDIOBJ>(SendMessageW(GetDlgItem(dialog, IDC_LINK), WM_GETFONT, 0, 0));
        seen.dpi = static_cast<int>(GetDpiForWindow(dialog));

        const HDC dc = CreateCompatibleDC(nullptr);
        for (auto [id, colour] :
             {std::pair{IDC_LINK, &seen.linkColour}, std::pair{IDC_MAKER, &seen.makerColour}}) {
            SetTextColor(dc, RGB(1, 2, 3));
            SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
            *colour = GetTextColor(dc);
        }
        DeleteDC(dc);

        const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
        for (auto [id, over] :
             {std::pair{IDC_LINK, &seen.handOverLink}, std::pair{IDC_MAKER, &seen.handOverMaker}}) {
            SetCursor(nullptr);
            SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            *over = GetCursor() == hand;
        }
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return result;
    }

private:
    static std::wstring textOf(HWND window) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        return text;
    }
    Seen& seen;
};

} // namespace

TEST(AboutBox, ShowsTheProductMakerAndLinkWithItsFontsAndCursor) {
    dimlettest::DimletResources resources;
    ASSERT_NE(resources.module(), nullptr);
    for (UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
        SCOPED_TRACE(static_cast<int>(language));
        setLanguage(language);
        Seen seen;
        {
            CAboutProbe about(seen);
            EXPECT_EQ(about.doModal(), IDOK);
        }
        EXPECT_EQ(seen.caption,
                  language == UiLanguage::English ? L"About Dimlet" : L"Dimlet のバージョン情報");
        EXPECT_EQ(seen.texts[IDC_PRODUCT], L"Dimlet");
        // This test executable has no version resource: both lines stay empty.
        EXPECT_EQ(seen.texts[IDC_VERSION], L"");
        EXPECT_EQ(seen.texts[IDC_COPYRIGHT], L"");
        EXPECT_EQ(seen.texts[IDC_MAKER], L"Velkor");
        EXPECT_EQ(seen.texts[IDC_LINK], makerWebPage);
        EXPECT_EQ(seen.texts[IDOK], L"OK");

        ASSERT_GT(seen.dpi, 0);
        EXPECT_EQ(seen.titleFont.lfHeight, -MulDiv(16, seen.dpi, 72));
        EXPECT_FALSE(seen.titleFont.lfUnderline);
        EXPECT_STREQ(seen.titleFont.lfFaceName, seen.dialogFont.lfFaceName);
        EXPECT_TRUE(seen.linkFont.lfUnderline);
        EXPECT_EQ(seen.linkFont.lfHeight, seen.dialogFont.lfHeight);
        EXPECT_FALSE(seen.dialogFont.lfUnderline);

        EXPECT_EQ(seen.linkColour, RGB(0, 0, 255));
        EXPECT_NE(seen.makerColour, RGB(0, 0, 255));
        EXPECT_TRUE(seen.handOverLink);
        EXPECT_FALSE(seen.handOverMaker);

        // Released with the dialog.
        for (HGDIOBJ font : seen.fonts)
            EXPECT_EQ(GetObjectType(font), 0u);
    }
}

TEST(VersionResource, GivesTheFileVersionAndLegalNotice) {
    EXPECT_EQ(fileVersionText(dimletExePath()), L"1.0.0.0");
    EXPECT_EQ(legalCopyright(dimletExePath()), L"Copyright (C) 2026 Velkor Software");
    EXPECT_EQ(fileVersionText(testutil::exeFolder() + L"\\missing.exe"), L"");
    EXPECT_EQ(legalCopyright(testutil::exeFolder() + L"\\missing.exe"), L"");
    wchar_t self[MAX_PATH] = {}; // this test has no version resource
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(fileVersionText(self), L"");
    EXPECT_EQ(legalCopyright(self), L"");
}

TEST(VersionResource, MissingOrDamagedGivesEmptyTexts) {
    const WORD versionLanguage = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT); // as in Dimlet.rc
    const std::wstring folder = testutil::scratchFolder(L"dimlet-version");
    const std::string original = dimlettest::resourceBytes(
        dimlettest::DimletResources().module(), RT_VERSION, MAKEINTRESOURCEW(1), versionLanguage);
    ASSERT_GT(original.size(), 100u);

    std::string wrongSignature = original;
    const size_t fixed = wrongSignature.find("\xBD\x04\xEF\xFE");
    ASSERT_NE(fixed, std::string::npos);
    wrongSignature[fixed] = 0;
    std::string noTranslation = original;
    const size_t translation = noTranslation.find("T\0r\0a\0n\0s", 0, 10);
    ASSERT_NE(translation, std::string::npos);
    noTranslation[translation] = 'X';

    struct Case {
        const char* what;
        std::string bytes;
        bool versionKept;
        bool noticeKept;
    };
    const Case cases[] = {
        {"truncated", original.substr(0, 40), false, false},
        {"wrong signature", wrongSignature, false, true},
        {"no translation", noTranslation, true, false},
        {"garbage", std::string(300, '\x5A'), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring copy = folder + L"\\Dimlet.exe";
        ASSERT_TRUE(CopyFileW(dimletExePath().c_str(), copy.c_str(), FALSE));
        const HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
        ASSERT_NE(update, nullptr);
        ASSERT_TRUE(UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), versionLanguage,
                                    const_cast<char*>(c.bytes.data()),
                                    static_cast<DWORD>(c.bytes.size())));
        ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
        EXPECT_EQ(fileVersionText(copy), c.versionKept ? L"1.0.0.0" : L"");
        EXPECT_EQ(legalCopyright(copy), c.noticeKept ? legalCopyright(dimletExePath()) : L"");
    }
}
