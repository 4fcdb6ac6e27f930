// Pieces the Win32 host files share (host_win32*.cpp only).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/host.h"

inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* Units(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}

int Length(const char16_t* text);

// True when some component of the path is a name FAT cannot hold, or "..".
// A drive ("E:") in front is not a name.
bool HasFatInvalidName(const char16_t* path);

// out = folder + "\" + name (no doubled separator after a drive root "E:\").
bool Join(char16_t* out, int units, const char16_t* folder, const char16_t* name);

// Room for a path in the form SystemPath gives: "\\?\UNC\" and a path of
// kHostPathUnits.
constexpr int kSystemPathUnits = kHostPathUnits + 16;

// The path as every call to the system takes it: absolute, in its "\\?\"
// form ("\\?\E:\A\aux.mp3", "\\?\UNC\server\share\A"), so that no name
// is taken for a device (aux.mp3, CON) and a path may pass 260 units. A
// card path ("\A", from the drive root of the current directory) or a
// relative one is made absolute from the current directory; '/' becomes
// '\', and empty and "." components go ("..", refused on the card, takes
// one back, never past the drive or share). False when it does not fit.
bool SystemPath(const char16_t* path, char16_t* out, int units);
