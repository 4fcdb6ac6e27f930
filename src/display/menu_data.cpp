// Placeholder until this stage is built.
#include "display/menu_data.h"

void WriteMenuData(RunState&) {}
