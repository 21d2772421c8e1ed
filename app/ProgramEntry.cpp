#include "app/ProgramEntry.h"

#include "framework/CWinApp.h"

int RunProgram(HINSTANCE instance) {
    CWinApp* app = GetWinApp();
    if (!app) {
        MessageBoxW(nullptr, L"This application needs a CWinApp", L"Error", MB_OK);
        return 0;
    }
    app->SetInstance(instance);
    SetWinApp(app);
    // A declined start leaves the registry to the instance that runs.
    if (!app->Startup()) return 0;
    app->MessageLoop();
    return app->Shutdown();
}
