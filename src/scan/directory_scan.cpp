// Placeholder until this stage is built.
#include "scan/directory_scan.h"

int ReadDirectoryStructure(RunState&) { return 0; }
void MakeSortKey(const char*, char* sortKey) { sortKey[0] = 0; }
