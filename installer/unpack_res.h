// The installer's payload: resources of its own executable written out as
// files into the work folder before the setup program runs, held against
// change from the moment each is written until it is deleted again. Which
// resources, and under which file names, a string-table list decides
// ("227-137,228-148": resource id - id of the string holding the file name).
#pragma once
#include <windows.h>

// One listed resource and the file it becomes.
struct ResDot {
    UINT nameStringId;
    UINT resourceId;
    wchar_t* type;  // copied from the unpacker
    wchar_t* path;  // output folder, a backslash, the file name
    HANDLE hold;    // read-only, denies writing and deleting; INVALID_HANDLE_VALUE when none
    ResDot* next;
};

// "<resource id>-<name string id>", both decimal 1..65535 and nothing else;
// false for anything malformed.
bool ParseResItem(const wchar_t* item, UINT* resourceId, UINT* nameStringId);

class UnPackFromRes {
public:
    // `outDir` is the work folder's buffer, read when needed (not copied).
    explicit UnPackFromRes(const wchar_t* outDir);
    ~UnPackFromRes();
    UnPackFromRes(const UnPackFromRes&) = delete;
    UnPackFromRes& operator=(const UnPackFromRes&) = delete;

    bool InitResouse(HMODULE module, const wchar_t* type, UINT listStringId);
    bool SetOutDir();
    bool UnPack();
    bool GetResourceList();
    bool AddDotToResList(ResDot* entry);
    bool UnPackFromList();
    // Deletes every listed file (a file in use is removed at the next
    // restart) and empties the list; the holds are let go first.
    bool DelFiles();

    // Lets go of the files (DelFiles does it first).
    void ReleaseHolds();

    int Count() const { return m_count; }
    const ResDot* First() const { return m_first; }

private:
    ResDot* NewDot(UINT resourceId, UINT nameStringId, const wchar_t* folder);
    bool WriteResource(ResDot* entry);
    void FreeList();

    HMODULE m_module = nullptr;
    const wchar_t* m_outDir;
    wchar_t m_type[32] = L"";
    ResDot* m_first = nullptr;
    ResDot* m_last = nullptr;  // empty while the list holds one entry
    int m_count = 0;
    UINT m_listStringId = 0;
    bool m_initialised = false;
    bool m_outDirSet = false;
};
