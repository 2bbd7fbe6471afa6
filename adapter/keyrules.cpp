// Network name and key rules: the character classes, the default name from
// the adapter's MAC address, random keys, and the stored form of the key in
// the settings file (scrambled, then percent-escaped; decoded the other way).
// rand_s, the fallback generator, is declared only when this is set first.
#define _CRT_RAND_S
#include "adapter/keyrules.h"

#include <windows.h>
#include <bcrypt.h>

#include "adapter/ops.h"
#include "app/log.h"
#include "app/shared_lock.h"
#include "netenv/discovery.h"

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const int KEY_PLAIN_MAX = 255;     // narrow bytes of the plain key taken by the scramble step
const int KEY_ESCAPED_MAX = 1023;  // narrow bytes taken by the percent step
const int KEY_TABLE_SIZE = 256;
const BYTE KEY_ESCAPE_MARK = 0x7F;  // introduces a byte written as two hex digits

const char HEX_DIGITS[] = "0123456789ABCDEF";

// The scrambling table: 256 values 0..9 from a fixed linear congruential
// sequence. Changing the constants changes every stored key, so they stay.
void BuildKeyTable(BYTE table[KEY_TABLE_SIZE]) {
    unsigned int state = 0x5A28u;
    for (int i = 0; i < KEY_TABLE_SIZE; i++) {
        state = state * 1664525u + 1013904223u;
        table[i] = (BYTE)((state >> 24) % 10);
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The escape test of both steps: signed value 30 or less, so 0x00..0x1E and
// every byte 0x80..0xFF.
bool IsLowOrHighByte(BYTE b) { return (signed char)b <= 30; }

// Bytes of one character starting at `i` (a double-byte character is never split).
size_t CharBytes(const std::string& s, size_t i) {
    return (IsDBCSLeadByte((BYTE)s[i]) && i + 1 < s.size()) ? 2 : 1;
}

// At most `count` characters of `text`, never reading past the buffer.
size_t BoundedLength(const wchar_t* text, int count) { return wcsnlen(text, (size_t)count); }

// UTF-16 to the ANSI code page, cut to `maxBytes` on a character boundary
// (maxBytes < 0: no limit).
std::string WideToAnsi(const wchar_t* text, size_t length, int maxBytes) {
    std::string out;
    if (length == 0) return out;
    int n = WideCharToMultiByte(CP_ACP, 0, text, (int)length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return out;
    out.resize((size_t)n);
    n = WideCharToMultiByte(CP_ACP, 0, text, (int)length, &out[0], n, nullptr, nullptr);
    out.resize(n > 0 ? (size_t)n : 0);
    if (maxBytes >= 0 && out.size() > (size_t)maxBytes) {
        size_t keep = 0;
        while (keep < out.size()) {
            size_t step = CharBytes(out, keep);
            if (keep + step > (size_t)maxBytes) break;
            keep += step;
        }
        out.resize(keep);
    }
    return out;
}

// ANSI code page to UTF-16 into `out` (room for `count` characters), up to the
// first zero byte; cut to count - 1 characters without splitting a surrogate pair.
void AnsiToWide(const std::string& bytes, wchar_t* out, int count) {
    if (count <= 0) return;
    size_t length = 0;
    while (length < bytes.size() && bytes[length] != '\0') length++;
    out[0] = L'\0';
    if (length == 0) return;
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)length, nullptr, 0);
    if (n <= 0) return;
    std::vector<wchar_t> wide((size_t)n);
    n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)length, wide.data(), n);
    if (n <= 0) return;
    int keep = n < count - 1 ? n : count - 1;
    if (keep < n && keep > 0 && IS_HIGH_SURROGATE(wide[keep - 1])) keep--;
    for (int i = 0; i < keep; i++) out[i] = wide[i];
    out[keep] = L'\0';
}

// Plain to intermediate form: bytes of 30 or less and 0x7F become 0x7F and two
// hex digits, then each byte is XORed with the table, the terminator's position
// included (a non-zero table byte there leaves one extra trailing character,
// which decoding turns back into the terminator). The escaped bytes are all
// 0x1F or more and the table values below 16, so no XOR result is zero inside
// the text. Whole plain characters only: output of at most `room` bytes.
std::string ScrambleBytes(const std::string& plain, size_t room, bool* bCut) {
    std::string escaped;
    *bCut = false;
    for (size_t i = 0; i < plain.size();) {
        size_t step = CharBytes(plain, i);
        std::string piece;
        for (size_t k = 0; k < step; k++) {
            BYTE b = (BYTE)plain[i + k];
            if (IsLowOrHighByte(b) || b == KEY_ESCAPE_MARK) {
                piece += (char)KEY_ESCAPE_MARK;
                piece += HEX_DIGITS[b >> 4];
                piece += HEX_DIGITS[b & 15];
            } else {
                piece += (char)b;
            }
        }
        if (escaped.size() + piece.size() > room) {
            *bCut = true;
            break;
        }
        escaped += piece;
        i += step;
    }
    BYTE table[KEY_TABLE_SIZE];
    BuildKeyTable(table);
    size_t length = escaped.size();
    for (size_t i = 0; i < length; i++) escaped[i] = (char)((BYTE)escaped[i] ^ table[i % KEY_TABLE_SIZE]);
    BYTE extra = table[length % KEY_TABLE_SIZE];
    if (extra != 0) {
        if (length + 1 <= room) escaped += (char)extra;
        else *bCut = true;  // decodes the same without it
    }
    return escaped;
}

// Bytes of 30 or less, space, "%" and "]" become "%" and two hex digits. The
// result is ASCII. Whole input characters only: at most `room` bytes.
std::string PercentEscapeBytes(const std::string& in, size_t room, bool* bCut) {
    std::string out;
    *bCut = false;
    for (size_t i = 0; i < in.size();) {
        size_t step = CharBytes(in, i);
        std::string piece;
        for (size_t k = 0; k < step; k++) {
            BYTE b = (BYTE)in[i + k];
            if (IsLowOrHighByte(b) || b == ' ' || b == '%' || b == ']') {
                piece += '%';
                piece += HEX_DIGITS[b >> 4];
                piece += HEX_DIGITS[b & 15];
            } else {
                piece += (char)b;
            }
        }
        if (out.size() + piece.size() > room) {
            *bCut = true;
            break;
        }
        out += piece;
        i += step;
    }
    return out;
}

// Replaces each `mark` and two hex digits by that byte, left to right; from
// the first mark without two hex digits on, the rest is kept as it stands.
std::string UnescapeBytes(const std::string& in, char mark) {
    std::string out;
    for (size_t i = 0; i < in.size(); i++) {
        if (in[i] != mark) {
            out += in[i];
            continue;
        }
        int hi = i + 1 < in.size() ? HexValue(in[i + 1]) : -1;
        int lo = i + 2 < in.size() ? HexValue(in[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
            out.append(in, i, std::string::npos);
            break;
        }
        out += (char)(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// Intermediate to plain form: XOR the first `n` bytes (never more than there
// are), cut at the first zero (the extra trailing character becomes the
// terminator), then undo the 0x7F escapes.
std::string UnscrambleBytes(std::string in, size_t n) {
    BYTE table[KEY_TABLE_SIZE];
    BuildKeyTable(table);
    if (n > in.size()) n = in.size();
    for (size_t i = 0; i < n; i++) in[i] = (char)((BYTE)in[i] ^ table[i % KEY_TABLE_SIZE]);
    size_t zero = in.find('\0');
    if (zero != std::string::npos) in.resize(zero);
    return UnescapeBytes(in, (char)KEY_ESCAPE_MARK);
}

bool IsInClassSet(wchar_t c, int charClass) {
    bool bDigit = c >= L'0' && c <= L'9';
    bool bUpper = c >= L'A' && c <= L'Z';
    bool bLower = c >= L'a' && c <= L'z';
    switch (charClass) {
    case 1: return bDigit || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
    case 2: return bDigit || bUpper || bLower;
    case 3: return c >= 0x21 && c <= 0x7E && c != L'"';
    default: return c >= 0x20 && c <= 0x7E;
    }
}

}  // namespace

int IsTextInClass(const wchar_t* text, int charClass) {
    if (!text) return 1;
    for (const wchar_t* p = text; *p; p++) {
        if (!IsInClassSet(*p, charClass)) return 0;
    }
    return 1;
}

void MakeDefaultSsid(wchar_t* out) {
    if (!out) return;
    // Copy the adapter's GUID and the MAC table out, then search the copies.
    wchar_t guid[Q8_GUID_TEXT_MAX];
    std::vector<MacEntry> rows;
    {
        SHARED_RECORD_GUARD;
        wmemcpy(guid, adapterList.entries[0].guid, Q8_GUID_TEXT_MAX);
        int count = gMacCount;
        if (count < 0) count = 0;
        if (count > MAC_TABLE_MAX) count = MAC_TABLE_MAX;
        rows.assign(gMacTable, gMacTable + count);
    }
    guid[Q8_GUID_TEXT_MAX - 1] = L'\0';
    if (guid[0] == L'\0') return;  // no listed adapter: nothing can match
    for (MacEntry& row : rows) {
        row.adapterName[259] = L'\0';
        if (wcscmp(row.adapterName, guid) != 0) continue;
        if (row.addressLength < 6) {
            WriteUiLog(L"{MakeDefaultSsid} short hardware address len=%d name=%s\n", row.addressLength,
                       row.adapterName);
            return;
        }
        _snwprintf(out, 16, L"Q8_%02X%02X%02X", row.address[3], row.address[4], row.address[5]);
        out[15] = L'\0';
        return;
    }
}

// Random bytes from the system's cryptographic generator. A key that anyone
// could rebuild from the time it was made would protect nothing.
static bool CryptoRandomBytes(unsigned char* out, ULONG count) {
    if (BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out, count, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return true;
    for (ULONG i = 0; i < count; i++) {
        unsigned int value = 0;
        if (rand_s(&value) != 0) return false;
        out[i] = (unsigned char)value;
    }
    return true;
}

// One index below `range`, without the bias of a plain modulo: bytes at or
// above the last whole multiple of `range` are drawn again.
static bool CryptoRandomIndex(int range, int* index) {
    const int limit = 256 - 256 % range;
    for (int tries = 0; tries < 64; tries++) {
        unsigned char b = 0;
        if (!CryptoRandomBytes(&b, 1)) return false;
        if (b < limit) {
            *index = b % range;
            return true;
        }
    }
    return false;
}

void MakeRandomKey(wchar_t* out) {
    if (!out) return;
    static const char letters[] = "wertyuipasdfhjkzxcvbnm";
    static const char digits[] = "23456789";
    wchar_t key[9];
    int n = 0, index = 0;
    for (int i = 0; i < 5; i++) {
        if (!CryptoRandomIndex(ARRAYSIZE(letters) - 1, &index)) break;
        key[n++] = (wchar_t)letters[index];
    }
    for (int i = 0; i < 3 && n >= 5; i++) {
        if (!CryptoRandomIndex(ARRAYSIZE(digits) - 1, &index)) break;
        key[n++] = (wchar_t)digits[index];
    }
    if (n != 8) {
        // No randomness to be had: no key rather than a guessable one; the
        // caller's empty key fails the key rules like any other bad key.
        WriteUiLog(L"{MakeRandomKey} no random bytes from the system\n");
        out[0] = L'\0';
        return;
    }
    key[n] = L'\0';
    wmemcpy(out, key, 9);
}

void ScrambleKey(wchar_t* key, int count) {
    if (!key || count <= 0) return;
    std::string plain = WideToAnsi(key, BoundedLength(key, count), KEY_PLAIN_MAX);
    bool bCut = false;
    std::string scrambled = ScrambleBytes(plain, (size_t)(count - 1), &bCut);
    if (bCut) WriteUiLog(L"{ScrambleKey} cut to fit count=%d\n", count);
    AnsiToWide(scrambled, key, count);
}

void PercentEscapeKey(wchar_t* key, int count) {
    if (!key || count <= 0) return;
    std::string in = WideToAnsi(key, BoundedLength(key, count), KEY_ESCAPED_MAX);
    bool bCut = false;
    std::string escaped = PercentEscapeBytes(in, (size_t)(count - 1), &bCut);
    if (bCut) WriteUiLog(L"{PercentEscapeKey} cut to fit count=%d\n", count);
    AnsiToWide(escaped, key, count);
}

void PercentUnescapeKey(wchar_t* key, int count) {
    if (!key || count <= 0) return;
    std::string in = WideToAnsi(key, BoundedLength(key, count), -1);
    AnsiToWide(UnescapeBytes(in, '%'), key, count);
}

void UnscrambleKey(wchar_t* key, int count) {
    if (!key || count <= 0) return;
    size_t n = BoundedLength(key, count);
    std::string in = WideToAnsi(key, n, -1);
    AnsiToWide(UnscrambleBytes(in, n), key, count);
}

// The same two steps as ScrambleKey and PercentEscapeKey, but when the stored
// form does not fit the buffer the plain key is shortened by whole characters
// until it does, so that the stored form always decodes to a prefix of the key
// instead of ending in a broken escape.
void EncodeStoredKey(wchar_t* key, int count) {
    if (!key || count <= 0) return;
    std::string plain = WideToAnsi(key, BoundedLength(key, count), KEY_PLAIN_MAX);
    std::vector<size_t> ends;  // byte offset after each plain character
    for (size_t i = 0; i < plain.size(); i += CharBytes(plain, i)) ends.push_back(i + CharBytes(plain, i));
    size_t room = (size_t)(count - 1);
    size_t chars = ends.size();
    for (;;) {
        std::string prefix = plain.substr(0, chars ? ends[chars - 1] : 0);
        bool bCut = false;
        std::string scrambled = ScrambleBytes(prefix, (size_t)KEY_ESCAPED_MAX, &bCut);
        std::string stored = PercentEscapeBytes(scrambled, (size_t)KEY_ESCAPED_MAX * 3, &bCut);
        if (stored.size() <= room || chars == 0) {
            if (chars < ends.size())
                WriteUiLog(L"{EncodeStoredKey} key cut to %d of %d bytes to fit count=%d\n",
                           (int)prefix.size(), (int)plain.size(), count);
            if (stored.size() > room) stored.clear();
            AnsiToWide(stored, key, count);
            return;
        }
        chars--;
    }
}

void DecodeStoredKey(wchar_t* key, int count) {
    PercentUnescapeKey(key, count);
    UnscrambleKey(key, count);
}
