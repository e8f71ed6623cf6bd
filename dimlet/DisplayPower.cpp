#include "dimlet/DisplayPower.h"

#include "common/UniqueHandle.h"
#include "dimlet/Language.h"
#include "dimlet/framework/Menu.h"
#include "dimlet/resource.h"

#include <powrprof.h>

namespace {

// GUID_VIDEO_SUBGROUP and GUID_VIDEO_POWERDOWN_TIMEOUT.
constexpr GUID videoSubgroup = {
    0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID videoPowerdownTimeout = {
    0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}};

PowerStatusSource powerStatusSource = GetSystemPowerStatus;

// The active scheme as the power API hands it over; empty when there is none.
LocalMemory<GUID*> activeScheme() {
    LocalMemory<GUID*> scheme;
    if (PowerGetActiveScheme(nullptr, scheme.put()) != ERROR_SUCCESS)
        scheme.reset();
    return scheme;
}

} // namespace

std::wstring timeoutLabel(DWORD seconds) {
    if (seconds == 0)
        return loadLocalizedString(IDS_TIMEOUT_NEVER);
    if (seconds % 3600 != 0)
        return formatLocalizedString(IDS_TIMEOUT_MINUTES, std::to_wstring(seconds / 60));
    return formatLocalizedString(IDS_TIMEOUT_HOURS, std::to_wstring(seconds / 3600));
}

bool onBatteryPower() {
    SYSTEM_POWER_STATUS status{};
    return powerStatusSource(&status) && status.ACLineStatus == 0;
}

void appendTimeoutItems(CMenu& menu) {
    for (size_t i = 0; i < displayOffTimeouts.size(); ++i)
        menu.appendMenu(MF_STRING, ID_TIMEOUT_FIRST + i,
                        timeoutLabel(displayOffTimeouts[i]).c_str());

    const LocalMemory<GUID*> scheme = activeScheme();
    if (!scheme)
        return;
    const auto read = onBatteryPower() ? PowerReadDCValueIndex : PowerReadACValueIndex;
    DWORD seconds = 0;
    if (read(nullptr, scheme.get(), &videoSubgroup, &videoPowerdownTimeout, &seconds) !=
        ERROR_SUCCESS)
        return;
    for (size_t i = 0; i < displayOffTimeouts.size(); ++i) {
        if (displayOffTimeouts[i] == seconds) {
            const UINT id = ID_TIMEOUT_FIRST + i;
            menu.checkMenuRadioItem(id, id, id);
            return;
        }
    }
}

bool applyDisplayOffTimeout(size_t index) {
    if (index >= displayOffTimeouts.size())
        return false;
    const LocalMemory<GUID*> scheme = activeScheme();
    if (!scheme)
        return false;
    const auto write = onBatteryPower() ? PowerWriteDCValueIndex : PowerWriteACValueIndex;
    if (write(nullptr, scheme.get(), &videoSubgroup, &videoPowerdownTimeout,
              displayOffTimeouts[index]) != ERROR_SUCCESS)
        return false;
    // The new value takes effect only once the scheme is made active again.
    if (PowerSetActiveScheme(nullptr, scheme.get()) != ERROR_SUCCESS)
        return false;
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Power"),
                        SMTO_ABORTIFHUNG, 1000, &unused);
    return true;
}

void setPowerStatusSource(PowerStatusSource source) {
    powerStatusSource = source ? source : GetSystemPowerStatus;
}
