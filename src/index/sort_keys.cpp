#include <algorithm>
#include <cstdint>
#include <cstring>

#include "index/index_file.h"
#include "index/index_steps.h"
#include "state/folder_table.h"
#include "text/sjis.h"

namespace {

constexpr int kKeyBytes = sizeof(DirectoryEntry::sortKey);

bool IsBwvKey(const char* key) { return key[0] == 'B' && key[1] == 'W' && key[2] == 'V'; }

// The character at pos of a key as a number: lead x 256 + trail for a
// double-byte character, else the byte; 0 at the end of the key. Sets
// length to the bytes it takes.
unsigned CharacterAt(const char* key, int pos, int& length) {
  if (pos >= kKeyBytes) {
    length = 0;
    return 0;
  }
  uint8_t lead = static_cast<uint8_t>(key[pos]);
  if (IsSjisLeadByte(lead) && pos + 1 < kKeyBytes && key[pos + 1] != 0) {
    length = 2;
    return lead * 256u + static_cast<uint8_t>(key[pos + 1]);
  }
  length = 1;
  return lead;
}

// Terminates a copied text field at its last byte, so that a damaged row
// can never be read past its field.
template <size_t N>
void Terminate(char (&field)[N]) {
  field[N - 1] = 0;
}

}  // namespace

int CompareSortKeys(const DirectoryEntry& a, const DirectoryEntry& b) {
  const char* ka = a.sortKey;
  const char* kb = b.sortKey;
  if (ka[0] == 'B' && kb[0] == 'B') {
    bool bwvA = IsBwvKey(ka);
    bool bwvB = IsBwvKey(kb);
    if (!bwvA && bwvB) return -1;
    if (bwvA && !bwvB) return 1;
  }
  // Equal characters have equal lengths, so both keys stay in step.
  int pos = 0;
  for (;;) {
    int lengthA = 0;
    int lengthB = 0;
    unsigned ca = CharacterAt(ka, pos, lengthA);
    unsigned cb = CharacterAt(kb, pos, lengthB);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
    pos += lengthA;
  }
}

int DirectoryRowsInUse(const FolderTable& folders) {
  return std::min<int>(folders.directoryCount, kMaxDirectories);
}

void SortDirectoryCopy(FolderTable& folders) {
  const int rows = DirectoryRowsInUse(folders);
  uint16_t order[kMaxDirectories];
  for (int i = 0; i < rows; ++i) order[i] = static_cast<uint16_t>(i);
  std::sort(order, order + rows, [&folders](uint16_t x, uint16_t y) {
    int c = CompareSortKeys(folders.directories[x], folders.directories[y]);
    return c != 0 ? c < 0 : x < y;
  });
  for (int i = 0; i < kMaxDirectories; ++i) {
    DirectoryEntry& row = folders.sortedDirectories[i];
    row = folders.directories[i < rows ? order[i] : i];
    Terminate(row.path);
    Terminate(row.shortName);
    Terminate(row.displayName);
    Terminate(row.sortKey);
    Terminate(row.parentDisplayName);
    row.namesake = 0;
    row.indexGroup = 0;
  }
}
