#include "dimlet/Language.h"
#include "dimlet/framework/WinApp.h"
#include "tests/common/TestUtil.h"
#include "tests/dimlet/DimletTest.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr wchar_t vendorKey[] = L"Software\\Velkor Software";
constexpr wchar_t appKey[] = L"Software\\Velkor Software\\test_dimlet";
constexpr wchar_t settingsKey[] = L"Software\\Velkor Software\\test_dimlet\\Settings";

LANGID uiLanguage = 0x0409;
LANGID injectedUiLanguage() {
    return uiLanguage;
}

bool keyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The application's own profile under the real vendor key; removed again afterwards.
class LanguageTest : public testing::Test {
protected:
    void SetUp() override {
        vendorKeyWasThere = keyExists(vendorKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, appKey);
        app.setRegistryKey(L"Velkor Software");
        setUiLanguageSource(injectedUiLanguage);
    }
    void TearDown() override {
        setUiLanguageSource(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, appKey);
        if (!vendorKeyWasThere)
            RegDeleteKeyW(HKEY_CURRENT_USER, vendorKey);
    }

    void storeLanguage(std::optional<DWORD> value) {
        RegDeleteTreeW(HKEY_CURRENT_USER, appKey);
        if (value) {
            ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, settingsKey, L"Language", REG_DWORD,
                                      &*value, sizeof(DWORD)),
                      ERROR_SUCCESS);
        }
    }

    CWinApp app;
    bool vendorKeyWasThere = false;
};

const wchar_t* name(UiLanguage language) {
    return language == UiLanguage::Japanese ? L"Japanese" : L"English";
}

} // namespace

TEST_F(LanguageTest, RegistryChoiceElseTheWindowsUiLanguage) {
    const std::optional<DWORD> stored[] = {0u, 1u, 2u, 0xFFFFFFFFu, std::nullopt};
    const LANGID windows[] = {0x0411, 0x0409, 0x0407, 0x0804};
    for (const std::optional<DWORD>& value : stored) {
        for (LANGID ui : windows) {
            SCOPED_TRACE(testing::Message()
                         << "Language=" << (value ? int(*value) : -99) << " ui=" << std::hex << ui);
            storeLanguage(value);
            uiLanguage = ui;
            loadLanguageSetting(app);
            UiLanguage expected = ui == 0x0411 ? UiLanguage::Japanese : UiLanguage::English;
            if (value == 0u)
                expected = UiLanguage::Japanese;
            else if (value == 1u)
                expected = UiLanguage::English;
            EXPECT_STREQ(name(currentLanguage()), name(expected));
            // Settling from the UI language writes nothing.
            if (!value) {
                EXPECT_FALSE(keyExists(settingsKey));
            }
        }
    }
}

TEST_F(LanguageTest, UiLanguageIsAskedOnceAndThenKept) {
    storeLanguage(std::nullopt);
    uiLanguage = 0x0411;
    loadLanguageSetting(app);
    EXPECT_EQ(currentLanguage(), UiLanguage::Japanese);
    uiLanguage = 0x0409;
    EXPECT_EQ(currentLanguage(), UiLanguage::Japanese);
}

TEST_F(LanguageTest, SetLanguageTakesEffectAndIsRemembered) {
    storeLanguage(std::nullopt);
    uiLanguage = 0x0411;
    loadLanguageSetting(app);
    setLanguage(UiLanguage::English);
    EXPECT_EQ(currentLanguage(), UiLanguage::English);
    DWORD stored = 99;
    DWORD size = sizeof(stored);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, settingsKey, L"Language", RRF_RT_REG_DWORD, nullptr,
                           &stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(stored, 1u);

    setLanguage(UiLanguage::Japanese);
    size = sizeof(stored);
    RegGetValueW(HKEY_CURRENT_USER, settingsKey, L"Language", RRF_RT_REG_DWORD, nullptr, &stored,
                 &size);
    EXPECT_EQ(stored, 0u);
    // A fresh start reads the choice back.
    uiLanguage = 0x0409;
    loadLanguageSetting(app);
    EXPECT_EQ(currentLanguage(), UiLanguage::Japanese);
}

namespace {

struct Texts {
    UINT id;
    const wchar_t* english;
    const wchar_t* japanese;
};

const Texts stringTable[] = {
    {200, L"Turn Dimlet &Now", L"今すぐ画面をオフ(&N)"},
    {201, L"Check for &Updates", L"アップデートの確認(&U)"},
    {202, L"&About...", L"バージョン情報(&A)..."},
    {203, L"E&xit", L"終了(&X)"},
    {204, L"&Language", L"言語(&L)"},
    {205, L"日本語(&J)", L"日本語(&J)"},
    {206, L"English(&E)", L"English(&E)"},
    {207, L"About %s", L"%s のバージョン情報"},
    {208, L"Version %s", L"バージョン %s"},
    {209, L"Velkor", L"Velkor"},
    {210, L"Failed to change the power setting.", L"電源設定を変更できませんでした。"},
    {211, L"The update location is not configured.", L"アップデートの確認先が設定されていません。"},
    {212, L"Never", L"なし"},
    {213, L"%u hour(s)", L"%u 時間"},
    {214, L"%u min", L"%u 分"},
    {215, L"&Change Setting", L"設定変更(&C)"},
};

} // namespace

TEST_F(LanguageTest, EveryDimletStringInBothLanguages) {
    dimlettest::DimletResources resources;
    ASSERT_NE(resources.module(), nullptr);
    setLanguage(UiLanguage::English);
    for (const Texts& t : stringTable)
        EXPECT_EQ(loadLocalizedString(t.id), t.english) << t.id;
    // Switching needs no restart: the next lookup follows.
    setLanguage(UiLanguage::Japanese);
    for (const Texts& t : stringTable)
        EXPECT_EQ(loadLocalizedString(t.id), t.japanese) << t.id;
    EXPECT_EQ(loadLocalizedString(199), L"");
    EXPECT_EQ(loadLocalizedString(216), L"");
}

TEST_F(LanguageTest, JapaneseFillsInForEnglishButNotTheOtherWay) {
    setResourceHandle(nullptr); // the test executable's own block 20
    struct Case {
        UiLanguage language;
        UINT id;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {UiLanguage::English, 310, L"Both"},
        {UiLanguage::Japanese, 310, L"両方"},
        {UiLanguage::English, 311, L"日本語のみ"},
        {UiLanguage::Japanese, 311, L"日本語のみ"},
        {UiLanguage::English, 312, L"English only"},
        {UiLanguage::Japanese, 312, L""},
        {UiLanguage::English, 319, L""},  // in the block, in neither language
        {UiLanguage::English, 5000, L""}, // no such block
        {UiLanguage::Japanese, 65535, L""},
    };
    for (const Case& c : cases) {
        setLanguage(c.language);
        EXPECT_EQ(loadLocalizedString(c.id), c.expected)
            << c.id << " in " << testutil::narrow(name(c.language));
    }
}
