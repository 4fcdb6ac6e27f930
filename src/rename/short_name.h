// Name rules for the 8.3 names the player finds folders and tracks by.
#pragma once

#include <cstdint>

// True when a folder may keep its present name: base of at most 8 units
// without '.' or ' ', extension of at most 3 units, no unit >= 0x80, and
// not a device name (IsDeviceName), which Windows could not open.
bool IsAcceptableShortName(const char16_t* name);

// True when Windows takes the name for a device: the part before its first
// dot, blanks at its end ignored, is CON, PRN, AUX, NUL, COM1 to COM9 or
// LPT1 to LPT9 in any case ('aux', 'CON.txt', 'com1.mp3', 'NUL .x').
bool IsDeviceName(const char16_t* name);

// True for a folder the operating systems keep for themselves, left like a
// '_' folder (never renamed, entered or listed): a name beginning with '.'
// or '$' ('.Trashes', '$RECYCLE.BIN'), RECYCLER, or FOUND.nnn with three
// digits (chkdsk's), in any case. Code page 932 names as UTF-16 ones: the
// rule is ASCII alone.
bool IsSystemsOwnFolder(const char16_t* name);
bool IsSystemsOwnFolder(const char* name);

// True for a file a Mac writes beside another to hold its Finder data
// ('._Song.mp3'): never a track, whatever its extension.
bool IsAppleDoubleFile(const char16_t* name);
bool IsAppleDoubleFile(const char* name);

// True as soon as one unit is 0x80 or above.
bool HasNonAsciiChar(const char16_t* name);

// True for a name that begins with 'System' in any case ('System Volume
// Information' and the like): such folders keep their names, and nothing
// of cardprep's is written into them.
bool IsSystemFolderName(const char16_t* name);

// True when the Shift-JIS text holds a double-byte character.
bool HasDoubleByteChar(const char* text);

// The candidate new name of a folder (at most 8 units, out holds 9):
// "%05ld" of folderNumber (which then advances) for a name with a
// non-ASCII unit or without letters and digits, or whose letters and digits
// spell COM1 to COM9 or LPT1 to LPT9 (every suffix of the free-name search
// would spell a device too); else its letters and digits, at most 8.
// Returns true when the candidate is numeric.
bool MakeFolderShortName(const char16_t* oldName, int32_t& folderNumber, char16_t* out);

// The track name of the n-th MP3 file of a folder: "%03d.MP3".
void MakeTrackShortName(int n, char16_t* out, int units);

// The free-name search for a folder's candidate: while parentPath\candidate
// exists (by the caller's test) or the candidate is a device name (taken on
// every host alike: 'AUX' becomes 'AU1'), a numeric candidate becomes the
// next "%05ld" of folderNumber (which advances), a letters-and-digits one
// gets its last unit overwritten by '1', '2', ... in turn. path receives
// parentPath\candidate. Returns false when no name can be given: the path
// would need more than pathUnits - 1 units, or the numbers ran out.
bool FindFreeFolderName(const char16_t* parentPath, char16_t* candidate, bool numeric,
                        int32_t& folderNumber, bool (*exists)(const char16_t* path), char16_t* path,
                        int pathUnits);
