// Entry point of Q8.exe.
#include "app/log.h"
#include "app/zephyn_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    InitUiLog();
    CZephynApp app;
    app.InitInstance(instance, commandLine);
    return app.ExitInstance();
}
