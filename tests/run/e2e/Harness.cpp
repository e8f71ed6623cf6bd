#include "Harness.h"

#include "Fixtures.h"
#include "pinvane/support/Text.h"
#include "tests/common/Processes.h"
#include "tests/common/TestUtil.h"

#include <sqlite3.h>

#include <stdexcept>

using namespace testutil;

namespace {

void copyBeside(const std::wstring& name, const std::wstring& folder) {
    if (!CopyFileW(joinPath(exeFolder(), name).c_str(), joinPath(folder, name).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + narrow(name));
}

void exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error("fixture SQL failed: " + message);
    }
}

struct BoxSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (pid == search->pid && std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring windowText(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

} // namespace

PinvaneFolder::PinvaneFolder(const std::wstring& name) : root(scratchFolder(name)) {
    copyBeside(L"Pinvane.exe", root);
    copyBeside(L"winsqlite3.dll", root);
}

std::wstring PinvaneFolder::path(const std::wstring& relative) const {
    return joinPath(root, relative);
}

void PinvaneFolder::writeIni(const std::string& utf8) {
    writeBytes(path(L"Pinvane.ini"), utf8);
}

std::wstring PinvaneFolder::addChromiumProfile(const std::wstring& browser,
                                               const std::wstring& profile,
                                               const std::string& content) {
    const std::wstring folder = path(browser + L"\\" + profile);
    CreateDirectoryW(path(browser).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = joinPath(folder, L"Bookmarks");
    writeBytes(file, content);
    return file;
}

std::wstring PinvaneFolder::addFirefoxProfile(const std::wstring& name) {
    CreateDirectoryW(path(L"Firefox").c_str(), nullptr);
    CreateDirectoryW(path(L"Firefox\\Profiles").c_str(), nullptr);
    const std::wstring folder = path(L"Firefox\\Profiles\\" + name);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring database = joinPath(folder, L"places.sqlite");
    for (const wchar_t* suffix : {L"", L"-wal", L"-shm"})
        DeleteFileW((database + suffix).c_str());

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(wideToUtf8(database).c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create places.sqlite");
    }
    exec(db, fixtures::placesSchema);
    exec(db, fixtures::placesSeed);
    exec(db, "PRAGMA journal_mode=WAL");
    sqlite3_close(db);

    const std::string entry = "Path=Profiles/" + wideToUtf8(name) + "\r\n";
    if (profilesIni.find(entry) != std::string::npos)
        return database;
    profilesIni += "[Profile" + std::to_string(firefoxProfiles++) +
                   "]\r\nName=" + wideToUtf8(name) + "\r\nIsRelative=1\r\nPath=Profiles/" +
                   wideToUtf8(name) + "\r\n\r\n";
    writeBytes(path(L"Firefox\\profiles.ini"), profilesIni + "[General]\r\nVersion=2\r\n");
    return database;
}

std::vector<std::wstring> PinvaneFolder::browserOptions() const {
    return {L"--edge-dir=" + path(L"Edge"), L"--chrome-dir=" + path(L"Chrome"),
            L"--firefox-dir=" + path(L"Firefox")};
}

std::vector<std::string> PinvaneFolder::logLines() const {
    return testutil::logLines(path(L"Pinvane.log"));
}

HANDLE startPinvane(const PinvaneFolder& folder, const std::vector<std::wstring>& arguments) {
    ChildProcess child = ChildProcess::start(folder.path(L"Pinvane.exe"), arguments, folder.root);
    if (!child.started())
        throw std::runtime_error("cannot start Pinvane.exe");
    return child.release();
}

RunResult runPinvane(const PinvaneFolder& folder, const std::vector<std::wstring>& arguments,
                     int answer) {
    ChildProcess process = ChildProcess::start(folder.path(L"Pinvane.exe"), arguments, folder.root);
    if (!process.started())
        throw std::runtime_error("cannot start Pinvane.exe");

    RunResult result;
    const ULONGLONG deadline = GetTickCount64() + 120000;
    while (WaitForSingleObject(process.handle(), 50) == WAIT_TIMEOUT) {
        BoxSearch search{process.id(), nullptr};
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            Sleep(100); // let the box finish laying out its text
            result.boxTexts.push_back(windowText(GetDlgItem(search.found, 0xFFFF)));
            PostMessageW(search.found, WM_COMMAND, answer, 0);
            for (int i = 0; i < 100 && IsWindow(search.found); ++i)
                Sleep(20);
        }
        if (GetTickCount64() > deadline) {
            process.end();
            break;
        }
    }
    result.exitCode = process.waitForExit(0);
    return result;
}

std::vector<std::vector<std::string>> queryRows(const std::wstring& database,
                                                const std::string& sql, int columns) {
    sqlite3* db = nullptr;
    std::vector<std::vector<std::string>> rows;
    if (sqlite3_open_v2(wideToUtf8(database).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + narrow(database));
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error("query failed: " + message);
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < columns; ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}
