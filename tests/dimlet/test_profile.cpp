#include "dimlet/framework/WinApp.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t testKey[] = L"Dimlet Profile Tests";
constexpr wchar_t keyPath[] = L"Software\\Dimlet Profile Tests\\test_dimlet\\Settings";

class RegistryProfile : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Dimlet Profile Tests"); }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Dimlet Profile Tests");
    }
};

bool readDword(const wchar_t* value, DWORD& data) {
    DWORD size = sizeof(data);
    return RegGetValueW(HKEY_CURRENT_USER, keyPath, value, RRF_RT_REG_DWORD, nullptr, &data,
                        &size) == ERROR_SUCCESS;
}

} // namespace

TEST(ApplicationName, ComesFromTheExecutableUnlessGiven) {
    CWinApp unnamed;
    EXPECT_EQ(unnamed.appName(), L"test_dimlet");
    CWinApp named(L"Other");
    EXPECT_EQ(named.appName(), L"Other");
    EXPECT_EQ(CWinApp::current(), &named);
}

TEST_F(RegistryProfile, WritesUnderKeyApplicationAndSection) {
    CWinApp app;
    app.setRegistryKey(testKey);
    EXPECT_EQ(app.getProfileInt(L"Settings", L"Language", 42), 42u);
    EXPECT_EQ(app.getProfileInt(L"Settings", L"Language", -1), 0xFFFFFFFFu);

    ASSERT_TRUE(app.writeProfileInt(L"Settings", L"Language", 1));
    DWORD stored = 0;
    ASSERT_TRUE(readDword(L"Language", stored));
    EXPECT_EQ(stored, 1u);
    EXPECT_EQ(app.getProfileInt(L"Settings", L"Language", -1), 1u);

    ASSERT_TRUE(app.writeProfileInt(L"Settings", L"Language", -1));
    ASSERT_TRUE(readDword(L"Language", stored));
    EXPECT_EQ(stored, 0xFFFFFFFFu);
    EXPECT_EQ(app.getProfileInt(L"Other", L"Language", 5), 5u);
}

TEST_F(RegistryProfile, ValueOfAnotherTypeReadsAsTheDefault) {
    CWinApp app;
    app.setRegistryKey(testKey);
    ASSERT_TRUE(app.writeProfileInt(L"Settings", L"Language", 0));
    const wchar_t text[] = L"1";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, L"Language", REG_SZ, text, sizeof(text)),
              ERROR_SUCCESS);
    EXPECT_EQ(app.getProfileInt(L"Settings", L"Language", -1), 0xFFFFFFFFu);
    const BYTE wide[8] = {1};
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, L"Language", REG_QWORD, wide, sizeof(wide)),
        ERROR_SUCCESS);
    EXPECT_EQ(app.getProfileInt(L"Settings", L"Language", -1), 0xFFFFFFFFu);
}

TEST_F(RegistryProfile, WithoutAKeyNothingIsStored) {
    CWinApp app;
    EXPECT_FALSE(app.writeProfileInt(L"Settings", L"Language", 1));
    EXPECT_EQ(app.getProfileInt(L"Settings", L"Language", 3), 3u);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\test_dimlet", 0, KEY_READ, &key),
              ERROR_SUCCESS);
}
