// Placeholder until this stage is built.
#include "font/oled_render.h"

void MakeOLEDdataOfString(RunState&, const char*, int, int32_t& layoutCode, int32_t& width) { layoutCode = 0; width = 0; }
