// Network name and key rules: validity, the default name from the adapter's
// MAC address, random keys, and the stored form of the key.
#pragma once

// 1 when every character of `text` is in the class's set (also for "").
int IsTextInClass(const wchar_t* text, int charClass);

// "Q8_" + bytes 3..5 of the first listed adapter's MAC; `out` is left
// unchanged when no MAC table row matches. `out` holds at least 16 characters.
void MakeDefaultSsid(wchar_t* out);

// Eight characters: five of "wertyuipasdfhjkzxcvbnm", three of "23456789".
void MakeRandomKey(wchar_t* out);

// Stored form, each in place in a buffer of `count` characters.
void ScrambleKey(wchar_t* key, int count);
void PercentEscapeKey(wchar_t* key, int count);
void PercentUnescapeKey(wchar_t* key, int count);
void UnscrambleKey(wchar_t* key, int count);
void EncodeStoredKey(wchar_t* key, int count);  // ScrambleKey, then PercentEscapeKey
void DecodeStoredKey(wchar_t* key, int count);  // PercentUnescapeKey, then UnscrambleKey
