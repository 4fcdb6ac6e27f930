// The card file names and record sizes that depend on the player model.
#pragma once

// Models 8, 10 and 12 have a graphic display: they show double-byte
// characters and get rendered title images.
inline bool IsGraphicModel(int model) { return model == 8 || model == 10 || model == 12; }

// Models 10 and 12 share the two-line image layout and its file names.
inline bool IsTwoLineModel(int model) { return model == 10 || model == 12; }

// The folder's track list file and its record size.
inline const char* TrackListFileName(int model) {
  if (model == 8) return "SNDLST08.DAT";
  if (IsTwoLineModel(model)) return "SNDLST10.DAT";
  return "SNDLST04.DAT";
}
inline int TrackRecordSize(int model) {
  if (model == 8) return 1216;
  if (IsTwoLineModel(model)) return 448;
  return 64;
}

// The volume file whose presence in a folder keeps it from being written.
inline const char* VolumeFileName(int model) {
  switch (model) {
    case 6:
      return "VOLUME06.DAT";
    case 8:
      return "VOLUME08.DAT";
    case 10:
      return "VOLUME10.DAT";
    case 12:
      return "VOLUME12.DAT";
    default:
      return "VOLUME04.DAT";
  }
}

// The folder catalogue in the card's root and its record size.
inline const char* DirectoryListFileName(int model) {
  if (model == 8) return "DIRLST08.DAT";
  if (IsTwoLineModel(model)) return "DIRLST10.DAT";
  return "DIRLST04.DAT";
}
inline int DirectoryRecordSize(int model) {
  if (model == 8) return 1280;
  if (IsTwoLineModel(model)) return 512;
  return 128;
}
