// Placeholder until this stage is built.
#include "scan/directory_list.h"

int WriteDirectoryList(RunState&) { return 1; }
