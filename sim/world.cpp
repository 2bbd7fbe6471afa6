// Simulated world file: load, query, change and save.
#include "sim/world.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

std::string SimToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring SimFromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], n);
    return out;
}

static std::wstring Trim(const std::wstring& s) {
    size_t b = s.find_first_not_of(L" \t\r\n");
    if (b == std::wstring::npos) return std::wstring();
    size_t e = s.find_last_not_of(L" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string SimReadFile(const std::wstring& path) {
    std::string bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buf[8192];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(f);
    return bytes;
}

bool SimWorld::Load(const std::wstring& path) {
    sections.clear();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::string bytes = SimReadFile(path);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::wstring text = SimFromUtf8(bytes);
    std::wstring section;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == L';' || line[0] == L'#') continue;
        if (line[0] == L'[') {
            size_t close = line.find(L']');
            section = Trim(line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
            sections[section];
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        sections[section][Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
    }
    return true;
}

bool SimWorld::Save(const std::wstring& path) const {
    std::string out;
    for (const auto& s : sections) {
        out += "[" + SimToUtf8(s.first) + "]\r\n";
        for (const auto& kv : s.second) out += SimToUtf8(kv.first) + "=" + SimToUtf8(kv.second) + "\r\n";
        out += "\r\n";
    }
    std::wstring temp = path + L".tmp" + std::to_wstring(GetCurrentProcessId());
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(f, out.data(), (DWORD)out.size(), &put, nullptr) && put == out.size();
    CloseHandle(f);
    // A reader that holds the file open this moment makes Wine refuse the
    // replace: try again for a while before giving up.
    bool moved = false;
    for (DWORD start = GetTickCount(); ok && !moved && GetTickCount() - start < 5000;) {
        moved = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        if (!moved) Sleep(10);
    }
    if (!moved) DeleteFileW(temp.c_str());
    return moved;
}

std::wstring SimWorld::Get(const std::wstring& section, const std::wstring& key, const std::wstring& def) const {
    auto s = sections.find(section);
    if (s == sections.end()) return def;
    auto k = s->second.find(key);
    return k == s->second.end() ? def : k->second;
}

int SimWorld::GetInt(const std::wstring& section, const std::wstring& key, int def) const {
    std::wstring v = Get(section, key);
    if (v.empty()) return def;
    return (int)wcstol(v.c_str(), nullptr, 0);
}

void SimWorld::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    sections[section][key] = value;
}

void SimWorld::SetInt(const std::wstring& section, const std::wstring& key, int value) {
    Set(section, key, std::to_wstring(value));
}

void SimWorld::Erase(const std::wstring& section, const std::wstring& key) {
    auto s = sections.find(section);
    if (s != sections.end()) s->second.erase(key);
}

void SimWorld::EraseSection(const std::wstring& section) { sections.erase(section); }

bool SimWorld::HasSection(const std::wstring& section) const { return sections.count(section) != 0; }

std::wstring SimWorldPath(void* module) {
    wchar_t env[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"Q8SIM_WORLD", env, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return env;
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW((HMODULE)module, self, MAX_PATH);
    std::wstring p(self);
    return p.substr(0, p.rfind(L'\\') + 1) + L"sim_world.ini";
}

std::wstring SimWorldSibling(const std::wstring& worldPath, const wchar_t* name) {
    size_t slash = worldPath.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : worldPath.substr(0, slash + 1)) + name;
}
