// The one record of a run, made of the parts its stages own: the settings
// and the work log, the fonts, the image buffers, the folder's name tables
// and the folder table. A stage or renderer takes the parts it uses (a
// RunState is each of them). Every table has a fixed size and its own
// count. The program keeps one static instance; tests make theirs with
// std::make_unique<RunState>() (it is too large for a Windows stack).
#pragma once

#include "state/folder_table.h"
#include "state/image_buffers.h"
#include "state/loaded_fonts.h"
#include "state/name_tables.h"
#include "state/run_limits.h"
#include "state/run_settings.h"

struct RunState : RunSettings, WorkLogFile, ImageBuffers, NameTables, FolderTable, FontSet {};
