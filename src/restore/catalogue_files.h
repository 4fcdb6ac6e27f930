// The files cardprep made on a card besides its logs, and which of the
// files of those names are cardprep's: what --remove-catalogue removes.
#pragma once

// What the card's root tells of the runs cardprep made on it, read before
// anything changes.
struct CatalogueEvidence {
  bool list04;   // DIRLST04.DAT (models 4 and 6)
  bool list08;   // DIRLST08.DAT (model 8)
  bool list10;   // DIRLST10.DAT (models 10 and 12)
  bool renamed;  // the root's RENFIL04.LOG: the rename pass ran here
};

// root is the card root as a path prefix ("" on POSIX, "E:" on Windows).
void ReadCatalogueEvidence(const char16_t* root, CatalogueEvidence& evidence);

// True when the regular file name in folderPath is one cardprep made.
// atRoot: folderPath is the card's root. folderName: the folder's own name
// ("" for the root).
bool IsCatalogueFile(const CatalogueEvidence& evidence, const char16_t* folderPath,
                     const char16_t* folderName, bool atRoot, const char16_t* name);

// True for the folder lists (DIRLST04.DAT, DIRLST08.DAT, DIRLST10.DAT in any
// case): they are what tells a later run which files are cardprep's, so
// they are removed last, after everything they vouch for.
bool IsFolderListName(const char16_t* name);
