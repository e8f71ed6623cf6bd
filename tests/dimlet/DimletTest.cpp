#include "tests/dimlet/DimletTest.h"

#include "dimlet/framework/WinApp.h"
#include "tests/common/TestUtil.h"

namespace dimlettest {

std::wstring dimletExePath() {
    return testutil::exeFolder() + L"\\Dimlet.exe";
}

DimletResources::DimletResources()
    : loaded(LoadLibraryExW(dimletExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    setResourceHandle(loaded);
}

DimletResources::~DimletResources() {
    setResourceHandle(nullptr);
    if (loaded)
        FreeLibrary(loaded);
}

std::string resourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
    const HRSRC found = FindResourceExW(module, type, name, language);
    if (!found)
        return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

} // namespace dimlettest
