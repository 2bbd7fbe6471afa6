// Times the installer's unpack of its setup package (write each resource,
// reopen it held, compare it with the resource, then delete it) against a
// plain copy of the same two files with CopyFileW and a delete. Prints the
// median of each over the runs, and the throughput.
//   unpack_bench.exe <work folder> [runs]
#include "installer/res/setup_resource.h"
#include "installer/unpack_res.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

static double NowMs() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / freq.QuadPart;
}

static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

static DWORD ResourceSize(UINT id) {
    HRSRC r = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RES_TYPE_PAYLOAD);
    return r ? SizeofResource(nullptr, r) : 0;
}

// The resource as a file, once, to copy from.
static bool WriteSource(UINT id, const std::wstring& path) {
    HRSRC r = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RES_TYPE_PAYLOAD);
    if (!r) return false;
    const void* bytes = LockResource(LoadResource(nullptr, r));
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, bytes, SizeofResource(nullptr, r), &written, nullptr);
    CloseHandle(f);
    return ok && written == SizeofResource(nullptr, r);
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: unpack_bench <work folder> [runs]\n");
        return 2;
    }
    static wchar_t work[MAX_PATH];
    wcsncpy(work, argv[1], MAX_PATH - 1);
    int runs = argc > 2 ? _wtoi(argv[2]) : 20;
    if (runs < 1) runs = 1;
    std::wstring source = std::wstring(work) + L"\\source";
    CreateDirectoryW(work, nullptr);
    CreateDirectoryW(source.c_str(), nullptr);
    if (!WriteSource(IDR_SETUP_EXE, source + L"\\Setup.exe") || !WriteSource(IDR_SETUP_ISS, source + L"\\Setup.iss")) {
        fwprintf(stderr, L"cannot write the source files into %ls\n", source.c_str());
        return 1;
    }
    std::vector<double> unpack, copy;
    for (int i = 0; i < runs; i++) {
        double t0 = NowMs();
        UnPackFromRes u(work);
        if (!u.InitResouse(GetModuleHandleW(nullptr), RES_TYPE_PAYLOAD, IDS_PAYLOAD_LIST) || !u.SetOutDir() ||
            !u.UnPack() || !u.DelFiles()) {
            fwprintf(stderr, L"unpack failed in run %d\n", i);
            return 1;
        }
        double t1 = NowMs();
        for (const wchar_t* name : {L"Setup.exe", L"Setup.iss"}) {
            std::wstring to = std::wstring(work) + L"\\" + name;
            if (!CopyFileW((source + L"\\" + name).c_str(), to.c_str(), FALSE) || !DeleteFileW(to.c_str())) {
                fwprintf(stderr, L"copy failed in run %d\n", i);
                return 1;
            }
        }
        double t2 = NowMs();
        unpack.push_back(t1 - t0);
        copy.push_back(t2 - t1);
    }
    DeleteFileW((source + L"\\Setup.exe").c_str());
    DeleteFileW((source + L"\\Setup.iss").c_str());
    RemoveDirectoryW(source.c_str());
    double mb = (ResourceSize(IDR_SETUP_EXE) + ResourceSize(IDR_SETUP_ISS)) / 1048576.0;
    double mu = Median(unpack), mc = Median(copy);
    wprintf(L"payload %.2f MB, %d runs\n", mb, runs);
    wprintf(L"unpack (write, hold, compare, delete): median %.2f ms, %.0f MB/s\n", mu, mb / (mu / 1000));
    wprintf(L"CopyFileW of the same files + delete: median %.2f ms, %.0f MB/s\n", mc, mb / (mc / 1000));
    return 0;
}
