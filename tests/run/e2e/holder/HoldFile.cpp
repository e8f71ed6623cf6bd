// Holds a file open for writing, shared for reading only, as a run holds its log:
//   hold_file <file> <ready event> <release event>
// Signals the ready event once the file is held and lets go when the release
// event is signalled (or after ten minutes, so it never outlives a broken test).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc != 4)
        return 2;
    HANDLE file = CreateFileW(__wargv[1], GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, __wargv[2]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, __wargv[3]);
    if (!ready || !release)
        return 3;
    SetEvent(ready);
    WaitForSingleObject(release, 600000);
    CloseHandle(file);
    return 0;
}
