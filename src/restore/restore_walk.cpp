#include "restore/restore_walk.h"

#include <initializer_list>

#include "base/console.h"
#include "platform/host.h"
#include "rename/rename_report.h"
#include "restore/catalogue_files.h"
#include "restore/messages.h"
#include "text/wide.h"

namespace {

struct Walk {
  RestoreRun& run;
  const char16_t* root;
  CatalogueEvidence evidence;
  // The work log and the folder lists, removed after every other file of
  // cardprep's: they are what shows the rest is.
  char16_t proofs[4][16];
  int proofCount;
  int catalogueLeft;  // files of cardprep's that could not be removed
  // Folders keep their new names while the lists that name them by those
  // are all the proof a next run has (see kMsgFolderNamesKept).
  bool keepFolderNames;
  // The folder at hand; a subfolder's name is put after it while the walk
  // is below it, so that no frame of the walk holds a path of its own.
  char16_t path[kRestorePathUnits];
};

// False when the file could not be removed (reported).
[[gnu::noinline]] bool RemoveCatalogueFile(RestoreRun& run, const char16_t* folder,
                                           const char16_t* name) {
  char16_t path[kRestorePathUnits];
  ReportArg a;
  if (!WideJoinPath(path, kRestorePathUnits, folder, name)) return true;
  if (run.dryRun) {
    if (run.printPlan) ConsolePrintf(kMsgPlannedRemoval, ReportText(a, path));
    ++run.removed;
    return true;
  }
  unsigned long error = HostRemoveFile(path);
  if (error != 0) {
    ConsolePrintf(kMsgCannotRemove, error, ReportText(a, path), HostErrorText(error));
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
      if (SaysLeft(run)) {
        ReportArg a;
        ConsolePrintf(kMsgLinkKept, ReportPath(a, folder, entry.name));
      }
      break;
    case CatalogueKind::kUnproven:
      if (SaysLeft(run)) {
        ReportArg a;
        ConsolePrintf(kMsgNotShownCardpreps, ReportPath(a, folder, entry.name));
      }
      ++run.left;
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

// Puts "\name" after the length units of walk.path; false when it does not
// fit (said so, when say, and left).
[[gnu::noinline]] bool EnterName(Walk& walk, int length, const char16_t* name, bool say) {
  int units = WideLength(name);
  if (length + 1 + units + 1 > kRestorePathUnits) {
    ReportArg a;
    if (say && SaysLeft(walk.run)) ConsolePrintf(kMsgPathTooLong, ReportPath(a, walk.path, name));
    walk.run.left += say ? 1 : 0;
    return false;
  }
  walk.path[length] = u'\\';
  for (int i = 0; i <= units; ++i) walk.path[length + 1 + i] = name[i];
  return true;
}

[[gnu::noinline]] bool HoldsFileLog(const char16_t* folder) {
  char16_t log[kRestorePathUnits];
  return WideJoinPath(log, kRestorePathUnits, folder, u"RENFIL04.LOG") && HostExists(log);
}

[[gnu::noinline]] void SayUnreadable(Walk& walk) {
  ReportArg a;
  if (SaysLeft(walk.run)) ConsolePrintf(kMsgFolderUnreadable, ReportText(a, walk.path));
  ++walk.run.left;
}

// The catalogue's pass over walk.path (its first length units) and below,
// before any name changes: the files cardprep made go, but the work log and
// the folder lists, kept for RemoveProofs. renamedHere: the rename pass
// visits this folder (it never enters one whose name begins with '_'). A
// folder it cannot read is said by the names' pass.
void RemoveCatalogue(Walk& walk, int length, bool atRoot, bool renamedHere) {
  const char16_t* folder = walk.path;
  const bool catalogueFolder =
      !atRoot && (IsCatalogueFolder(walk.evidence, walk.root, folder, renamedHere) ||
                  (!walk.evidence.prepared && renamedHere && HoldsFileLog(folder)));
  HostFind find;
  HostFindEntry entry;
  // A folder it cannot list may hold files of cardprep's: the proofs stay
  // for the run that can.
  const bool listed = HostFindFirst(find, folder, u"*.*", entry);
  if (!listed && !atRoot) ++walk.catalogueLeft;
  if (listed) {
    do {
      if (entry.unusable || entry.tooLong || HostIsDotName(entry.name, WideLength(entry.name))) {
        continue;
      }
      if (!entry.isDirectory) {
        TakeCatalogueEntry(walk, folder, atRoot, catalogueFolder, entry);
        continue;
      }
      if (!EnterName(walk, length, entry.name, false)) continue;
      RemoveCatalogue(walk, length + 1 + WideLength(entry.name), false,
                      renamedHere && entry.name[0] != u'_');
      walk.path[length] = 0;
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
}

// The names' pass over walk.path (its first length units) and below, each
// folder after everything below it, in the reverse of the rename pass's
// order: what is below a subfolder, then the subfolder's own name, and the
// folder's own files last, as the pass renamed them first (a folder named
// like a track was renamed as one, and the folders below it are reached
// under that name). A folder that lists nothing (not even "." and ".."), or
// whose first entry cannot be reached (read but not entered), cannot be
// read: said, and its names are left.
void RestoreNames(Walk& walk, int length, bool atRoot, bool renamedHere) {
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
        readable = EnterName(walk, length, entry.name, true) && HostExists(walk.path);
        walk.path[length] = 0;
        if (!readable) break;
      }
      if (!entry.isDirectory || !EnterName(walk, length, entry.name, true)) continue;
      bool renamed = renamedHere && IsRenamedFolder(walk.path, entry.name);
      RestoreNames(walk, length + 1 + WideLength(entry.name), false,
                   renamedHere && entry.name[0] != u'_');
      if (renamed && !walk.keepFolderNames) {
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
  if (renamedHere) RestoreFileNames(run, folder);
}

}  // namespace

void RestoreCard(RestoreRun& run, const char16_t* root) {
  Walk walk{run, root, {}, {}, 0, 0, false, {}};
  WideCopy(walk.path, kRestorePathUnits, root);
  const int length = WideLength(walk.path);
  // The files cardprep made go first, while the folder lists still name the
  // folders by the names they vouch for, and the logs are all there.
  if (run.removeCatalogue) {
    ReadCatalogueEvidence(root, walk.evidence);
    RemoveCatalogue(walk, length, true, true);
    RemoveProofs(walk);
    walk.path[length] = 0;
    walk.keepFolderNames = !run.dryRun && (walk.catalogueLeft > 0 || walk.evidence.unsure);
    if (walk.keepFolderNames) {
      HostPrint(kMsgFolderNamesKept);
      ++run.left;
    }
  }
  RestoreNames(walk, length, true, true);
  if (!run.dryRun) HostDeliverInterrupt();
}
