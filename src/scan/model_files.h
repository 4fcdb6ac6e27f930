// The card file names and record sizes that depend on the player model,
// from the model's profile.
#pragma once

#include "model/model_profile.h"

// Models whose titles are rendered (graphic displays): they show
// double-byte characters and need the fonts.
inline bool IsGraphicModel(int model) { return ModelProfileOf(model).needsFonts; }

// Models with the two-line image layout and its file names.
inline bool IsTwoLineModel(int model) {
  return ModelProfileOf(model).titles == TitleLayout::kTwoLines;
}

// The folder's track list file and its record size.
inline const char* TrackListFileName(int model) { return ModelProfileOf(model).trackList; }
inline int TrackRecordSize(int model) { return ModelProfileOf(model).trackRecord; }

// The volume file whose presence in a folder keeps it from being written.
inline const char* VolumeFileName(int model) { return ModelProfileOf(model).volumeFile; }

// The folder catalogue in the card's root and its record size.
inline const char* DirectoryListFileName(int model) { return ModelProfileOf(model).folderList; }
inline int DirectoryRecordSize(int model) { return ModelProfileOf(model).folderRecord; }
