// Two users' runs of one Pinvane.exe from one folder, started together, a number of
// times; prints what each try left: each user's bookmarks, the backup run folders
// and whose copy each holds, and each log with its last line.
//   bench_share_overlap [Pinvane.exe] [tries] [data-dir]
// With "data-dir" each run gets --data-dir=<its user's folder>\Pinvane.
// User A has a damaged second Chrome profile, so A's run rolls back from its backup.
#include "common/UniqueHandle.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string bookmarksOf(const std::string& owner) {
    return R"({
   "roots": {
      "bookmark_bar": {
         "children": [ {
            "id": "5",
            "name": ")" +
           owner + R"( private",
            "type": "url",
            "url": "https://)" +
           owner + R"(.example.com/"
         } ],
         "id": "1",
         "name": "Bookmarks bar",
         "type": "folder"
      }
   },
   "version": 1
}
)";
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string readFile(const std::wstring& path) {
    std::string bytes;
    readFileBytes(path, bytes);
    return bytes;
}

void removeTree(const std::wstring& path) {
    for (const std::wstring& name : listSubdirectories(path))
        removeTree(joinPath(path, name));
    WIN32_FIND_DATAW entry{};
    FindHandle search(FindFirstFileW(joinPath(path, L"*").c_str(), &entry));
    if (search) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(joinPath(path, entry.cFileName).c_str());
        } while (FindNextFileW(search.get(), &entry));
    }
    RemoveDirectoryW(path.c_str());
}

// Who a Bookmarks file belongs to, judged by the private bookmarks in it.
std::string owners(const std::string& bytes) {
    std::string who;
    if (bytes.find("A private") != std::string::npos)
        who += "A";
    if (bytes.find("B private") != std::string::npos)
        who += "B";
    if (bytes.find("https://portal.example.com/") != std::string::npos)
        who += "+new";
    return who.empty() ? "?" : who;
}

std::string lastLine(const std::string& log) {
    std::string text = log;
    while (text.size() >= 2 && text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    const size_t start = text.rfind("\r\n");
    return start == std::string::npos ? text : text.substr(start + 2);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[1040] = {};
    GetModuleFileNameW(nullptr, self, 1040);
    std::wstring selfFolder = self;
    selfFolder.resize(selfFolder.rfind(L'\\'));
    const std::wstring exe = argc > 1 ? argv[1] : joinPath(selfFolder, L"Pinvane.exe");
    const int tries = argc > 2 ? _wtoi(argv[2]) : 6;
    const bool ownDataFolders = argc > 3 && std::wstring(argv[3]) == L"data-dir";
    std::wstring exeFolder = exe.substr(0, exe.rfind(L'\\'));

    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring base = joinPath(temp, L"pinvane-share-overlap");
    int good = 0;
    for (int attempt = 1; attempt <= tries; ++attempt) {
        const std::wstring root = joinPath(base, L"try" + std::to_wstring(attempt));
        removeTree(root);
        const std::wstring share = joinPath(root, L"share");
        createDirectoryTree(share);
        CopyFileW(exe.c_str(), joinPath(share, L"Pinvane.exe").c_str(), FALSE);
        CopyFileW(joinPath(exeFolder, L"winsqlite3.dll").c_str(),
                  joinPath(share, L"winsqlite3.dll").c_str(), FALSE);
        writeFile(joinPath(share, L"Pinvane.ini"),
                  "[Portal]\r\nTitle=Portal\r\nUrl=https://portal.example.com/\r\n");

        std::vector<KernelHandle> processes, threads;
        for (const wchar_t* user : {L"A", L"B"}) {
            const std::wstring profile = joinPath(root, user);
            createDirectoryTree(joinPath(profile, L"Chrome\\Default"));
            writeFile(joinPath(profile, L"Chrome\\Default\\Bookmarks"),
                      bookmarksOf(wideToUtf8(user)));
            if (user == std::wstring(L"A")) {
                createDirectoryTree(joinPath(profile, L"Chrome\\Profile 1"));
                writeFile(joinPath(profile, L"Chrome\\Profile 1\\Bookmarks"), "{\"roots\": {");
            }
            std::wstring line = L"\"" + joinPath(share, L"Pinvane.exe") +
                                L"\" --no-process-check --no-dialog \"--chrome-dir=" +
                                joinPath(profile, L"Chrome") + L"\" \"--edge-dir=" +
                                joinPath(profile, L"Edge") + L"\" \"--firefox-dir=" +
                                joinPath(profile, L"Firefox") + L"\"";
            if (ownDataFolders)
                line += L" \"--data-dir=" + joinPath(profile, L"Pinvane") + L"\"";
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION info{};
            if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                nullptr, profile.c_str(), &startup, &info)) {
                std::printf("try %d: cannot start Pinvane.exe\n", attempt);
                return 1;
            }
            processes.emplace_back(info.hProcess);
            threads.emplace_back(info.hThread);
        }
        // Both are loaded; let them go at the same moment.
        for (const KernelHandle& thread : threads)
            ResumeThread(thread.get());
        // Whether the runs overlapped at all: when the first one ends, has the other
        // begun its log yet? A run that starts after another has ended takes
        // Pinvane.log afresh, as every run does.
        const std::vector<std::wstring> dataFolders =
            ownDataFolders ? std::vector<std::wstring>{joinPath(root, L"A\\Pinvane"),
                                                       joinPath(root, L"B\\Pinvane")}
                           : std::vector<std::wstring>{share};
        const HANDLE both[] = {processes[0].get(), processes[1].get()};
        const DWORD first = WaitForMultipleObjects(2, both, FALSE, 120000) - WAIT_OBJECT_0;
        int logsAtFirstExit = 0;
        for (const std::wstring& folder : dataFolders)
            for (const wchar_t* name : {L"Pinvane.log", L"Pinvane_2.log", L"Pinvane_3.log"})
                logsAtFirstExit +=
                    GetFileAttributesW(joinPath(folder, name).c_str()) != INVALID_FILE_ATTRIBUTES;
        DWORD codes[2] = {};
        for (int i = 0; i < 2; ++i) {
            WaitForSingleObject(processes[i].get(), 120000);
            GetExitCodeProcess(processes[i].get(), &codes[i]);
        }

        const std::string a = owners(readFile(joinPath(root, L"A\\Chrome\\Default\\Bookmarks")));
        const std::string b = owners(readFile(joinPath(root, L"B\\Chrome\\Default\\Bookmarks")));
        std::printf("try %d: exit A %lu, B %lu; profile A holds %s, profile B holds %s\n", attempt,
                    codes[0], codes[1], a.c_str(), b.c_str());
        std::printf("  %s ended first; %s\n", first == 0 ? "A" : "B",
                    logsAtFirstExit > 1 ? "the other run had its log open by then"
                                        : "the other run had not opened its log yet");
        int backupsOfA = 0, backupsOfB = 0, completeLogsOfA = 0, completeLogsOfB = 0;
        for (const std::wstring& folder : dataFolders) {
            const std::wstring backup = joinPath(folder, L"Backup");
            for (const std::wstring& run : listSubdirectories(backup)) {
                const std::string copy =
                    owners(readFile(joinPath(backup, run + L"\\Chrome(Default)\\Bookmarks")));
                backupsOfA += copy == "A";
                backupsOfB += copy == "B";
                std::printf("  %s\\%s\\Chrome(Default) holds %s\n", wideToUtf8(backup).c_str(),
                            wideToUtf8(run).c_str(), copy.c_str());
            }
            for (int number = 1; number <= 4; ++number) {
                const std::wstring name =
                    number == 1 ? L"Pinvane.log" : L"Pinvane_" + std::to_wstring(number) + L".log";
                const std::string log = readFile(joinPath(folder, name));
                if (log.empty())
                    continue;
                // Only A has a second profile, so only A's log names it.
                const bool ofA = log.find("Chrome(Profile 1)") != std::string::npos;
                const bool complete = lastLine(log).starts_with("完了");
                (ofA ? completeLogsOfA : completeLogsOfB) += complete;
                std::printf("  %s: run of %s, last line \"%s\"\n",
                            wideToUtf8(joinPath(folder, name)).c_str(), ofA ? "A" : "B",
                            lastLine(log).c_str());
            }
        }
        const bool sound = a == "A" && b == "B+new" && backupsOfA == 1 && backupsOfB == 1 &&
                           completeLogsOfA == 1 && completeLogsOfB == 1;
        good += sound;
        std::printf("  %s\n",
                    sound ? "each user kept own bookmarks, backup and complete log" : "NOT SOUND");
    }
    std::printf("%d of %d tries sound\n", good, tries);
    return 0;
}
