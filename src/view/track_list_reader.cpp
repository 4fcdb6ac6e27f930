// The track lists and volume files of card_reader.h, one folder at a time.
#include <cstdio>
#include <cstring>

#include "view/card_reader.h"
#include "view/card_reading.h"
#include "view/messages.h"

namespace {

void DecodeTrackRecord(const CardModel& model, TrackRecord& t) {
  const uint8_t* raw = t.raw;
  TextField(raw, 0, 13, t.shortName);
  TextField(raw, 13, 2, t.number);
  PaddedField(raw, 16, 33, t.title);
  const bool oneLine = model.profile != nullptr && model.profile->titles == TitleLayout::kOneLine;
  t.imageWidth = oneLine ? U16(raw, 49) : 0;
  t.imageLayout = oneLine ? U8(raw, 51) : 0;
}

// Folder path + "\" + name into out (kViewPathBytes).
void FolderFilePath(const FolderRecord& folder, const char* name, char* out) {
  std::snprintf(out, kViewPathBytes, "%s\\%s", folder.path, name);
}

}  // namespace

const char* TrackListName(const CardModel& model) { return ModelProfileOf(model.model).trackList; }

bool ReadTrackList(const CardModel& model, const FolderRecord& folder, TrackList& list,
                   ProblemList* problems) {
  list.present = false;
  list.count = 0;
  list.recordSize = ModelProfileOf(model.model).trackRecord;
  list.fileName[0] = 0;
  if (!FolderPathUsable(folder)) return false;  // said by CheckFolderLinks
  FolderFilePath(folder, TrackListName(model), list.fileName);
  InFile in;
  if (!OpenOrSay(list.fileName, in, problems)) return false;
  list.present = true;
  const int size = list.recordSize;
  if (in.size % size != 0 && problems != nullptr) {
    AddProblem(*problems, kMsgNotWholeRecords, list.fileName, in.size, size);
  }
  long records = in.size / size;
  if (records > kViewMaxTracks) {
    if (problems != nullptr) {
      AddProblem(*problems, kMsgTooManyTracks, list.fileName, static_cast<int>(records),
                 kViewMaxTracks, kViewMaxTracks);
    }
    records = kViewMaxTracks;
  } else if (records != folder.trackCount && problems != nullptr) {
    AddProblem(*problems, kMsgTrackCount, list.fileName, static_cast<int>(records),
               folder.trackCount);
  }
  for (int k = 0; k < records; ++k) {
    TrackRecord& t = list.tracks[k];
    const long offset = static_cast<long>(k) * size;
    if (!ReadAt(in, offset, t.raw, size)) {
      if (problems != nullptr) AddProblem(*problems, kMsgCannotRead, list.fileName, offset);
      break;
    }
    DecodeTrackRecord(model, t);
    list.count = k + 1;
  }
  CloseIn(in);
  return true;
}

int ReadVolumeFiles(const CardModel& model, const FolderRecord& folder, VolumeFile out[2],
                    ProblemList* problems) {
  if (!FolderPathUsable(folder)) return 0;
  // The files the model's run writes; the first is the one it tests for.
  // A model told apart from another by nothing on the card may have the
  // other's instead.
  const ModelProfile& profile = ModelProfileOf(model.model);
  const char* names[2] = {profile.volumeFile, profile.secondVolumeFile};
  for (const ModelProfile& other : kModelProfiles) {
    if (model.fourOrSix && &other != &profile &&
        std::strcmp(other.folderList, profile.folderList) == 0) {
      names[1] = other.volumeFile;
    }
  }
  int found = 0;
  bool firstFound = false;
  for (int i = 0; i < 2 && names[i] != nullptr; ++i) {
    char path[kViewPathBytes];
    FolderFilePath(folder, names[i], path);
    InFile in;
    if (!OpenIn(path, in)) continue;
    uint8_t bytes[2];
    if (in.size != 2) {
      if (problems != nullptr) AddProblem(*problems, kMsgWrongSize, path, in.size, 2);
    } else if (!ReadAt(in, 0, bytes, 2)) {
      if (problems != nullptr) AddProblem(*problems, kMsgCannotRead, path, 0L);
    } else {
      std::memcpy(out[found].fileName, path, sizeof path);
      out[found].value = U16(bytes, 0);
      ++found;
      if (i == 0) firstFound = true;
    }
    CloseIn(in);
  }
  const bool enough = model.fourOrSix ? found > 0 : firstFound;
  if (!enough && folder.trackCount > 0 && problems != nullptr) {
    char path[kViewPathBytes];
    FolderFilePath(folder, names[0], path);
    AddProblem(*problems, kMsgNoVolume, path, folder.trackCount);
  }
  return found;
}
