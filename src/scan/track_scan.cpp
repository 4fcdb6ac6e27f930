#include "scan/track_scan.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "font/title_render.h"
#include "model/model_profile.h"
#include "platform/host.h"
#include "rename/rename_log.h"
#include "rename/short_name.h"
#include "scan/line_reader.h"
#include "scan/messages.h"
#include "scan/title_sources.h"
#include "state/run_state.h"
#include "text/ascii.h"
#include "text/record.h"
#include "text/sjis.h"

namespace {

constexpr int kMaxTracks = 255;
constexpr int kTitleBytes = 256;
constexpr int kTextFieldBytes = 32;
constexpr int kMaxBaseBytes = 8;

struct TrackEntry {
  char shortName[13];
  char trackNumber[3];
  char title[kTitleBytes + 1];
  uint16_t imageWidth;
  uint8_t imageLayout;
  uint8_t reserved[15];
};

// One folder's tracks. Kept out of the stack (it is about 74 KiB); the scan
// runs one folder at a time and clears every entry before filling it.
TrackEntry tracks[kMaxTracks];

bool EqualsIgnoreAsciiCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = AsciiUpper(*a), y = AsciiUpper(*b);
    if (x != y) return false;
    if (x == 0) return true;
  }
}

// Copies at most maxBytes bytes of text into out, zero-filled up to and
// including out[maxBytes].
void CopyCut(char* out, const char* text, int maxBytes) {
  int n = 0;
  while (n < maxBytes && text[n] != 0) ++n;
  std::memcpy(out, text, static_cast<size_t>(n));
  std::memset(out + n, 0, static_cast<size_t>(maxBytes + 1 - n));
}

void CopyTitle(char* out, const char* text) { CopyCut(out, text, kTitleBytes); }

// Fills entry n for the MP3 file name: its number and its title.
// Returns true when the title came from a name source (the name before
// renaming, the display-name file or the tag) rather than the short name.
bool FillTrack(RunState& state, const char* listedPath, const char* name, int n) {
  TrackEntry& track = tracks[n];
  std::memset(&track, 0, sizeof track);
  CopyCut(track.shortName, name, sizeof track.shortName - 1);
  // The last two digits of the track's number.
  int number = (n + 1) % 100;
  track.trackNumber[0] = static_cast<char>('0' + number / 10);
  track.trackNumber[1] = static_cast<char>('0' + number % 10);

  char displayTitle[kTitleBytes + 1] = {};
  char preRenameName[kTitleBytes + 1] = {};
  LookUpTrackNames(state, name, displayTitle, preRenameName);
  if (displayTitle[0] == 0) ReadTagTitle(state, listedPath, name, displayTitle);
  bool usable =
      displayTitle[0] != 0 && (ModelProfileOf(state.playerModel).titles != TitleLayout::kText ||
                               !HasDoubleByteChar(displayTitle));
  if (state.titleRule == 1 && preRenameName[0] != 0) {
    CopyTitle(track.title, preRenameName);
    return true;
  }
  if (usable) {
    CopyTitle(track.title, displayTitle);
    return true;
  }
  CopyTitle(track.title, track.shortName);
  return false;
}

// Removes the leading bytes that every title shares, unless the first title
// is that part alone. The part ends at a character boundary: shared bytes
// that end on the lead byte of a double-byte character stop before it.
void RemoveCommonPrefix(int count) {
  int p = 0;
  for (; p < kTitleBytes; ++p) {
    char c = tracks[0].title[p];
    if (c == 0) return;
    bool differs = false;
    for (int k = 1; k < count && !differs; ++k) differs = tracks[k].title[p] != c;
    if (differs) break;
  }
  // Every title holds the same bytes before p, so the first one's characters
  // are every title's.
  p = SjisCutLength(tracks[0].title, p);
  if (p == 0 || p == kTitleBytes) return;
  for (int k = 0; k < count; ++k) {
    char* title = tracks[k].title;
    std::memmove(title, title + p, static_cast<size_t>(kTitleBytes + 1 - p));
    std::memset(title + kTitleBytes + 1 - p, 0, static_cast<size_t>(p));
  }
}

// Renders the track's title for the model and builds its record.
void BuildTrackRecord(RunState& state, TrackEntry& track, Record& r) {
  const TitleLayout titles = ModelProfileOf(state.playerModel).titles;
  const TitleImage image = RenderTitle(state, state, titles, track.title, state.trackStripImage);
  track.imageWidth = static_cast<uint16_t>(image.width);
  track.imageLayout = static_cast<uint8_t>(image.layout);

  PutBytes(r, track.shortName, 13);
  PutBytes(r, track.trackNumber, 3);
  for (int i = 0; i < kTextFieldBytes; ++i) PutU8(r, track.title[i] == 0 ? ' ' : track.title[i]);
  PutU8(r, 0);
  if (titles == TitleLayout::kOneLine) {
    PutU16LE(r, track.imageWidth);
    PutU8(r, track.imageLayout);
    PutZeros(r, 12);
    PutBytes(r, state.imagePlaneA, 512);
    PutBytes(r, state.imagePlaneB, 512);
    PutBytes(r, state.trackStripImage, 128);
  } else if (titles == TitleLayout::kTwoLines) {
    PutZeros(r, 15);
    PutBytes(r, state.imagePlaneA, 128);
    PutBytes(r, state.imagePlaneB, 128);
    PutBytes(r, state.imagePlaneC, 128);
  } else {
    PutZeros(r, 15);
  }
}

// The bytes of one folder's track list, built whole before it is written
// (kept out of the stack, like tracks).
constexpr int kMaxRecordBytes = 1216;
uint8_t trackListBytes[kMaxTracks * kMaxRecordBytes];

// Writes the track list. False (after one line) when it could not be
// written whole.
bool WriteTrackList(RunState& state, const char* listedPath, int count) {
  const ModelProfile& profile = ModelProfileOf(state.playerModel);
  char path[kPathTextBytes + 16];
  JoinPathText(path, sizeof path, listedPath, profile.trackList);
  int size = profile.trackRecord;
  for (int k = 0; k < count; ++k) {
    Record r = StartRecord(trackListBytes + k * size, size);
    BuildTrackRecord(state, tracks[k], r);
  }
  int result = HostWriteFile(path, trackListBytes, count * size);
  if (result != 0) {
    ConsolePrintf(result == 1 ? kMsgCannotCreate : kMsgCannotWrite, path);
    state.writeFailed = true;
  }
  return result == 0;
}

// True when the folder holds the volume file whole. A volume file is the
// user's setting and is kept; one missing, or shorter than its two bytes
// (cut short on a full card), is written anew.
bool HasWholeVolumeFile(const char* folderPath, const char* fileName) {
  char path[kPathTextBytes + 16];
  JoinPathText(path, sizeof path, folderPath, fileName);
  return HostFileSize(path) >= 2;
}

}  // namespace

uint16_t ScanFolderTracks(RunState& state, const char* listedPath) {
  // The folder is listed first: its names then serve the look-ups of the
  // files read next without another read of the folder.
  char workFile[sizeof state.workDir + 16];
  std::snprintf(workFile, sizeof workFile, "%s%s", state.workDir, "\\FILLSTWK.TXT");
  if (!HostWriteFileListing(listedPath, workFile)) {
    // Reading on would take the previous folder's names for this one's.
    ConsolePrintf(kMsgCannotCreate, workFile);
    state.listingFailed = true;
    return 0;
  }
  ReadDisplayNameFile(state, listedPath);
  ReadFileRenameLog(state, listedPath);
  return ScanFileListing(state, listedPath, workFile);
}

uint16_t ScanFileListing(RunState& state, const char* listedPath, const char* workFile) {
  std::FILE* listing = HostOpen(workFile, "rb");
  if (listing == nullptr) return 0;
  // The stream's own buffer (it is closed before the next folder's
  // listing), so that it need not ask the system for a buffer size first.
  static char buffer[8192];
  std::setvbuf(listing, buffer, _IOFBF, sizeof buffer);

  bool fromNames = false;
  int count = 0;
  char name[kPathTextBytes];
  bool tooLong = false;
  while (ReadTextLine(listing, name, sizeof name, tooLong)) {
    if (tooLong) continue;  // far too long for an 8.3 name
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr) continue;
    if (!EqualsIgnoreAsciiCase(dot, ".MP3") || IsAppleDoubleFile(name)) continue;
    if (dot - name > kMaxBaseBytes || HasDoubleByteChar(name)) continue;
    if (count == kMaxTracks) {
      ConsolePrintf(kMsgTrackLimit, listedPath);
      ++state.tracksLeftOut;
      break;
    }
    if (FillTrack(state, listedPath, name, count)) fromNames = true;
    ++count;
  }
  std::fclose(listing);

  if (fromNames && count >= 2) RemoveCommonPrefix(count);
  if (!WriteTrackList(state, listedPath, count)) return 0;

  // A second volume file goes with the first.
  const ModelProfile& profile = ModelProfileOf(state.playerModel);
  if (count > 0 && !HasWholeVolumeFile(listedPath, profile.volumeFile)) {
    if (!WriteDefaultVolumeFile(profile.volumeFile, listedPath)) state.writeFailed = true;
    if (profile.secondVolumeFile != nullptr &&
        !WriteDefaultVolumeFile(profile.secondVolumeFile, listedPath)) {
      state.writeFailed = true;
    }
  }
  return static_cast<uint16_t>(count);
}

bool WriteDefaultVolumeFile(const char* fileName, const char* folderPath) {
  char path[kPathTextBytes + 16];
  JoinPathText(path, sizeof path, folderPath, fileName);
  std::FILE* file = HostOpen(path, "wb");
  if (file == nullptr) {
    ConsolePrintf(kMsgCannotCreate, path);
    return false;
  }
  const uint8_t value[2] = {0xFF, 0x00};
  bool ok = std::fwrite(value, 1, sizeof value, file) == sizeof value;
  if (std::fclose(file) != 0) ok = false;
  if (!ok) ConsolePrintf(kMsgCannotWrite, path);
  return ok;
}
