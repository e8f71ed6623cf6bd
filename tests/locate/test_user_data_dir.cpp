#include "pinvane/locate/UserDataDir.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace testutil;

namespace {

// Policies live under a test vendor so real browser policies are never touched.
const std::wstring vendor = L"PinvaneTest\\Browser";
const std::wstring keyPath = L"SOFTWARE\\Policies\\" + vendor;

void setPolicy(HKEY hive, DWORD type, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(hive, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(key, L"UserDataDir", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void setDwordPolicy(HKEY hive, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(hive, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(key, L"UserDataDir", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
    RegCloseKey(key);
}

class PolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        clean();
        logPath = scratchFolderWithLog(L"policy").logPath;
    }
    void TearDown() override { clean(); }
    static void clean() {
        for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            RegDeleteTreeW(hive, L"SOFTWARE\\Policies\\PinvaneTest");
    }
    std::string logText() const { return readBytes(logPath).substr(3); }
    std::wstring logPath;
};

} // namespace

TEST_F(PolicyTest, HklmWinsOverHkcuAndIsLogged) {
    setPolicy(HKEY_LOCAL_MACHINE, REG_SZ, L"D:\\machine");
    setPolicy(HKEY_CURRENT_USER, REG_SZ, L"D:\\user");
    EXPECT_EQ(resolveUserDataDir(vendor, L"C:\\default"), L"D:\\machine");
    EXPECT_EQ(logText(),
              wideToUtf8(L"PinvaneTest\\Browser: ポリシー(HKLM)の UserDataDir を使います: "
                         L"D:\\machine\r\n"));
}

TEST_F(PolicyTest, EmptyHklmFallsThroughToHkcu) {
    setPolicy(HKEY_LOCAL_MACHINE, REG_SZ, L"");
    setPolicy(HKEY_CURRENT_USER, REG_EXPAND_SZ, L"D:\\user");
    EXPECT_EQ(resolveUserDataDir(vendor, L"C:\\default"), L"D:\\user");
    EXPECT_EQ(logText(),
              wideToUtf8(L"PinvaneTest\\Browser: ポリシー(HKCU)の UserDataDir を使います: "
                         L"D:\\user\r\n"));
}

TEST_F(PolicyTest, DwordAndMissingMeanNoPolicy) {
    EXPECT_EQ(resolveUserDataDir(vendor, L"%SystemRoot%\\x"), L"%SystemRoot%\\x");
    setDwordPolicy(HKEY_LOCAL_MACHINE, 7);
    std::wstring value = L"untouched";
    EXPECT_FALSE(readUserDataDirPolicy(HKEY_LOCAL_MACHINE, keyPath, value));
    EXPECT_EQ(value, L"untouched");
    // The default comes back unexpanded and nothing is logged.
    EXPECT_EQ(resolveUserDataDir(vendor, L"%SystemRoot%\\x"), L"%SystemRoot%\\x");
    EXPECT_EQ(logText(), "");
}

TEST_F(PolicyTest, ExpandStringIsReadRawThenExpandedOnce) {
    setPolicy(HKEY_CURRENT_USER, REG_EXPAND_SZ, L"%PINVANE_T_DRIVE%\\${user_name}");
    std::wstring raw;
    ASSERT_TRUE(readUserDataDirPolicy(HKEY_CURRENT_USER, keyPath, raw));
    EXPECT_EQ(raw, L"%PINVANE_T_DRIVE%\\${user_name}");

    SetEnvironmentVariableW(L"PINVANE_T_DRIVE", L"Q:");
    SetEnvironmentVariableW(L"USERNAME", L"taro");
    EXPECT_EQ(resolveUserDataDir(vendor, L"C:\\default"), L"Q:\\taro");
    SetEnvironmentVariableW(L"PINVANE_T_DRIVE", nullptr);
}

TEST(ExpandPathVariables, VariablesInOrderAndEnvironmentReferences) {
    SetEnvironmentVariableW(L"LOCALAPPDATA", L"C:\\Users\\a\\AppData\\Local");
    SetEnvironmentVariableW(L"APPDATA", L"C:\\Users\\a\\AppData\\Roaming");
    SetEnvironmentVariableW(L"USERPROFILE", L"C:\\Users\\a");
    SetEnvironmentVariableW(L"USERNAME", L"a");
    SetEnvironmentVariableW(L"SystemRoot", L"C:\\Windows");
    SetEnvironmentVariableW(L"ProgramFiles", L"C:\\Program Files");
    SetEnvironmentVariableW(L"PINVANE_T_VAR", L"${profile}");

    wchar_t name[16] = {};
    DWORD size = 16;
    GetComputerNameW(name, &size);
    const std::wstring machine(name, size);

    const struct {
        const wchar_t* in;
        std::wstring out;
    } cases[] = {
        {L"${local_app_data}\\Chrome", L"C:\\Users\\a\\AppData\\Local\\Chrome"},
        {L"${roaming_app_data}", L"C:\\Users\\a\\AppData\\Roaming"},
        {L"${documents}\\x", L"C:\\Users\\a\\Documents\\x"},
        {L"${profile}|${profile}", L"C:\\Users\\a|C:\\Users\\a"},
        {L"${machine_name}-${user_name}", machine + L"-a"},
        {L"${windows}\\${program_files}", L"C:\\Windows\\C:\\Program Files"},
        {L"${PROFILE}", L"${PROFILE}"},
        // Expansion of %VAR% comes after the variables, so its result is not searched again.
        {L"%PINVANE_T_VAR%", L"${profile}"},
        {L"%PINVANE_T_UNSET%\\x", L"%PINVANE_T_UNSET%\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandPathVariables(c.in), c.out) << narrow(c.in);

    SetEnvironmentVariableW(L"USERPROFILE", nullptr);
    EXPECT_EQ(expandPathVariables(L"${documents}"), L"Documents");
    EXPECT_EQ(expandPathVariables(L"[${profile}]"), L"[]");

    // More than the 1040-unit buffer: the text stays unexpanded.
    const std::wstring longText = L"%SystemRoot%" + std::wstring(1100, L'x');
    EXPECT_EQ(expandPathVariables(longText), longText);
    SetEnvironmentVariableW(L"PINVANE_T_VAR", nullptr);
}
