// Placeholder until this stage is built.
#include "rename/short_name.h"

bool IsAcceptableShortName(const char16_t*) { return true; }
bool HasNonAsciiChar(const char16_t*) { return false; }
bool HasDoubleByteChar(const char*) { return false; }
bool MakeFolderShortName(const char16_t*, int32_t&, char16_t* out) { out[0] = 0; return false; }
void MakeTrackShortName(int, char16_t* out, int) { out[0] = 0; }
