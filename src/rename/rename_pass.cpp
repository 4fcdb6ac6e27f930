#include "rename/rename_pass.h"

#include <algorithm>

#include "platform/host.h"
#include "rename/folder_rename.h"
#include "rename/log_text.h"
#include "rename/messages.h"
#include "rename/rename_report.h"
#include "rename/short_name.h"
#include "state/run_state.h"
#include "text/wide.h"

namespace {

constexpr int kNameUnits = 128;  // names of at most 127 units
constexpr int kMaxListed = 255;  // MP3 files or kept subfolders of a folder
constexpr int kTrackNameUnits = 16;
constexpr char16_t kFileLogName[] = u"RENFIL04.LOG";

// The names one step of a visit works on, sorted through order.
struct NameTable {
  char16_t names[kMaxListed][kNameUnits];
  int order[kMaxListed];
  int count;
  bool overflow;  // more names than rows
};

// A step uses the table only until it ends, never across a descent, so one
// table serves every visit and the stack stays small however deep the tree.
NameTable stepTable;

NameTable& StartTable() {
  stepTable.count = 0;
  stepTable.overflow = false;
  return stepTable;
}

void AddName(NameTable& table, const char16_t* name) {
  if (table.count == kMaxListed) {
    table.overflow = true;
    return;
  }
  WideCopy(table.names[table.count], kNameUnits, name);
  table.order[table.count] = table.count;
  ++table.count;
}

// Plain unit order, no case folding: 'Z' before 'a', Japanese after ASCII.
void SortNames(NameTable& table) {
  std::sort(table.order, table.order + table.count, [&table](int a, int b) {
    return WideCompareOrdinal(table.names[a], table.names[b]) < 0;
  });
}

bool NameFits(const HostFindEntry& entry) {
  return !entry.tooLong && WideLength(entry.name) < kNameUnits;
}

// True for a name whose text after its last dot is MP3 in any case, as a
// listing of "*.MP3" gives them.
bool IsMp3Name(const char16_t* name) {
  const char16_t* dot = nullptr;
  for (const char16_t* p = name; *p != 0; ++p) {
    if (*p == u'.') dot = p;
  }
  return dot != nullptr && WideEqualsIgnoreAsciiCase(dot + 1, u"MP3");
}

// Takes an MP3 name of the folder's listing into table; a name too long
// for the table, or unusable, is reported and left. A Mac's '._' file, and
// a folder the systems keep for themselves, is no MP3 whatever its name.
void NoteTrack(RunState& state, const char16_t* folder, const HostFindEntry& entry,
               NameTable& table) {
  if (!IsMp3Name(entry.name) || IsAppleDoubleFile(entry.name)) return;
  if (entry.isDirectory && IsSystemsOwnFolder(entry.name)) return;
  ReportArg a;
  if (entry.unusable) {
    ReportRenameFailure(state, kMsgNameUnusable, ReportPath(a, folder, entry.name));
  } else if (NameFits(entry)) {
    AddName(table, entry.name);
  } else {
    ReportRenameFailure(state, kMsgNameTooLong, ReportPath(a, folder, entry.name));
  }
}

// The subfolders the folder step renames, taken from the same listing as
// the MP3 files: those that need a new name (not left out by IsLeftOut,
// nor acceptable short names) in table, and how many
// subfolders may get one (kept). A listing with a subfolder that the folder
// step must report (its name unusable or too long), or that the MP3 step
// may rename (a folder named *.MP3), is of no use: the folder step then
// lists the folder again (relist). Like the step table, one serves every
// visit, from its listing to the end of its folder step.
struct Subfolders {
  NameTable table;
  int kept;
  bool relist;
};
Subfolders subfolders;

// '.', '..', '_...', 'System...' and the systems' own folders ('.Trashes',
// '$RECYCLE.BIN', RECYCLER, FOUND.000) are left out of the folder step.
bool IsLeftOut(const char16_t* name) {
  return HostIsDotName(name, WideLength(name)) || name[0] == u'_' || IsSystemFolderName(name) ||
         IsSystemsOwnFolder(name);
}

void NoteSubfolder(const HostFindEntry& entry) {
  if (!entry.isDirectory || IsLeftOut(entry.name)) return;
  bool keepsName = IsAcceptableShortName(entry.name);
  if (entry.unusable || IsMp3Name(entry.name) || (!keepsName && !NameFits(entry))) {
    subfolders.relist = true;
    return;
  }
  ++subfolders.kept;
  if (!keepsName) AddName(subfolders.table, entry.name);
}

bool TrackPaths(const char16_t* folder, const char16_t* old, const char16_t* newName,
                char16_t* oldPath, char16_t* newPath) {
  return WideJoinPath(oldPath, kRenamePathUnits, folder, old) &&
         WideJoinPath(newPath, kRenamePathUnits, folder, newName);
}

// Whether some file of the sorted table is not yet named for its place.
bool AnyMoveNeeded(const NameTable& table) {
  for (int k = 0; k < table.count; ++k) {
    char16_t newName[kTrackNameUnits];
    MakeTrackShortName(k + 1, newName, kTrackNameUnits);
    if (!WideEqualsIgnoreAsciiCase(table.names[table.order[k]], newName)) return true;
  }
  return false;
}

// Moves one track, its log line first: the line is whole in the log before
// the move, so that a run ended at any moment (killed, the card pulled)
// leaves no file under a new name that its log does not give. A move that
// fails takes its line back. A taken new name gets no line at all: a line
// left by a run ended before its move then always names a file that is not
// there, which the log's readers pass over. False when the log cannot take
// the line: the folder's moves stop.
bool MoveTrack(RunState& state, LogWriter& log, const char16_t* logPath, const char16_t* old,
               const char16_t* newName, const char16_t* oldPath, const char16_t* newPath) {
  ReportArg a, b;
  if (HostExists(newPath)) {
    ReportNumberTaken(state, ReportText(a, oldPath));
    return true;
  }
  long before = log.size;
  if (!WriteLogLine(log, newName, u"\t", old)) {
    CutLog(log, before);
    ReportRenameFailure(state, kMsgFileLogWriteFailed, ReportText(a, logPath),
                        ReportText(b, oldPath));
    return false;
  }
  unsigned long error = HostMove(oldPath, newPath);
  if (error != 0) {
    CutLog(log, before);
    ReportRenameFailure(state, kMsgMp3RenameFailed, ReportText(a, oldPath));
  } else {
    ++state.renamedCount;
  }
  return true;
}

// The MP3 step: the n-th file in name order becomes "%03d.MP3", each move
// logged in RENFIL04.LOG ahead of it (MoveTrack). An interrupt waits until
// the move at hand is done. A log that the listing showed and that gets no
// line is left closed, so a folder named as before costs no file access
// here.
void RenameTracks(RunState& state, const char16_t* folder, const char16_t* shownFolder,
                  const char16_t* logPath, NameTable& table, bool logListed) {
  ReportArg a;
  if (table.overflow) {
    ReportRenameFailure(state, kMsgTooManyMp3, ReportText(a, shownFolder));
    table.count = 0;
  }
  SortNames(table);
  if (logListed && !AnyMoveNeeded(table)) {
    HostDeliverInterrupt();
    return;
  }
  LogWriter log;
  if (!OpenLogForAppend(logPath, log)) {
    ReportRenameFailure(state, kMsgFileLogUnwritable, ReportText(a, logPath));
    return;
  }
  for (int k = 0; k < table.count && !HostInterruptPending(); ++k) {
    const char16_t* old = table.names[table.order[k]];
    char16_t newName[kTrackNameUnits];
    MakeTrackShortName(k + 1, newName, kTrackNameUnits);
    if (WideEqualsIgnoreAsciiCase(old, newName)) continue;
    char16_t oldPath[kRenamePathUnits];
    char16_t newPath[kRenamePathUnits];
    if (!TrackPaths(folder, old, newName, oldPath, newPath)) {
      ReportRenameFailure(state, kMsgPathTooLong, ReportPath(a, folder, old));
      continue;
    }
    if (!MoveTrack(state, log, logPath, old, newName, oldPath, newPath)) break;
  }
  CloseLog(log);
  HostDeliverInterrupt();
}

// Lists the subfolders that need a new name (not left out by IsLeftOut,
// nor acceptable short names). Returns how many subfolders
// may get one, acceptable names and names too long for the table included
// (those are reported).
int ListKeptFolders(RunState& state, const char16_t* folder, NameTable& table) {
  int kept = 0;
  HostFind find;
  HostFindEntry entry;
  if (HostFindFirst(find, folder, u"*.*", entry)) {
    do {
      const char16_t* name = entry.name;
      if (!entry.isDirectory || IsLeftOut(name)) continue;
      if (entry.unusable) {
        ReportArg a;
        ReportRenameFailure(state, kMsgNameUnusable, ReportPath(a, folder, name));
        continue;  // never entered either
      }
      ++kept;
      // A folder that keeps its name needs no row, so any number of them
      // can share a parent.
      if (IsAcceptableShortName(name)) continue;
      if (NameFits(entry)) {
        AddName(table, name);
      } else {
        ReportArg a;
        ReportRenameFailure(state, kMsgNameTooLong, ReportPath(a, folder, name));
      }
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
  return kept;
}

// The folder step. Returns the number of kept subfolders, which decides
// whether the visit descends.
[[gnu::noinline]] int RenameFolders(RunState& state, const char16_t* folder,
                                    const char16_t* shownFolder) {
  NameTable* table = &subfolders.table;
  int kept = subfolders.kept;
  if (subfolders.relist) {
    table = &StartTable();
    kept = ListKeptFolders(state, folder, *table);
  }
  if (table->overflow) {
    ReportArg a;
    ReportRenameFailure(state, kMsgTooManyFolders, ReportText(a, shownFolder));
    return kept;
  }
  SortNames(*table);
  int32_t folderNumber = 1;
  for (int k = 0; k < table->count; ++k) {
    RenameFolder(state, folder, table->names[table->order[k]], folderNumber);
    HostDeliverInterrupt();  // between folders, never between a move and its logs
  }
  return kept;
}

[[gnu::noinline]] void ReportNotEntered(RunState& state, const char16_t* folder,
                                        const char16_t* name) {
  ReportArg a;
  ReportRenameFailure(state, kMsgPathTooLongNotEntered,
                      name[0] == 0 ? ReportText(a, folder) : ReportPath(a, folder, name));
}

// Lists the folder once, for the MP3 step and the folder step. A subfolder
// lists at least its '.' and '..'; one that lists nothing cannot be read
// (no permission, or gone since its parent was listed). Its files would
// keep their names in silence, so it is reported, left, and the run ends
// after the pass: false. (The steps are kept out of line so that the frame
// which recurses stays small however deep the tree.)
[[gnu::noinline]] bool VisitFiles(RunState& state, const char16_t* folder,
                                  const char16_t* shownFolder, bool root) {
  HostFind find;
  HostFindEntry entry;
  bool listed = HostFindFirst(find, folder, u"*.*", entry);
  if (!listed && !root) {
    ReportArg a;
    ReportRenameFailure(state, kMsgFolderNotListed, ReportText(a, shownFolder));
    return false;
  }
  char16_t logPath[kRenamePathUnits];
  bool logFits = WideJoinPath(logPath, kRenamePathUnits, folder, kFileLogName);
  if (!logFits) {
    ReportArg a;
    ReportRenameFailure(state, kMsgPathTooLong, ReportPath(a, folder, kFileLogName));
  }
  // Listed first, the folder's names serve the look-up of its log.
  NameTable& table = StartTable();
  subfolders.table.count = 0;
  subfolders.table.overflow = false;
  subfolders.kept = 0;
  subfolders.relist = !listed;
  bool logListed = false;
  if (listed) {
    do {
      NoteSubfolder(entry);
      if (logFits) NoteTrack(state, folder, entry, table);
      logListed = logListed || (!entry.isDirectory && !entry.unusable &&
                                WideEqualsIgnoreAsciiCase(entry.name, kFileLogName));
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
  if (logFits) RenameTracks(state, folder, shownFolder, logPath, table, logListed);
  return true;
}

void Visit(RunState& state, const char16_t* folderPath, bool root);

// Enters every subfolder but '.', '..', '_...' and the systems' own, in
// listing order and under the names they bear now.
void Descend(RunState& state, const char16_t* folder) {
  HostFind find;
  HostFindEntry entry;
  if (HostFindFirst(find, folder, u"*.*", entry)) {
    do {
      if (!entry.isDirectory || entry.unusable ||
          HostIsDotName(entry.name, WideLength(entry.name)) || entry.name[0] == u'_' ||
          IsSystemsOwnFolder(entry.name)) {
        continue;
      }
      char16_t child[kRenamePathUnits];
      if (entry.tooLong || !WideJoinPath(child, kRenamePathUnits, folder, entry.name)) {
        ReportNotEntered(state, folder, entry.name);
        continue;
      }
      Visit(state, child, false);
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
}

// The visit of one folder: its MP3 files, its subfolders, then each
// subfolder's own visit.
void Visit(RunState& state, const char16_t* folderPath, bool root) {
  char16_t folder[kRenamePathUnits];
  if (!WideCopy(folder, kRenamePathUnits, folderPath)) {
    ReportNotEntered(state, folderPath, u"");
    return;
  }
  // A drive root 'E:\' becomes 'E:' (and the card root '\' the empty
  // path), so that its files are 'E:\RENFIL04.LOG' and so on.
  int length = WideLength(folder);
  if (length > 0 && folder[length - 1] == u'\\') folder[length - 1] = 0;
  if (!VisitFiles(state, folder, folderPath, root)) return;
  if (RenameFolders(state, folder, folderPath) > 0) Descend(state, folder);
}

}  // namespace

void RenameToShortNames(RunState& state, const char16_t* folderPath) {
  Visit(state, folderPath, true);
}
