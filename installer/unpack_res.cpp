// Writing the payload out, holding it until the setup program starts, and
// cleaning up. Every failure is logged and returns false.
#include "installer/unpack_res.h"

#include "installer/installer_log.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

static const int kMaxNumber = 65535;  // a resource or string id

// Reads one decimal id at `*p` and moves past it.
static bool ParseId(const wchar_t** p, UINT* out) {
    long value = 0;
    const wchar_t* s = *p;
    if (*s < L'0' || *s > L'9') return false;
    for (; *s >= L'0' && *s <= L'9'; ++s) {
        value = value * 10 + (*s - L'0');
        if (value > kMaxNumber) return false;
    }
    if (value == 0) return false;
    *out = (UINT)value;
    *p = s;
    return true;
}

bool ParseResItem(const wchar_t* item, UINT* resourceId, UINT* nameStringId) {
    if (!item) return false;
    const wchar_t* p = item;
    UINT res = 0, name = 0;
    if (!ParseId(&p, &res) || *p++ != L'-' || !ParseId(&p, &name) || *p != L'\0') return false;
    *resourceId = res;
    *nameStringId = name;
    return true;
}

UnPackFromRes::UnPackFromRes(const wchar_t* outDir) : m_outDir(outDir) {}

UnPackFromRes::~UnPackFromRes() { FreeList(); }

bool UnPackFromRes::InitResouse(HMODULE module, const wchar_t* type, UINT listStringId) {
    if (!module) return false;
    m_module = module;
    wcsncpy(m_type, type ? type : L"", ARRAYSIZE(m_type) - 1);
    m_listStringId = listStringId;
    m_initialised = true;
    return true;
}

// Creates `path` as a folder. false only when its parent cannot be found,
// after the "can,t creat" line.
static bool CreateStep(const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        WriteInstallerLog(L"UnPackFromRes::SetOutDir ->The  outDir  %s is exist ", path);
    } else if (error == ERROR_PATH_NOT_FOUND) {
        WriteInstallerLog(L"UnPackFromRes::SetOutDir ->can,t creat %s ", path);
        return false;
    }
    return true;  // any other refusal (a drive root, say) lets the walk go on
}

bool UnPackFromRes::SetOutDir() {
    const wchar_t* folder = m_outDir ? m_outDir : L"";
    if (CreateDirectoryW(folder, nullptr)) {
        WriteInstallerLog(L"UnPackFromRes::SetOutDir ->Creat outDir  %s succes！ ", folder);
    } else if (GetLastError() == ERROR_ALREADY_EXISTS) {
        WriteInstallerLog(L"UnPackFromRes::SetOutDir ->The  outDir  %s is exist ", folder);
    } else {
        // Make it parent by parent: A grows by one component ending in a backslash.
        std::wstring built;
        const wchar_t* rest = folder;
        for (const wchar_t* slash = wcschr(rest, L'\\'); slash; slash = wcschr(rest, L'\\')) {
            built.append(rest, slash + 1 - rest);
            rest = slash + 1;
            if (!CreateStep(built.c_str())) return false;
        }
        built.append(rest);
        if (!CreateStep(built.c_str())) return false;
    }
    m_outDirSet = true;
    return true;
}

bool UnPackFromRes::UnPack() {
    if (!m_outDirSet) {
        WriteInstallerLog(L"UnPackFromRes::UnPack ->didn,t set Dir ");
        return false;
    }
    if (!m_initialised) {
        WriteInstallerLog(L"UnPackFromRes::UnPack ->didn,t Init");
        return false;
    }
    FreeList();
    if (!GetResourceList()) {
        WriteInstallerLog(L"UnPackFromRes::UnPack ->GetResourceList Fail");
        return false;
    }
    if (!UnPackFromList()) {
        WriteInstallerLog(L"UnPackFromRes::UnPack ->UnPackFromList Fail");
        return false;
    }
    return true;
}

ResDot* UnPackFromRes::NewDot(UINT resourceId, UINT nameStringId, const wchar_t* folder) {
    const wchar_t* text = nullptr;
    int nameLength = LoadStringW(m_module, nameStringId, (LPWSTR)&text, 0);
    if (nameLength <= 0 || !text) {
        WriteInstallerLog(L"UnPackFromRes::GetResourceList ->no file name in string %u", nameStringId);
        return nullptr;
    }
    // A name longer than a path, or with a zero character in it, would be cut.
    std::wstring name(text, (size_t)nameLength);
    if (name.size() >= MAX_PATH || name.find(L'\0') != std::wstring::npos) {
        WriteInstallerLog(L"UnPackFromRes::GetResourceList ->unusable file name in string %u", nameStringId);
        return nullptr;
    }
    size_t length = wcslen(folder) + 1 + name.size() + 1;
    ResDot* dot = new ResDot{nameStringId, resourceId, _wcsdup(m_type), new wchar_t[length],
                             INVALID_HANDLE_VALUE, nullptr};
    _snwprintf(dot->path, length, L"%s\\%s", folder, name.c_str());
    dot->path[length - 1] = L'\0';
    return dot;
}

static void FreeDot(ResDot* dot) {
    if (dot->hold != INVALID_HANDLE_VALUE) CloseHandle(dot->hold);
    free(dot->type);
    delete[] dot->path;
    delete dot;
}

bool UnPackFromRes::GetResourceList() {
    if (!m_outDirSet) {
        WriteInstallerLog(L"UnPackFromRes::GetResourceList ->didn,t set Dir ");
        return false;
    }
    if (!m_initialised) {
        WriteInstallerLog(L"UnPackFromRes::GetResourceList ->didn,t Init");
        return false;
    }
    std::wstring folder = m_outDir ? m_outDir : L"";
    // The string as the table holds it, whatever its length: a copy into a
    // fixed buffer would cut a long list silently, maybe inside an id.
    const wchar_t* text = nullptr;
    int textLength = LoadStringW(m_module, m_listStringId, (LPWSTR)&text, 0);
    if (textLength <= 0 || !text) {
        WriteInstallerLog(L"UnPackFromRes::GetResourceList ->load table fail");
        return false;
    }
    std::wstring list(text, (size_t)textLength);
    if (list.find(L'\0') != std::wstring::npos) {
        WriteInstallerLog(L"UnPackFromRes::GetResourceList ->zero character in \"%s\"", list.c_str());
        return false;
    }
    // Items separated by ","; the last one has none after it. A malformed
    // item, an empty one included, fails the whole list, and so does a
    // missing file name: the entries are added only once every item is good.
    std::vector<ResDot*> dots;
    bool good = true;
    std::wstring rest(list);
    for (;;) {
        size_t comma = rest.find(L',');
        std::wstring item = rest.substr(0, comma);
        UINT resourceId = 0, nameId = 0;
        if (!ParseResItem(item.c_str(), &resourceId, &nameId)) {
            WriteInstallerLog(L"UnPackFromRes::GetResourceList ->bad item \"%s\" in \"%s\"", item.c_str(), list.c_str());
            good = false;
            break;
        }
        ResDot* dot = NewDot(resourceId, nameId, folder.c_str());
        if (!dot) {
            good = false;
            break;
        }
        dots.push_back(dot);
        if (comma == std::wstring::npos) break;
        rest.erase(0, comma + 1);
    }
    size_t added = 0;
    while (good && added < dots.size() && AddDotToResList(dots[added])) added++;
    if (good && added == dots.size()) return true;
    for (size_t i = added; i < dots.size(); i++) FreeDot(dots[i]);
    if (added) FreeList();  // never a part of the list
    return false;
}

bool UnPackFromRes::AddDotToResList(ResDot* entry) {
    if (!entry) return false;
    entry->next = nullptr;
    if (m_count == 0 && !m_first) {
        m_first = entry;
        m_count = 1;
        return true;
    }
    if (m_count == 1 && !m_last) {
        m_first->next = entry;
        m_last = entry;
        m_count = 2;
        return true;
    }
    if (m_count != 0 && m_count != 1) {
        m_last->next = entry;
        m_last = entry;
        m_count++;
        return true;
    }
    WriteInstallerLog(L"UnPackFromRes::AddDotToResList ->List unknow error!");
    return false;
}

// The written file, opened again for reading only and with no one else
// allowed to write, rename or delete it, then compared with the resource: a
// file swapped in the moment between writing and holding is caught here.
static HANDLE HoldWrittenFile(const wchar_t* path, const void* bytes, DWORD size) {
    HANDLE hold = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hold == INVALID_HANDLE_VALUE) return hold;
    LARGE_INTEGER length = {};
    bool same = GetFileSizeEx(hold, &length) && length.QuadPart == size;
    std::vector<BYTE> back(same ? size : 0);
    DWORD got = 0;
    same = same && (size == 0 || (ReadFile(hold, back.data(), size, &got, nullptr) && got == size &&
                                  memcmp(back.data(), bytes, size) == 0));
    if (!same) {
        CloseHandle(hold);
        return INVALID_HANDLE_VALUE;
    }
    return hold;
}

bool UnPackFromRes::WriteResource(ResDot* entry) {
    if (!m_module) return false;
    HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(entry->resourceId), entry->type);
    if (!found) return false;
    DWORD size = SizeofResource(m_module, found);
    if (size == 0) return false;
    HGLOBAL loaded = LoadResource(m_module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    HANDLE file = CreateFileW(entry->path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes, size, &written, nullptr);  // straight from the mapped resource
    CloseHandle(file);
    if (!ok) return false;
    entry->hold = HoldWrittenFile(entry->path, bytes, size);
    if (entry->hold == INVALID_HANDLE_VALUE) {
        WriteInstallerLog(L"UnPackFromRes::UnPackFromList ->%s changed after it was written, or can't be held",
                          entry->path);
        return false;
    }
    return true;
}

bool UnPackFromRes::UnPackFromList() {
    if (m_count == 0) {
        WriteInstallerLog(L"UnPackFromRes::UnPackFromList ->List unknow error!");
        return false;
    }
    ResDot* dot = m_first;
    for (int i = 0; i < m_count; i++, dot = dot->next) {
        if (!dot) return false;
        if (!WriteResource(dot)) {
            WriteInstallerLog(L"UnPackFromRes::UnPackFromList ->Get Source %s fail!", dot->path);
            return false;
        }
    }
    return true;
}

void UnPackFromRes::ReleaseHolds() {
    for (ResDot* dot = m_first; dot; dot = dot->next) {
        if (dot->hold != INVALID_HANDLE_VALUE) CloseHandle(dot->hold);
        dot->hold = INVALID_HANDLE_VALUE;
    }
}

bool UnPackFromRes::DelFiles() {
    if (m_count == 0 || !m_first) return true;
    ReleaseHolds();
    ResDot* dot = m_first;
    for (int i = 0; i < m_count; i++, dot = dot->next) {
        if (!dot) return false;
        if (GetFileAttributesW(dot->path) == INVALID_FILE_ATTRIBUTES) {
            WriteInstallerLog(L"UnPackFromRes::DelFiles-> Can't find %s", dot->path);
            continue;
        }
        if (!DeleteFileW(dot->path)) MoveFileExW(dot->path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    FreeList();
    return true;
}

void UnPackFromRes::FreeList() {
    for (ResDot* dot = m_first; dot;) {
        ResDot* next = dot->next;
        FreeDot(dot);
        dot = next;
    }
    m_first = m_last = nullptr;
    m_count = 0;
}
