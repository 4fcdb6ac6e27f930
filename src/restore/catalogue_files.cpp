// How a file is known to be cardprep's, conservatively: by cardprep's own
// layout, never by its name alone.
//
// - Where: root files (the folder lists, the index, the images, the menus,
//   the history, error log and plugin files, the work log) only in the card's
//   root; track lists and volume files only in a folder the folder scan
//   writes into (one whose name does not begin with '_' or "System").
// - Which run: a file that only the runs of some models write counts only
//   when the root holds that model's folder list (DIRLST04.DAT for models 4
//   and 6, DIRLST08.DAT for 8, DIRLST10.DAT for 10 and 12), itself a whole
//   number of its records; the work log when the rename pass ran in the
//   root. Such a run writes each of these names anew, replacing what held
//   it, so a file of that name there is the run's.
// - What: where the layout fixes a size, the file has it (track lists and
//   folder lists whole records, a volume file two bytes, the history ten
//   bytes, an error log 8000).
// A folder, a link, or a file that fails any test is the user's and stays.
#include "restore/catalogue_files.h"

#include <cstdio>

#include "platform/host.h"
#include "rename/short_name.h"
#include "text/wide.h"

namespace {

constexpr int kPathUnits = 520;

enum Need { kAnyRun, kRun04, kRun08, kRun10, kWorkLog };

struct Layout {
  const char16_t* name;
  Need need;
  long record;  // the size is a whole number of these (0: any size)
  long size;    // exactly this size (0: any)
};

constexpr Layout kRootFiles[] = {
    {u"DIRLST04.DAT", kRun04, 128, 0},  {u"DIRLST08.DAT", kRun08, 1280, 0},
    {u"DIRLST10.DAT", kRun10, 512, 0},  {u"INDEX10.DAT", kRun10, 0, 0},
    {u"MNUDAT10.DAT", kRun10, 0, 0},    {u"MNUDAT12.DAT", kRun10, 0, 0},
    {u"CHRIMG10.DAT", kRun10, 0, 0},    {u"MSGIMG08.DAT", kRun08, 0, 0},
    {u"HIST04.DAT", kAnyRun, 0, 10},    {u"ERRLOG04.DAT", kAnyRun, 0, 8000},
    {u"ERRLOG04_BK.DAT", kAnyRun, 0, 8000}, {u"PSHFT131.DAT", kAnyRun, 0, 0},
    {u"SPEANA.DAT", kAnyRun, 0, 0},     {u"CARDPREP.LOG", kWorkLog, 0, 0},
};

constexpr Layout kFolderFiles[] = {
    {u"SNDLST04.DAT", kRun04, 64, 0},   {u"SNDLST08.DAT", kRun08, 1216, 0},
    {u"SNDLST10.DAT", kRun10, 448, 0},  {u"VOLUME04.DAT", kRun04, 0, 2},
    {u"VOLUME06.DAT", kRun04, 0, 2},    {u"VOLUME08.DAT", kRun08, 0, 2},
    {u"VOLUME09.DAT", kRun08, 0, 2},    {u"VOLUME10.DAT", kRun10, 0, 2},
    {u"VOLUME12.DAT", kRun10, 0, 2},
};

// The size of a regular file, or -1 (missing, a folder, unreadable).
long FileSize(const char16_t* path) {
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return -1;
  long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  std::fclose(file);
  return size;
}

bool FitsLayout(const Layout& layout, long size) {
  if (size < 0) return false;
  if (layout.size != 0 && size != layout.size) return false;
  return layout.record == 0 || size % layout.record == 0;
}

bool RunMade(const CatalogueEvidence& e, Need need) {
  switch (need) {
    case kRun04:
      return e.list04;
    case kRun08:
      return e.list08;
    case kRun10:
      return e.list10;
    case kWorkLog:
      return e.renamed || e.list04 || e.list08 || e.list10;
    default:
      return e.list04 || e.list08 || e.list10;
  }
}

bool IsScannedFolderName(const char16_t* name) {
  return name[0] != u'_' && !IsSystemFolderName(name);
}

bool Holds(const char16_t* folder, const char16_t* name, const Layout& layout) {
  char16_t path[kPathUnits];
  return WideJoinPath(path, kPathUnits, folder, name) && FitsLayout(layout, FileSize(path));
}

// A folder list of at least its root row.
bool HoldsList(const char16_t* root, const Layout& layout) {
  char16_t path[kPathUnits];
  if (!WideJoinPath(path, kPathUnits, root, layout.name)) return false;
  long size = FileSize(path);
  return size > 0 && FitsLayout(layout, size);
}

}  // namespace

void ReadCatalogueEvidence(const char16_t* root, CatalogueEvidence& e) {
  e.list04 = HoldsList(root, kRootFiles[0]);
  e.list08 = HoldsList(root, kRootFiles[1]);
  e.list10 = HoldsList(root, kRootFiles[2]);
  char16_t log[kPathUnits];
  e.renamed = WideJoinPath(log, kPathUnits, root, u"RENFIL04.LOG") && HostExists(log);
}

bool IsCatalogueFile(const CatalogueEvidence& evidence, const char16_t* folderPath,
                     const char16_t* folderName, bool atRoot, const char16_t* name) {
  if (!atRoot && !IsScannedFolderName(folderName)) return false;
  const Layout* table = atRoot ? kRootFiles : kFolderFiles;
  int count = atRoot ? sizeof kRootFiles / sizeof kRootFiles[0]
                     : sizeof kFolderFiles / sizeof kFolderFiles[0];
  for (int i = 0; i < count; ++i) {
    // Spelled as cardprep spells it, in any case (FAT holds one of them).
    if (!WideEqualsIgnoreAsciiCase(table[i].name, name)) continue;
    return RunMade(evidence, table[i].need) && Holds(folderPath, name, table[i]);
  }
  return false;
}

bool IsFolderListName(const char16_t* name) {
  for (int i = 0; i < 3; ++i) {
    if (WideEqualsIgnoreAsciiCase(kRootFiles[i].name, name)) return true;
  }
  return false;
}
