#include "tests/common/TestUtil.h"
#include "tests/dimlet/DimletTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

using dimlettest::resourceBytes;

namespace {

constexpr WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
constexpr WORD english = 0x0409;
constexpr WORD japanese = 0x0411;

template <class T> T read(const std::string& bytes, size_t at) {
    T value{};
    if (at + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + at, sizeof(T));
    return value;
}

// A zero-terminated UTF-16 text (or 0xFFFF and an ordinal, given as "#n") in a template.
std::wstring readText(const std::string& bytes, size_t& at) {
    std::wstring text;
    if (read<WORD>(bytes, at) == 0xFFFF) {
        text = L"#" + std::to_wstring(read<WORD>(bytes, at + 2));
        at += 4;
        return text;
    }
    for (WORD unit; at < bytes.size() && (unit = read<WORD>(bytes, at)) != 0; at += 2)
        text += static_cast<wchar_t>(unit);
    at += 2;
    return text;
}

// A control's class, by name or by the ordinal of a predefined class.
std::wstring className(std::wstring name) {
    if (name == L"#128")
        return L"BUTTON";
    if (name == L"#130")
        return L"STATIC";
    for (wchar_t& c : name)
        c = towupper(c);
    return name;
}

} // namespace

class DimletResourceCheck : public testing::Test {
protected:
    dimlettest::DimletResources resources;
    HMODULE module() const { return resources.module(); }
    std::set<WORD> languagesOf(LPCWSTR type, LPCWSTR name) const {
        std::set<WORD> languages;
        EnumResourceLanguagesW(
            module(), type, name,
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) -> BOOL {
                reinterpret_cast<std::set<WORD>*>(found)->insert(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }
    void SetUp() override { ASSERT_NE(module(), nullptr); }
};

TEST_F(DimletResourceCheck, IconGroupHasEightSizesIn32Bit) {
    const std::string group =
        resourceBytes(module(), RT_GROUP_ICON, MAKEINTRESOURCEW(128), neutral);
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(read<WORD>(group, 2), 1); // icons, not cursors
    const WORD count = read<WORD>(group, 4);
    ASSERT_EQ(group.size(), 6u + 14u * count);

    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const size_t entry = 6 + 14 * i;
        const int width = read<BYTE>(group, entry) ? read<BYTE>(group, entry) : 256;
        const int height = read<BYTE>(group, entry + 1) ? read<BYTE>(group, entry + 1) : 256;
        SCOPED_TRACE(width);
        EXPECT_EQ(width, height);
        EXPECT_EQ(read<WORD>(group, entry + 6), 32);
        sizes.insert(width);

        const std::string image = resourceBytes(
            module(), RT_ICON, MAKEINTRESOURCEW(read<WORD>(group, entry + 12)), neutral);
        ASSERT_EQ(image.size(), read<DWORD>(group, entry + 8));
        if (image.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
            EXPECT_EQ(width, 256);
            EXPECT_EQ(_byteswap_ulong(read<DWORD>(image, 16)), 256u);
            EXPECT_EQ(_byteswap_ulong(read<DWORD>(image, 20)), 256u);
            EXPECT_EQ(read<BYTE>(image, 24), 8); // bits per channel
            EXPECT_EQ(read<BYTE>(image, 25), 6); // RGBA
        } else {
            const auto header = read<BITMAPINFOHEADER>(image, 0);
            EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
            EXPECT_EQ(header.biWidth, width);
            EXPECT_EQ(header.biHeight, 2 * width); // colour and mask
            EXPECT_EQ(header.biBitCount, 32);
        }
    }
    EXPECT_EQ(sizes, (std::set<int>{256, 64, 48, 40, 32, 24, 20, 16}));
    // What the tray asks for.
    const HANDLE small = LoadImageW(module(), MAKEINTRESOURCEW(128), IMAGE_ICON, 16, 16, 0);
    EXPECT_NE(small, nullptr);
    if (small)
        DestroyIcon(static_cast<HICON>(small));
}

TEST_F(DimletResourceCheck, LogoIs72By88In24BitOnMagenta) {
    const std::string bitmap = resourceBytes(module(), RT_BITMAP, MAKEINTRESOURCEW(129), neutral);
    const auto header = read<BITMAPINFOHEADER>(bitmap, 0);
    ASSERT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, 72);
    EXPECT_EQ(header.biHeight, 88);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));

    const size_t stride = (72 * 3 + 3) / 4 * 4;
    ASSERT_GE(bitmap.size(), header.biSize + stride * 88);
    const auto pixel = [&](int x, int y) { // bottom-up, BGR
        const size_t at = header.biSize + stride * (87 - y) + 3 * x;
        return RGB(read<BYTE>(bitmap, at + 2), read<BYTE>(bitmap, at + 1), read<BYTE>(bitmap, at));
    };
    int transparent = 0;
    for (int y = 0; y < 88; ++y)
        for (int x = 0; x < 72; ++x)
            transparent += pixel(x, y) == RGB(255, 0, 255);
    EXPECT_EQ(pixel(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(pixel(71, 87), RGB(255, 0, 255));
    EXPECT_NE(pixel(36, 44), RGB(255, 0, 255)); // the picture itself
    EXPECT_GT(transparent, 72 * 88 / 5);
    EXPECT_LT(transparent, 72 * 88 * 4 / 5);
}

TEST_F(DimletResourceCheck, StringTableExistsInBothLanguagesOnly) {
    // Ids 200-215 span blocks 13 and 14.
    for (UINT block : {200 / 16 + 1, 215 / 16 + 1})
        EXPECT_EQ(languagesOf(RT_STRING, MAKEINTRESOURCEW(block)),
                  (std::set<WORD>{english, japanese}))
            << block;
}

TEST_F(DimletResourceCheck, AboutTemplateIsJapaneseOnly) {
    EXPECT_EQ(languagesOf(RT_DIALOG, MAKEINTRESOURCEW(100)), std::set<WORD>{japanese});
    const std::string dialog = resourceBytes(module(), RT_DIALOG, MAKEINTRESOURCEW(100), japanese);
    ASSERT_GE(dialog.size(), 26u);
    ASSERT_EQ(read<WORD>(dialog, 0), 1);      // DLGTEMPLATEEX
    ASSERT_EQ(read<WORD>(dialog, 2), 0xFFFF); // signature
    EXPECT_EQ(read<DWORD>(dialog, 12), 0x80C800C8u);
    const WORD items = read<WORD>(dialog, 16);
    EXPECT_EQ(read<short>(dialog, 22), 223);
    EXPECT_EQ(read<short>(dialog, 24), 106);
    size_t at = 26;
    EXPECT_EQ(readText(dialog, at), L""); // no menu
    EXPECT_EQ(readText(dialog, at), L""); // standard class
    EXPECT_EQ(readText(dialog, at), L"バージョン情報");
    EXPECT_EQ(read<WORD>(dialog, at), 9);
    EXPECT_EQ(read<BYTE>(dialog, at + 5), DEFAULT_CHARSET);
    at += 6;
    EXPECT_EQ(readText(dialog, at), L"MS UI Gothic");

    struct Item {
        int id;
        const wchar_t* windowClass;
        short x, y, cx, cy;
        DWORD style;
        const wchar_t* text;
    };
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const Item expected[] = {
        {-1, L"STATIC", 8, 7, 21, 20, child | SS_ICON, L"#128"},
        {1007, L"STATIC", 36, 9, 179, 17, child | SS_LEFT | SS_NOPREFIX | WS_GROUP, L""},
        {1009, L"STATIC", 136, 23, 80, 11, child | SS_RIGHT | SS_NOPREFIX | WS_GROUP, L""},
        {1008, L"STATIC", 37, 38, 178, 11, child | SS_LEFT | SS_NOPREFIX | WS_GROUP, L""},
        {1010, L"STATIC", 83, 55, 120, 11, child | SS_LEFT | SS_NOPREFIX | WS_GROUP, L""},
        {1011, L"STATIC", 97, 68, 100, 11, child | SS_LEFT | SS_NOPREFIX | SS_NOTIFY | WS_GROUP,
         L""},
        {IDOK, L"BUTTON", 165, 87, 50, 14, child | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, L"OK"},
    };
    ASSERT_EQ(items, std::size(expected));
    for (const Item& item : expected) {
        SCOPED_TRACE(item.id);
        at = (at + 3) & ~size_t{3};
        EXPECT_EQ(read<DWORD>(dialog, at + 8), item.style);
        EXPECT_EQ(read<short>(dialog, at + 12), item.x);
        EXPECT_EQ(read<short>(dialog, at + 14), item.y);
        EXPECT_EQ(read<short>(dialog, at + 16), item.cx);
        EXPECT_EQ(read<short>(dialog, at + 18), item.cy);
        EXPECT_EQ(read<int>(dialog, at + 20), item.id);
        at += 24;
        EXPECT_EQ(className(readText(dialog, at)), item.windowClass);
        EXPECT_EQ(readText(dialog, at), item.text);
        at += 2 + read<WORD>(dialog, at);
    }
}

TEST_F(DimletResourceCheck, VersionBlockIsJapaneseWithTheProductValues) {
    const std::wstring path = dimlettest::dimletExePath();
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);

    const std::map<std::wstring, std::wstring> values = {
        {L"FileDescription", L"Dimlet"},  {L"ProductName", L"Dimlet"},
        {L"InternalName", L"Dimlet.exe"}, {L"OriginalFilename", L"Dimlet.exe"},
        {L"FileVersion", L"1.0.0.0"},     {L"ProductVersion", L"1.0.0.0"},
    };
    const auto query = [&](const std::wstring& name) {
        wchar_t* text = nullptr;
        UINT units = 0;
        const std::wstring key = L"\\StringFileInfo\\041104b0\\" + name;
        if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &units) ||
            !text)
            return std::wstring(L"<missing>");
        return std::wstring(text);
    };
    for (const auto& [name, value] : values)
        EXPECT_EQ(query(name), value) << testutil::narrow(name);
    const std::wstring notice = query(L"LegalCopyright");
    EXPECT_NE(notice, L"<missing>");
    EXPECT_NE(notice.find(L"Velkor"), std::wstring::npos);
}

TEST_F(DimletResourceCheck, ManifestAsksForCommonControls6AsInvokerDpiAware) {
    const std::string manifest =
        resourceBytes(module(), RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID, neutral);
    ASSERT_FALSE(manifest.empty());
    const size_t dependency = manifest.find("<dependentAssembly>");
    ASSERT_NE(dependency, std::string::npos);
    const std::string identity =
        manifest.substr(dependency, manifest.find("</dependentAssembly>") - dependency);
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "processorArchitecture=\"amd64\"", "6595b64144ccf1df"})
        EXPECT_NE(identity.find(part), std::string::npos) << part;
    for (const char* part : {"level=\"asInvoker\"", "uiAccess=\"false\"", ">true</dpiAware>"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

// The executable itself: 64-bit, windowed, and only DLLs that every Windows has.
TEST(DimletExecutable, IsA64BitGuiProgramWithSystemImportsOnly) {
    const std::string file = testutil::readBytes(dimlettest::dimletExePath());
    ASSERT_GT(file.size(), 1024u);
    const auto pe = read<LONG>(file, offsetof(IMAGE_DOS_HEADER, e_lfanew));
    const auto headers = read<IMAGE_NT_HEADERS64>(file, pe);
    ASSERT_EQ(headers.Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(headers.FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(headers.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_EQ(headers.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    const size_t sections =
        pe + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + headers.FileHeader.SizeOfOptionalHeader;
    const auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < headers.FileHeader.NumberOfSections; ++i) {
            const auto s =
                read<IMAGE_SECTION_HEADER>(file, sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return file.size();
    };
    const DWORD imports =
        headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    const std::set<std::string> shipped = {
        "advapi32.dll", "kernel32.dll", "user32.dll",   "gdi32.dll",   "shell32.dll",
        "msvcrt.dll",   "version.dll",  "powrprof.dll", "msimg32.dll", "comctl32.dll"};
    std::set<std::string> seen;
    for (size_t at = fileOffset(imports); at < file.size(); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = read<IMAGE_IMPORT_DESCRIPTOR>(file, at);
        if (descriptor.Name == 0)
            break;
        std::string dll = file.c_str() + std::min(fileOffset(descriptor.Name), file.size());
        std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
        seen.insert(dll);
        EXPECT_TRUE(shipped.count(dll)) << dll;
    }
    EXPECT_TRUE(seen.count("kernel32.dll"));
}
