// The simulated world shared by every stand-in: one UTF-8 INI file that
// describes the adapters plugged into the PC, the driver library's answers
// and the PC's connections. Readers load it whole on each use, writers
// replace it atomically, so it can change while the utility runs.
// The format is documented in docs/simulator.md.
#pragma once
#include <map>
#include <string>

class SimWorld {
public:
    // Section -> key -> value, all UTF-16.
    typedef std::map<std::wstring, std::map<std::wstring, std::wstring>> Sections;

    bool Load(const std::wstring& path);        // false when missing or unreadable (world stays empty)
    bool Save(const std::wstring& path) const;  // temp file + rename

    std::wstring Get(const std::wstring& section, const std::wstring& key, const std::wstring& def = L"") const;
    int GetInt(const std::wstring& section, const std::wstring& key, int def) const;
    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void SetInt(const std::wstring& section, const std::wstring& key, int value);
    void Erase(const std::wstring& section, const std::wstring& key);
    void EraseSection(const std::wstring& section);
    bool HasSection(const std::wstring& section) const;

    Sections sections;
};

// The world file's path: %Q8SIM_WORLD%, else "sim_world.ini" beside `module`
// (the stand-in's own DLL or program).
std::wstring SimWorldPath(void* module);

// A companion file in the world file's folder ("sim_calls.log", ...).
std::wstring SimWorldSibling(const std::wstring& worldPath, const wchar_t* name);

// A whole file's bytes, read while others may write or replace it; empty when missing.
std::string SimReadFile(const std::wstring& path);

std::string SimToUtf8(const std::wstring& text);
std::wstring SimFromUtf8(const std::string& text);
