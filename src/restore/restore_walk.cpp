#include "restore/restore_walk.h"

#include "base/console.h"
#include "platform/host.h"
#include "rename/rename_report.h"
#include "restore/catalogue_files.h"
#include "restore/messages.h"
#include "text/wide.h"

namespace {

constexpr int kPathUnits = kRestorePathUnits;

struct Walk {
  RestoreRun& run;
  CatalogueEvidence evidence;
  char16_t lists[3][16];  // the root's folder lists, removed at the very end
  int listCount;
  // The folder at hand; a subfolder's name is put after it while the walk
  // is below it, so that no frame of the walk holds a path of its own.
  char16_t path[kPathUnits];
};

[[gnu::noinline]] void RemoveCatalogueFile(RestoreRun& run, const char16_t* folder,
                                           const char16_t* name) {
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

// Puts "\name" after the length units of walk.path; false when it does not
// fit (said so, and left).
[[gnu::noinline]] bool EnterName(Walk& walk, int length, const char16_t* name) {
  int units = WideLength(name);
  if (length + 1 + units + 1 > kPathUnits) {
    ReportArg a;
    if (SaysLeft(walk.run)) ConsolePrintf(kMsgPathTooLong, ReportPath(a, walk.path, name));
    ++walk.run.left;
    return false;
  }
  walk.path[length] = u'\\';
  for (int i = 0; i <= units; ++i) walk.path[length + 1 + i] = name[i];
  return true;
}

[[gnu::noinline]] void SayUnreadable(Walk& walk) {
  ReportArg a;
  if (SaysLeft(walk.run)) ConsolePrintf(kMsgFolderUnreadable, ReportText(a, walk.path));
  ++walk.run.left;
}

// The walk of the folder walk.path (its first length units; its name:
// name) and below, each folder after everything below it, in the reverse
// of the rename pass's order: what is below a subfolder, then the
// subfolder's own name, and the folder's own files last, as the pass
// renamed them first (a folder named like a track was renamed as one, and
// the folders below it are reached under that name). renamedHere: the
// rename pass visits this folder (it never enters one whose name begins
// with '_'). A folder that lists nothing (not even "." and ".."), or
// whose first entry cannot be reached (read but not entered), cannot be
// read: said, and its names are left.
void WalkFolder(Walk& walk, int length, const char16_t* name, bool atRoot, bool renamedHere) {
  RestoreRun& run = walk.run;
  const char16_t* folder = walk.path;
  HostFind find;
  HostFindEntry entry;
  bool listed = HostFindFirst(find, folder, u"*.*", entry);
  bool readable = listed || atRoot;
  bool reached = false;
  if (listed) {
    do {
      if (entry.unusable || entry.tooLong || HostIsDotName(entry.name, WideLength(entry.name))) {
        continue;
      }
      if (!reached) {
        reached = true;
        readable = EnterName(walk, length, entry.name) && HostExists(walk.path);
        walk.path[length] = 0;
        if (!readable) break;
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
      if (!EnterName(walk, length, entry.name)) continue;
      int childLength = length + 1 + WideLength(entry.name);
      bool renamed = renamedHere && IsRenamedFolder(walk.path, entry.name);
      WalkFolder(walk, childLength, entry.name, false, renamedHere && entry.name[0] != u'_');
      if (renamed) {
        RestoreFolderName(run, walk.path);
        if (!run.dryRun) HostDeliverInterrupt();  // one that came ends the run here
      }
      walk.path[length] = 0;
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
  if (!readable) {
    // Nothing of cardprep's is ever looked for there unless the pass
    // renamed or the catalogue is to go.
    if (renamedHere || run.removeCatalogue) SayUnreadable(walk);
    return;
  }
  // The folder's own files last: the root's RENFIL04.LOG, which goes with
  // its last line, is what vouches for the work log as cardprep's, so a
  // stopped run must not leave the work log without it.
  if (renamedHere) RestoreFileNames(run, folder);
}

}  // namespace

void RestoreCard(RestoreRun& run, const char16_t* root) {
  Walk walk{run, {}, {}, 0, {}};
  WideCopy(walk.path, kPathUnits, root);
  ReadCatalogueEvidence(root, walk.evidence);
  WalkFolder(walk, WideLength(walk.path), u"", true, true);
  // The folder lists go only when everything else went: a run stopped or
  // left with work keeps them, so that the next run still knows the files
  // they vouch for as cardprep's.
  if (run.dryRun || (run.left == 0 && !HostInterruptPending())) {
    for (int i = 0; i < walk.listCount; ++i) RemoveCatalogueFile(run, root, walk.lists[i]);
  }
  if (!run.dryRun) HostDeliverInterrupt();
}
