#include "restore/restore_walk.h"

#include <algorithm>

#include "base/console.h"
#include "platform/host.h"
#include "rename/rename_report.h"
#include "restore/catalogue_files.h"
#include "restore/messages.h"
#include "text/wide.h"

namespace {

constexpr int kPathUnits = 520;
constexpr int kFolderPathUnits = 260;
constexpr int kMaxFolders = 4000;

// The renamed folders, found by the first pass: about 2 MiB, never on the
// stack.
struct FolderTable {
  char16_t paths[kMaxFolders][kFolderPathUnits];
  int depth[kMaxFolders];
  int order[kMaxFolders];
  int count;
  bool full;
};
FolderTable folders;

struct Walk {
  RestoreRun& run;
  const char16_t* root;
  CatalogueEvidence evidence;
  // The work log and the folder lists, removed after every other file of
  // cardprep's: they are what shows the rest is.
  char16_t proofs[4][16];
  int proofCount;
  int catalogueLeft;  // files of cardprep's that could not be removed
};

void AddFolder(RestoreRun& run, const char16_t* path, int depth) {
  if (folders.count == kMaxFolders || !WideCopy(folders.paths[folders.count], kFolderPathUnits, path)) {
    // Given back on a later run, once these have theirs.
    if (!folders.full) {
      ReportArg a;
      ConsolePrintf(kMsgTooManyFolders, ReportText(a, path));
    }
    folders.full = true;
    ++run.left;
    return;
  }
  folders.depth[folders.count] = depth;
  folders.order[folders.count] = folders.count;
  ++folders.count;
}

// False when the file could not be removed (reported).
bool RemoveCatalogueFile(RestoreRun& run, const char16_t* folder, const char16_t* name) {
  char16_t path[kPathUnits];
  ReportArg a;
  if (!WideJoinPath(path, kPathUnits, folder, name)) return true;
  if (run.dryRun) {
    if (run.printPlan) ConsolePrintf(kMsgPlannedRemoval, ReportText(a, path));
    ++run.removed;
    return true;
  }
  unsigned long error = HostRemoveFile(path);
  if (error != 0) {
    ConsolePrintf(kMsgCannotRemove, error, ReportText(a, path));
    ++run.left;
    return false;
  }
  ++run.removed;
  return true;
}

// A file of folder in --remove-catalogue: removed when it is cardprep's,
// kept for the end when it is what shows that, named when it is a link.
void TakeCatalogueEntry(Walk& walk, const char16_t* folder, bool atRoot, bool catalogueFolder,
                        const HostFindEntry& entry) {
  RestoreRun& run = walk.run;
  switch (ClassifyEntry(walk.evidence, folder, atRoot, catalogueFolder, entry)) {
    case CatalogueKind::kFile:
      if (!RemoveCatalogueFile(run, folder, entry.name)) ++walk.catalogueLeft;
      break;
    case CatalogueKind::kEvidence:
      if (walk.proofCount < 4 && WideCopy(walk.proofs[walk.proofCount], 16, entry.name)) {
        ++walk.proofCount;
      }
      break;
    case CatalogueKind::kLink:
      // Said once: by the run that changes the card, or by a dry run.
      if (!run.dryRun || run.printPlan) {
        ReportArg a;
        ConsolePrintf(kMsgLinkKept, ReportPath(a, folder, entry.name));
      }
      break;
    default:
      break;
  }
}

// The work log and the folder lists go once every other file of cardprep's
// went, and before any folder gets its old name back (the lists name the
// folders by their new names). The work log first: a run stopped between
// leaves lists that still name the card's folders, which a next run takes
// as proof enough of themselves.
void RemoveProofs(Walk& walk) {
  RestoreRun& run = walk.run;
  for (bool workLog : {true, false}) {
    if (walk.catalogueLeft > 0 || (!run.dryRun && HostInterruptPending())) return;
    for (int i = 0; i < walk.proofCount; ++i) {
      if (IsWorkLogName(walk.proofs[i]) != workLog) continue;
      if (!RemoveCatalogueFile(run, walk.root, walk.proofs[i])) ++walk.catalogueLeft;
    }
  }
}

// The first pass over folder and below. renamedHere: the rename pass
// visits this folder (it never enters one whose name begins with '_').
void WalkFolder(Walk& walk, const char16_t* folder, bool atRoot, bool renamedHere, int depth) {
  RestoreRun& run = walk.run;
  const bool catalogueFolder = run.removeCatalogue && !atRoot &&
                               IsCatalogueFolder(walk.evidence, walk.root, folder, renamedHere);
  HostFind find;
  HostFindEntry entry;
  if (HostFindFirst(find, folder, u"*.*", entry)) {
    do {
      if (entry.unusable || entry.tooLong || HostIsDotName(entry.name, WideLength(entry.name))) {
        continue;
      }
      if (!entry.isDirectory) {
        if (run.removeCatalogue) TakeCatalogueEntry(walk, folder, atRoot, catalogueFolder, entry);
        continue;
      }
      char16_t child[kPathUnits];
      if (!WideJoinPath(child, kPathUnits, folder, entry.name)) {
        ReportArg a;
        ConsolePrintf(kMsgPathTooLong, ReportPath(a, folder, entry.name));
        ++run.left;
        continue;
      }
      if (renamedHere && IsRenamedFolder(child, entry.name)) {
        AddFolder(run, child, depth + 1);
      }
      WalkFolder(walk, child, false, renamedHere && entry.name[0] != u'_', depth + 1);
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
  // The folder's own files last: its RENFIL04.LOG, which goes with its last
  // line, is one of the things that show cardprep's files in it as
  // cardprep's, so a stopped run must not leave them without it.
  if (renamedHere) RestoreFileNames(run, folder);
}

}  // namespace

void RestoreCard(RestoreRun& run, const char16_t* root) {
  folders.count = 0;
  folders.full = false;
  Walk walk{run, root, {}, {}, 0, 0};
  if (run.removeCatalogue) ReadCatalogueEvidence(root, walk.evidence);
  WalkFolder(walk, root, true, true, 0);
  RemoveProofs(walk);
  // Deepest first; a folder's own moves never change the path of one as
  // deep or deeper elsewhere.
  std::sort(folders.order, folders.order + folders.count, [](int a, int b) {
    return folders.depth[a] != folders.depth[b] ? folders.depth[a] > folders.depth[b] : a < b;
  });
  for (int k = 0; k < folders.count; ++k) {
    if (!run.dryRun && HostInterruptPending()) break;
    RestoreFolderName(run, folders.paths[folders.order[k]]);
  }
  if (!run.dryRun) HostDeliverInterrupt();
}
