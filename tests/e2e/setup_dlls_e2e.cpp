// The installer runs elevated and is usually started from a downloads
// folder, where anyone may have left a DLL under a system DLL's name. None
// may be loaded from there: the installer takes its DLLs from the system
// folder only. Wine prefers its own built-in DLLs, so the test tells it to
// prefer files (native before built-in, per program) for the planted names,
// as Windows does for DLLs it does not know; a probe program beside the same files shows that they
// would be loaded by a program that does not restrict its search.
#include "desktop.h"
#include "harness.h"

#include <string>

namespace {

// System DLLs that the installer loads itself, and DLLs that those load in
// turn. Not version.dll: Wine's own user32 imports it, so Wine loads it
// before a program's first line runs (Windows' user32 does not). Not
// windowscodecs.dll: told to prefer a file, Wine takes the placeholder in
// its system folder, whose functions are stubs.
const wchar_t* const kPlanted[] = {L"gdiplus", L"comctl32", L"shell32", L"ole32", L"uxtheme", L"dwmapi"};

// Wine's per-program DLL load order, for the programs of this test.
const wchar_t* const kPrograms[] = {L"probe.exe", L"Q8_Setup.exe"};

std::wstring OverridesKey(const wchar_t* program) {
    return std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides";
}

class SetupDlls : public Q8E2eTest {
protected:
    void SetUp() override {
        Q8E2eTest::SetUp();
        for (const wchar_t* program : kPrograms) {
            HKEY key = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, OverridesKey(program).c_str(), 0, nullptr, 0,
                                                     KEY_SET_VALUE, nullptr, &key, nullptr));
            const wchar_t order[] = L"native,builtin";
            for (const wchar_t* name : kPlanted)
                RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)order, sizeof order);
            RegCloseKey(key);
        }
    }
    void TearDown() override {
        for (const wchar_t* program : kPrograms) RegDeleteKeyW(HKEY_CURRENT_USER, OverridesKey(program).c_str());
        E2eClearDataFolder();
        Q8E2eTest::TearDown();
    }
    std::wstring Marker(const wchar_t* name) const { return box.Path(name) + L".dll.loaded"; }
    std::wstring LoadedMarkers() const {
        std::wstring loaded;
        for (const wchar_t* name : kPlanted)
            if (E2eFileExists(Marker(name))) loaded += std::wstring(loaded.empty() ? L"" : L", ") + name;
        return loaded;
    }
};

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

TEST_F(SetupDlls, DllPlantedBesideTheInstallerIsNotLoaded) {
    for (const wchar_t* name : kPlanted)
        ASSERT_TRUE(box.CopyFromBin(L"planted_dll.dll", box.Path(name) + L".dll")) << Narrow(name);

    // Control: a program that searches as usual takes every planted file.
    ASSERT_TRUE(box.CopyFromBin(L"dll_search_probe.exe", box.Path(L"probe.exe")));
    std::wstring names;
    for (const wchar_t* name : kPlanted) names += std::wstring(names.empty() ? L"" : L" ") + name + L".dll";
    {
        CE2eProgram probe;
        ASSERT_TRUE(probe.Start(box.Path(L"probe.exe"), names, box.dir));
        ASSERT_TRUE(probe.WaitForExit(E2E_DEADLINE_MS));
    }
    for (const wchar_t* name : kPlanted) {
        EXPECT_TRUE(E2eFileExists(Marker(name))) << "the probe did not load the planted " << Narrow(name)
                                                 << ".dll, so the check below would prove nothing";
        DeleteFileW(Marker(name).c_str());
    }

    // The installer from the same folder: a build that ends by itself right
    // after it has written the setup program, by then having drawn its
    // pictures, made its controls and found the user's folders.
    ASSERT_TRUE(box.CopyFromBin(L"q8_setup_missing_resource.exe", box.Path(L"Q8_Setup.exe")));
    CE2eProgram setup;
    ASSERT_TRUE(setup.Start(box.Path(L"Q8_Setup.exe"), L"", box.dir));
    DWORD code = 1;
    ASSERT_TRUE(setup.WaitForExit(E2E_DEADLINE_MS, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(E2eFileExists(E2eDataFolder() + L"\\Setup.exe")) << "the installer ended before it unpacked";
    EXPECT_EQ("", Narrow(LoadedMarkers())) << "planted DLLs loaded into the installer";
}

}  // namespace
