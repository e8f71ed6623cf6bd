#include "tests/dimlet/DimletDriver.h"

#include "tests/common/TestUtil.h"
#include "tests/dimlet/DimletTest.h"
#include "tests/dimlet/standin/PowerStandIn.h"

#include <algorithm>
#include <cstdint>

namespace dimlettest {

namespace {

constexpr wchar_t dimletSettingsKey[] = L"Software\\Velkor Software\\Dimlet\\Settings";
constexpr wchar_t dimletKey[] = L"Software\\Velkor Software\\Dimlet";
constexpr UINT exitCommand = 40102;

// This process's environment with the given variables added or replaced.
std::wstring environmentWith(const std::vector<std::wstring>& extra) {
    std::wstring block;
    const wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* at = current; *at; at += wcslen(at) + 1) {
        const std::wstring entry = at;
        bool replaced = false;
        for (const std::wstring& add : extra)
            replaced = replaced || _wcsnicmp(entry.c_str(), add.c_str(), add.find(L'=') + 1) == 0;
        if (!replaced)
            block += entry + L'\0';
    }
    FreeEnvironmentStringsW(const_cast<wchar_t*>(current));
    for (const std::wstring& add : extra)
        block += add + L'\0';
    return block + L'\0';
}

uint32_t crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

std::string bigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string pngChunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<uint32_t>(data.size())) + type + data +
           bigEndian(crc32(type + data));
}

// RGB rows, each after its filter byte, in uncompressed ("stored") deflate blocks.
std::string pngFile(int width, int height, const std::string& rows) {
    std::string stream = "\x78\x01";
    for (size_t at = 0; at < rows.size() || at == 0; at += 65535) {
        const size_t length = std::min<size_t>(65535, rows.size() - at);
        stream += char(at + length >= rows.size() ? 1 : 0);
        stream += {char(length), char(length >> 8), char(~length), char(~length >> 8)};
        stream += rows.substr(at, length);
    }
    uint32_t a = 1, b = 0;
    for (unsigned char byte : rows) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    stream += bigEndian((b << 16) | a);
    const std::string header =
        bigEndian(width) + bigEndian(height) + std::string{8, 2, 0, 0, 0}; // 8-bit RGB
    return "\x89PNG\r\n\x1a\n" + pngChunk("IHDR", header) + pngChunk("IDAT", stream) +
           pngChunk("IEND", "");
}

} // namespace

bool waitFor(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!done()) {
        if (GetTickCount64() > deadline)
            return done();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(20);
    }
    return true;
}

DimletProcess::DimletProcess(std::vector<std::wstring> environment, std::wstring exePath) {
    if (exePath.empty())
        exePath = dimletExePath();
    std::wstring commandLine = L"\"" + exePath + L"\"";
    std::wstring block = environmentWith(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
        process.reset(info.hProcess);
        CloseHandle(info.hThread);
        processId = info.dwProcessId;
    }
}

DimletProcess::~DimletProcess() {
    if (running()) {
        TerminateProcess(process.get(), 99);
        WaitForSingleObject(process.get(), 5000);
    }
}

bool DimletProcess::running() const {
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

HWND DimletProcess::findTopLevel(const wchar_t* windowClass, const std::wstring& caption) const {
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, windowClass, caption.c_str()); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, windowClass, caption.c_str())) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == processId)
            return hwnd;
    }
    return nullptr;
}

HWND DimletProcess::window() const {
    return findTopLevel(nullptr, L"Dimlet");
}

HWND DimletProcess::waitForTopLevel(const wchar_t* windowClass, const std::wstring& caption) const {
    HWND found = nullptr;
    waitFor([&] { return (found = findTopLevel(windowClass, caption)) != nullptr || !running(); });
    return found;
}

HWND DimletProcess::waitForWindow() const {
    return waitForTopLevel(nullptr, L"Dimlet");
}

HWND DimletProcess::openBox(UINT command, const std::wstring& caption) const {
    PostMessageW(window(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    const HWND box = waitForTopLevel(L"#32770", caption);
    return box && waitFor([&] { return IsWindowVisible(box) != FALSE; }) ? box : nullptr;
}

bool DimletProcess::waitForExit(DWORD milliseconds, bool* hadWindow) const {
    return waitFor(
        [&] {
            if (hadWindow && window())
                *hadWindow = true;
            return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
        },
        milliseconds);
}

bool DimletProcess::exitFromMenu() {
    PostMessageW(window(), WM_COMMAND, MAKEWPARAM(exitCommand, 0), 0);
    return waitForExit(20000) && exitCode() == 0;
}

DWORD DimletProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

void storeDimletLanguage(long value) {
    clearDimletSettings();
    const DWORD data = static_cast<DWORD>(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, dimletSettingsKey, L"Language", REG_DWORD, &data,
                    sizeof(data));
}

long storedDimletLanguage() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, dimletSettingsKey, L"Language", RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<long>(value);
}

void clearDimletSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, dimletKey);
}

void resetPowerStandIn() {
    RegDeleteTreeW(HKEY_CURRENT_USER, powerstandin::stateKey);
    setPowerStandIn(L"AC", 600);
    setPowerStandIn(L"DC", 600);
}

void setPowerStandIn(const wchar_t* name, DWORD value) {
    powerstandin::writeValue(name, value);
}

DWORD powerStandIn(const wchar_t* name, DWORD fallback) {
    return powerstandin::readValue(name, fallback);
}

std::wstring powerStandInLog() {
    return powerstandin::readLog();
}

int trayIconCount() {
    int count = 0;
    EnumWindows(
        [](HWND top, LPARAM found) -> BOOL {
            const auto countIcon = [](HWND hwnd, LPARAM found) -> BOOL {
                wchar_t name[64] = {};
                GetClassNameW(hwnd, name, 64);
                if (wcscmp(name, L"__winex11_tray_icon") == 0 && IsWindowVisible(hwnd))
                    ++*reinterpret_cast<int*>(found);
                return TRUE;
            };
            countIcon(top, found);
            EnumChildWindows(top, countIcon, found);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace dimlettest

namespace dimlettest {

bool saveWindowImage(HWND window, const std::wstring& path) {
    // Painted by its own process: ask for it and give it a moment (the picture is only for
    // people to look at).
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &unused);
    Sleep(500);
    RECT area{};
    if (!GetWindowRect(window, &area))
        return false;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const GdiHandle<HBITMAP> image(
        CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bool copied = false;
    if (image && memory) {
        const HGDIOBJ previous = SelectObject(memory, image.get());
        copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        SelectObject(memory, previous);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied)
        return false;
    std::string rows;
    const auto* pixels = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < height; ++y) {
        rows += '\0';
        for (int x = 0; x < width; ++x) {
            const unsigned char* bgra = pixels + (size_t(y) * width + x) * 4;
            rows += {char(bgra[2]), char(bgra[1]), char(bgra[0])};
        }
    }
    testutil::writeBytes(path, pngFile(width, height, rows));
    return true;
}

std::wstring testOutputFolder() {
    const std::wstring bin = testutil::exeFolder();
    const std::wstring folder = bin.substr(0, bin.find_last_of(L'\\')) + L"\\test-output";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

} // namespace dimlettest
