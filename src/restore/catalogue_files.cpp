// How a file is known to be cardprep's: from the card as a whole, never
// from one file's name and size.
//
// - Whose card: the root is a prepared card when it holds cardprep's work
//   log and a folder list of a model that is whole (whole records, its
//   header counting them, the root's row linked to itself) and names only
//   folders that are present. Elsewhere (a folder never prepared, a folder
//   of a card run with --here) nothing is cardprep's.
// - Where: root files only in the root; track lists and volume files only
//   in a folder the list names or that holds a rename log where the rename
//   pass went, never in one the scan leaves alone.
// - Which run: a file that only some models' runs write counts only when
//   that model's folder list vouches for the card.
// - What: where the layout fixes a size, the file has it (track lists
//   whole records, the history ten bytes, an error log 8000); a volume file
//   holds exactly the default cardprep writes where none was (any other is
//   the user's or the player's setting).
// A folder, a link, or a file that fails any test is the user's and stays.
#include "restore/catalogue_files.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "model/model_profile.h"
#include "platform/host.h"
#include "rename/short_name.h"
#include "restore/restore_moves.h"
#include "text/wide.h"

namespace {

constexpr int kRowUnits = 64;       // a row's path: at most 47 bytes
constexpr int kMaxRows = 3 * 1000;  // three lists of at most 1000 rows
constexpr int kMaxRecordBytes = 1280;

enum Need {
  kPrepared,  // any run: the card is shown prepared
  kModelRun,  // a run for the model: its folder list vouches for the card
  kOwnList,   // a model's folder list: its own proof
  kWorkLog,
};

struct Layout {
  const char* name;
  Need need;
  unsigned models;  // for kModelRun and kOwnList: the profile rows (bits) that write it
  long record;      // the size is a whole number of these (0: any size)
  long size;        // exactly this size (0: any)
};

constexpr Layout kCommonRootFiles[] = {
    {kHistoryFile, kPrepared, 0, 0, 10},
    {kErrorLogFile, kPrepared, 0, 0, 8000},
    {kErrorLogCopyFile, kPrepared, 0, 0, 8000},
    {kWorkLogFile, kWorkLog, 0, 0, 0},
};

// What a run writes of name (in the root when atRoot, else in a folder),
// and how it is known: the models whose runs write it, with the layout of
// the first. False when no run writes a file of that name there.
bool FindLayout(const char16_t* name, bool atRoot, Layout& found) {
  auto is = [name](const char* known) {
    char16_t wide[16];
    WideFromAscii(wide, 16, known);
    // Spelled as cardprep spells it, in any case (FAT holds one of them).
    return WideEqualsIgnoreAsciiCase(wide, name);
  };
  if (atRoot) {
    for (const Layout& layout : kCommonRootFiles) {
      if (is(layout.name)) return found = layout, true;
    }
  }
  unsigned models = 0;
  for (int m = 0; m < kModelCount; ++m) {
    const ModelProfile& p = kModelProfiles[m];
    const unsigned bit = 1u << m;
    const Layout candidates[] = {
        {p.folderList, kOwnList, bit, 0, 0},
        {p.indexFile, kModelRun, bit, 0, 0},
        {p.menuFile, kModelRun, bit, 0, 0},
        {p.messageImageFile, kModelRun, bit, 0, 0},
        {p.characterImageFile, kModelRun, bit, 0, 0},
        {p.pluginFile, kModelRun, bit, 0, 0},
        {p.trackList, kModelRun, bit, p.trackRecord, 0},
        {p.volumeFile, kModelRun, bit, 0, 2},
        {p.secondVolumeFile, kModelRun, bit, 0, 2},
    };
    // The root's files first, then a folder's (the track list on).
    for (int i = atRoot ? 0 : 6; i < (atRoot ? 6 : 9); ++i) {
      if (candidates[i].name == nullptr || !is(candidates[i].name)) continue;
      if (models == 0) found = candidates[i];
      models |= bit;
    }
  }
  found.models = models;
  return models != 0;
}

// The rows' paths of the lists that vouch for the card ("\A\B" as the scan
// lists them, without the drive): about 400 KiB, never on the stack.
struct RowTable {
  char16_t paths[kMaxRows][kRowUnits];
  int count;
};
RowTable rows;

int U16(const uint8_t* raw, int at) { return raw[at] | (raw[at + 1] << 8); }

// The file at folder\name, opened for reading, or null.
std::FILE* OpenIn(const char16_t* folder, const char16_t* name) {
  char16_t path[kRestorePathUnits];
  return WideJoinPath(path, kRestorePathUnits, folder, name) ? HostOpenW(path, "rb") : nullptr;
}

long SizeOf(std::FILE* file) { return std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1; }

// The path of a folder of the walk as a row names it: without the drive.
const char16_t* WithoutDrive(const char16_t* path) {
  return path[0] != 0 && path[1] == u':' ? path + 2 : path;
}

// True when a folder is at path, a row's path ("\A\B", from the root of
// the drive on Windows, from the card's root on POSIX, as the scan lists).
bool FolderPresent(const char16_t* path) {
  HostFind find;
  HostFindEntry entry;
  bool listed = HostFindFirst(find, path, u"*.*", entry);
  HostFindClose(find);
  std::FILE* file = listed ? HostOpenW(path, "rb") : nullptr;
  if (file != nullptr) std::fclose(file);
  return listed && file == nullptr;
}

// True when the folder list name in root is whole and every row of it
// names a folder present; its rows' paths then join the table.
bool ListNamesFoldersPresent(const char16_t* root, const char16_t* name, int recordSize,
                             bool& unsure) {
  std::FILE* file = OpenIn(root, name);
  if (file == nullptr) return false;
  const long size = SizeOf(file);
  const long records = size / recordSize;
  uint8_t raw[kMaxRecordBytes];
  bool whole = size >= 2L * recordSize && size % recordSize == 0 && records <= 1001 &&
               std::fseek(file, 0, SEEK_SET) == 0 &&
               std::fread(raw, 1, recordSize, file) == static_cast<size_t>(recordSize) &&
               U16(raw, 0) == records - 1;
  const int start = rows.count;
  for (long r = 1; whole && r < records; ++r) {
    whole = std::fread(raw, 1, recordSize, file) == static_cast<size_t>(recordSize);
    if (!whole) break;
    const int parent = U16(raw, 78);
    if (r == 1) {  // the root's own row, its links to itself
      whole = parent == 1 && U16(raw, 80) == 1;
      continue;
    }
    char text[62] = {};
    std::memcpy(text, raw, 61);
    const size_t length = std::strlen(text);
    char16_t path[kRowUnits];
    const bool named = parent >= 1 && parent < records && length == raw[61] && length > 1 &&
                       text[0] == '\\' && rows.count < kMaxRows &&
                       HostCp932ToWide(text, path, kRowUnits) > 0;
    const bool present = named && FolderPresent(path);
    whole = present && WideCopy(rows.paths[rows.count], kRowUnits, path);
    if (whole) ++rows.count;
    if (named && !present && HostExists(path)) unsure = true;
  }
  std::fclose(file);
  if (!whole) rows.count = start;
  return whole;
}

// Whether the folder list of one of the models (bits) vouches for the card.
bool ProvenFor(const CatalogueEvidence& e, unsigned models) {
  for (int m = 0; m < kModelCount; ++m) {
    if ((models >> m & 1u) != 0 && e.listProven[m]) return true;
  }
  return false;
}

bool Vouches(const CatalogueEvidence& e, const Layout& layout) {
  switch (layout.need) {
    case kModelRun:
      return e.prepared && ProvenFor(e, layout.models);
    // A list that names the card's folders is its own proof: what a run
    // stopped after removing the work log leaves.
    case kOwnList:
      return ProvenFor(e, layout.models);
    default:
      return e.prepared;
  }
}

// The default volume file cardprep writes into a folder that has none.
bool IsDefaultVolume(std::FILE* file) {
  uint8_t held[3];
  return std::fread(held, 1, sizeof held, file) == 2 && held[0] == 0xFF && held[1] == 0x00;
}

bool FitsLayout(const Layout& layout, const char16_t* folder, const char16_t* name) {
  std::FILE* file = OpenIn(folder, name);
  if (file == nullptr) return false;
  const long size = SizeOf(file);
  bool fits = size >= 0 && (layout.size == 0 || size == layout.size) &&
              (layout.record == 0 || size % layout.record == 0);
  if (fits && layout.size == 2) fits = std::fseek(file, 0, SEEK_SET) == 0 && IsDefaultVolume(file);
  std::fclose(file);
  return fits;
}

// True when a name of the path below the root is one the scan leaves alone.
bool InFolderLeftAlone(const char16_t* relative) {
  char16_t name[kHostNameUnits];
  int n = 0;
  for (int i = 0;; ++i) {
    const char16_t c = relative[i];
    if (c == u'\\' || c == 0) {
      name[n] = 0;
      if (n > 0 && (name[0] == u'_' || IsSystemFolderName(name) || IsSystemsOwnFolder(name))) {
        return true;
      }
      if (c == 0) return false;
      n = 0;
    } else if (n < kHostNameUnits - 1) {
      name[n++] = c;
    }
  }
}

}  // namespace

void ReadCatalogueEvidence(const char16_t* root, CatalogueEvidence& e) {
  e = {};
  rows.count = 0;
  // The root's entries as they are, links not followed: a link in the
  // place of the work log or a list is the user's, and vouches for nothing.
  bool listFound[kModelCount] = {};
  HostFind find;
  HostFindEntry entry;
  if (HostFindFirst(find, root, u"*.*", entry)) {
    do {
      if (entry.isDirectory || entry.isLink || entry.unusable || entry.tooLong) continue;
      if (IsWorkLogName(entry.name)) e.workLog = true;
      Layout layout;
      if (FindLayout(entry.name, true, layout) && layout.need == kOwnList) {
        for (int m = 0; m < kModelCount; ++m) listFound[m] |= (layout.models >> m & 1u) != 0;
      }
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
  for (int m = 0; m < kModelCount; ++m) {
    const ModelProfile& p = kModelProfiles[m];
    // Models that share a list share its proof, read once.
    int first = 0;
    while (std::strcmp(kModelProfiles[first].folderList, p.folderList) != 0) ++first;
    if (first < m) {
      e.listProven[m] = e.listProven[first];
      continue;
    }
    char16_t name[16];
    WideFromAscii(name, 16, p.folderList);
    e.listProven[m] = listFound[m] && ListNamesFoldersPresent(root, name, p.folderRecord, e.unsure);
    e.prepared = e.prepared || e.listProven[m];
  }
  e.prepared = e.prepared && e.workLog;
}

bool IsCatalogueFolder(const CatalogueEvidence& e, const char16_t* root, const char16_t* folderPath,
                       bool renamedHere) {
  if (!e.prepared) return false;
  if (InFolderLeftAlone(folderPath + WideLength(root))) return false;
  const char16_t* listed = WithoutDrive(folderPath);
  for (int r = 0; r < rows.count; ++r) {
    if (WideEqualsIgnoreAsciiCase(rows.paths[r], listed)) return true;
  }
  char16_t log[kRestorePathUnits];
  return renamedHere && WideJoinPath(log, kRestorePathUnits, folderPath, u"RENFIL04.LOG") &&
         HostExists(log);
}

CatalogueKind ClassifyEntry(const CatalogueEvidence& e, const char16_t* folderPath, bool atRoot,
                            bool catalogueFolder, const HostFindEntry& entry) {
  if (entry.isDirectory || entry.unusable || entry.tooLong) return CatalogueKind::kNone;
  if (!atRoot && !catalogueFolder) return CatalogueKind::kNone;
  Layout layout;
  if (!FindLayout(entry.name, atRoot, layout)) return CatalogueKind::kNone;
  const bool vouched = Vouches(e, layout);
  if (entry.isLink) return vouched || atRoot ? CatalogueKind::kLink : CatalogueKind::kNone;
  const bool fits = FitsLayout(layout, folderPath, entry.name);
  // In a folder, one that does not fit is the user's or the player's (a
  // volume setting) and stays unsaid.
  if (!vouched && (atRoot || fits)) return CatalogueKind::kUnproven;
  if (!vouched || !fits) return atRoot ? CatalogueKind::kUnproven : CatalogueKind::kNone;
  const bool evidence = layout.need == kOwnList || layout.need == kWorkLog;
  return evidence ? CatalogueKind::kEvidence : CatalogueKind::kFile;
}

bool IsWorkLogName(const char16_t* name) {
  char16_t workLog[16];
  WideFromAscii(workLog, 16, kWorkLogFile);
  return WideEqualsIgnoreAsciiCase(name, workLog);
}
