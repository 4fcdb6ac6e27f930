// Placeholder until this stage is built.
#include "rename/rename_log.h"

bool ReadFileRenameLog(RunState&, const char*) { return false; }
bool FindPreRenameName(const RunState&, const char*, char* out) { out[0] = 0; return false; }
void ReadFolderRenameLog(const char*, char*) {}
