// The files cardprep made on a card besides its logs, and which of the
// files of those names are cardprep's: what --remove-catalogue removes.
#pragma once

#include "model/model_profile.h"

struct HostFindEntry;

// What the card as a whole tells of cardprep's runs on it, read before
// anything changes.
struct CatalogueEvidence {
  bool workLog;  // CARDPREP.LOG, a file in the root
  // Per model (a row of the model profiles): its folder list is whole and
  // names only folders present. Models sharing a list share its value.
  bool listProven[kModelCount];
  bool prepared;  // the work log and a folder list: cardprep prepared this root
  bool unsure;    // a list names a folder that is there but cannot be read
};

// root is the card root as a path prefix ("" on POSIX, "E:" on Windows).
void ReadCatalogueEvidence(const char16_t* root, CatalogueEvidence& evidence);

// True when cardprep writes its folder files (track lists, volume files)
// into folderPath, a folder below root: a prepared card's folder that its
// folder list names, or that holds a rename log where the rename pass went
// (renamedHere). Never a folder whose name (or a parent's) the scan leaves
// alone: '_', "System", or one the systems keep for themselves.
bool IsCatalogueFolder(const CatalogueEvidence& evidence, const char16_t* root,
                       const char16_t* folderPath, bool renamedHere);

enum class CatalogueKind {
  kNone,      // the user's: stays
  kFile,      // cardprep's
  kEvidence,  // cardprep's, and what shows the rest is: removed last
  kLink,      // a link in the place of a file cardprep would own: the user's
  kUnproven,  // of cardprep's name (and, in a folder, layout), but the card
              // does not show it is cardprep's: kept as the user's, but said
              // (it may be cardprep's, of a run ended before its folder list
              // or of a card whose folders have their old names back)
};

// What the entry of folderPath is. atRoot: folderPath is the card's root;
// catalogueFolder: IsCatalogueFolder said so, or (on a card not shown to be
// prepared) the rename pass left a log there (ignored at the root).
CatalogueKind ClassifyEntry(const CatalogueEvidence& evidence, const char16_t* folderPath,
                            bool atRoot, bool catalogueFolder, const HostFindEntry& entry);

// True for the work log's name (CARDPREP.LOG in any case).
bool IsWorkLogName(const char16_t* name);
