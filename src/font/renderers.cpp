// Placeholder until this stage is built.
#include "font/renderers.h"

int MakeTwoLineDataOfString(const RunState&, uint8_t*, uint8_t*, uint8_t*, int, const char*) { return 0; }
void MakeStripDataOfString(const RunState&, uint8_t*, const char*, int) {}
void MakeHalfWidthDataOfString(const RunState&, uint8_t*, const char*, int32_t& width) { width = 0; }
