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
  CatalogueEvidence evidence;
  char16_t lists[3][16];  // the root's folder lists, removed at the very end
  int listCount;
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

void RemoveCatalogueFile(RestoreRun& run, const char16_t* folder, const char16_t* name) {
  char16_t path[kPathUnits];
  ReportArg a;
  if (!WideJoinPath(path, kPathUnits, folder, name)) return;
  if (run.dryRun) {
    if (run.printPlan) ConsolePrintf(kMsgPlannedRemoval, ReportText(a, path));
    ++run.removed;
    return;
  }
  unsigned long error = HostRemoveFile(path);
  if (error != 0) {
    ConsolePrintf(kMsgCannotRemove, error, ReportText(a, path));
    ++run.left;
    return;
  }
  ++run.removed;
}

// The first pass over folder and below. renamedHere: the rename pass
// visits this folder (it never enters one whose name begins with '_').
void WalkFolder(Walk& walk, const char16_t* folder, const char16_t* name, bool atRoot,
                bool renamedHere, int depth) {
  RestoreRun& run = walk.run;
  HostFind find;
  HostFindEntry entry;
  if (HostFindFirst(find, folder, u"*.*", entry)) {
    do {
      if (entry.unusable || entry.tooLong || HostIsDotName(entry.name, WideLength(entry.name))) {
        continue;
      }
      if (!entry.isDirectory) {
        if (run.removeCatalogue && IsCatalogueFile(walk.evidence, folder, name, atRoot, entry.name)) {
          if (atRoot && IsFolderListName(entry.name) && walk.listCount < 3 &&
              WideCopy(walk.lists[walk.listCount], 16, entry.name)) {
            ++walk.listCount;
          } else {
            RemoveCatalogueFile(run, folder, entry.name);
          }
        }
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
      WalkFolder(walk, child, entry.name, false, renamedHere && entry.name[0] != u'_', depth + 1);
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
  // The folder's own files last: the root's RENFIL04.LOG, which goes with
  // its last line, is what vouches for the work log as cardprep's, so a
  // stopped run must not leave the work log without it.
  if (renamedHere) RestoreFileNames(run, folder);
}

}  // namespace

void RestoreCard(RestoreRun& run, const char16_t* root) {
  folders.count = 0;
  folders.full = false;
  Walk walk{run, {}, {}, 0};
  ReadCatalogueEvidence(root, walk.evidence);
  WalkFolder(walk, root, u"", true, true, 0);
  // Deepest first; a folder's own moves never change the path of one as
  // deep or deeper elsewhere.
  std::sort(folders.order, folders.order + folders.count, [](int a, int b) {
    return folders.depth[a] != folders.depth[b] ? folders.depth[a] > folders.depth[b] : a < b;
  });
  for (int k = 0; k < folders.count; ++k) {
    if (!run.dryRun && HostInterruptPending()) break;
    RestoreFolderName(run, folders.paths[folders.order[k]]);
  }
  // The folder lists go only when everything else went: a run stopped or
  // left with work keeps them, so that the next run still knows the files
  // they vouch for as cardprep's.
  if (run.dryRun || (run.left == 0 && !HostInterruptPending())) {
    for (int i = 0; i < walk.listCount; ++i) RemoveCatalogueFile(run, root, walk.lists[i]);
  }
  if (!run.dryRun) HostDeliverInterrupt();
}
