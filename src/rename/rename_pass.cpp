// Placeholder until this stage is built.
#include "rename/rename_pass.h"

void RenameToShortNames(RunState&, const char16_t*) {}
