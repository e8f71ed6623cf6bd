#pragma once

#include <windows.h>

#include <string>

namespace dimlettest {

// Dimlet.exe, built beside the test executable.
std::wstring dimletExePath();

// Loads Dimlet.exe as data and makes it the resource module while alive.
class DimletResources {
public:
    DimletResources();
    ~DimletResources();
    DimletResources(const DimletResources&) = delete;
    DimletResources& operator=(const DimletResources&) = delete;
    HMODULE module() const { return loaded; }

private:
    HMODULE loaded = nullptr;
};

// The raw bytes of a resource of the given module, empty when missing.
std::string resourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);

} // namespace dimlettest
