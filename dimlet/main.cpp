#include "dimlet/DimletApp.h"

// The one application object, made before the entry point runs.
CDimletApp theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return runApplication();
}
