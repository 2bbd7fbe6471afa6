// Loads each DLL named on its command line by bare name, with the system's
// default search, as a program that restricts nothing would.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; i++) {
        HMODULE dll = LoadLibraryW(argv[i]);
        if (dll) FreeLibrary(dll);
    }
    return 0;
}
