// Placeholder until this stage is built.
#include "scan/track_scan.h"

uint16_t ScanFolderTracks(RunState&, const char*) { return 0; }
void WriteDefaultVolumeFile(const char*, const char*) {}
