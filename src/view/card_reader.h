// Reads a prepared card's files back with the record layouts the writers
// use: the folder list, the track lists and volume files, the history
// file, the index, and the message, character and menu images. Every file
// is opened with HostOpen (card-root paths with backslashes) and read
// record by record into fixed tables; nothing is read past a record or a
// table. What does not hold together is added to a ProblemList as one line
// that names the file and says what is wrong.
//
// The folder list, the track lists and the index are read in files of
// their own (folder_list_reader.cpp, track_list_reader.cpp,
// index_reader.cpp); card_reading.h holds what they share.
#pragma once

#include <cstdint>

#include "model/model_profile.h"

constexpr int kViewMaxRows = 1000;     // directory rows, the root included
constexpr int kViewMaxTracks = 255;    // tracks of one folder
constexpr int kViewMaxGroups = 255;    // index groups
constexpr int kViewMaxProblems = 100;  // lines kept; more are only counted
constexpr int kViewProblemBytes = 320;
constexpr int kViewPathBytes = 80;  // a folder path (<= 61) and a file name

// --- Problems ----------------------------------------------------------

struct ProblemList {
  int count;  // every problem found, kept or not
  char lines[kViewMaxProblems][kViewProblemBytes];
};

// Adds one line (code page 932, no line feed), printf-style.
void AddProblem(ProblemList& problems, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// --- The model -------------------------------------------------------------

struct CardModel {
  int model;                    // 4, 6, 8, 10 or 12; 0 when the card holds no folder list
  bool fourOrSix;               // detected from a folder list alone that models share and
                                // no file of the card tells apart (4 and 6 look the same)
  const ModelProfile* profile;  // of model; null with model 0
};

// The model from the files in the card's root, by the model profiles: a
// folder list, and where models share it, the image file only one of them
// writes (CHRIMG10.DAT: 10, else 12). When several folder lists lie on the
// card the last model's in the table wins and othersFound is set.
CardModel DetectCardModel(bool& othersFound);

// The model given by number (9 is 8); model 0 for a number that is none.
CardModel ModelFromNumber(int number);

// "4/6", "8", "10" or "12".
const char* ModelName(const CardModel& model);

// --- The folder list (DIRLST04/08/10.DAT) --------------------------------

constexpr int kViewMaxFolderRecordBytes = 1280;

struct FolderRecord {
  uint8_t raw[kViewMaxFolderRecordBytes];  // the record as read
  char path[62];                           // path field, terminated within its 61 bytes
  int pathLength;                          // length byte
  char shortName[13];                      // 12-byte field without its fill spaces
  int firstChild;                          // record number of the first subfolder, or 0
  int childCount;
  int parent;       // record number
  int grandparent;  // record number
  int nextRandom;   // row number (record - 1) of the next folder in random play
  int trackCount;
  char displayName[34];  // title field, terminated
  int imageWidth;        // model 8
  int imageLayout;       // model 8
};

struct FolderList {
  const char* fileName;
  int recordSize;
  int headerRows;                   // the header's row count
  int headerRandomCount;            // the header's count of folders with tracks
  int rowCount;                     // rows read (records after the header), at most kViewMaxRows
  FolderRecord rows[kViewMaxRows];  // row r is record r + 1; row 0 the root
};

// Reads the model's folder list. Returns false (after a problem line) when
// it is missing or holds no root record; the rows that could be read are
// kept otherwise, and every disagreement is a problem line.
bool ReadFolderList(const CardModel& model, FolderList& list, ProblemList& problems);

// Checks the parent, grandparent and child links of every row against the
// table: links outside it, child counts that disagree with the parent
// links, and rows the tree from the root never reaches (a parent loop).
void CheckFolderLinks(const FolderList& list, ProblemList& problems);

// The random play chain, followed from the root's link.
struct RandomChain {
  int length;  // folders on the chain, each once
  uint16_t rows[kViewMaxRows];
  bool closed;  // the last folder leads back to the first
};

// Follows the chain; a link outside the table, a folder without tracks on
// it, a loop that does not return to the first folder, and folders with
// tracks left off it are problem lines. Never follows more links than the
// table has rows.
void FollowRandomChain(const FolderList& list, RandomChain& chain, ProblemList& problems);

// Row number of the row's parent, or -1 when its parent link lies outside
// the table. The root (row 0) has no parent: -1.
int ParentRow(const FolderList& list, int row);

// --- Track lists and volume files ------------------------------------------

constexpr int kViewMaxTrackRecordBytes = 1216;

struct TrackRecord {
  uint8_t raw[kViewMaxTrackRecordBytes];
  char shortName[14];
  char number[3];   // two digits, terminated
  char title[34];   // text field, fill spaces at the end removed
  int imageWidth;   // model 8
  int imageLayout;  // model 8
};

struct TrackList {
  char fileName[kViewPathBytes];  // card-root path of the file
  bool present;
  int recordSize;
  int count;  // records read, at most kViewMaxTracks
  TrackRecord tracks[kViewMaxTracks];
};

// Reads the track list of a folder row (not the root) through its path
// field. Missing files, sizes that are no whole number of records and
// record counts that differ from the row's track count are problem lines
// (when problems is not null).
bool ReadTrackList(const CardModel& model, const FolderRecord& folder, TrackList& list,
                   ProblemList* problems);

struct VolumeFile {
  char fileName[kViewPathBytes];
  int value;  // the stored volume
};

// Reads the folder's volume files of the model (VOLUME08 and VOLUME09 for
// model 8; VOLUME04 or VOLUME06 when the model is 4 or 6). Returns how many
// were found (0 to 2). A folder with tracks and no volume file, and a
// volume file that is not 2 bytes long, are problem lines.
int ReadVolumeFiles(const CardModel& model, const FolderRecord& folder, VolumeFile out[2],
                    ProblemList* problems);

// True when the folder path can name files: it starts with a backslash,
// is terminated within its field and its length byte agrees.
bool FolderPathUsable(const FolderRecord& folder);

// --- History file (HIST04.DAT) ---------------------------------------------

struct HistoryFile {
  bool present;
  int startRow;  // the first folder of random play, a row number
};

void ReadHistoryFile(HistoryFile& history, ProblemList& problems);

// --- Index (INDEX10.DAT, models 10 and 12) ---------------------------------

constexpr int kIndexRecordBytes = 512;

struct IndexGroupRecord {
  uint8_t raw[kIndexRecordBytes];
  char character[9];  // terminated
  int folderCount;
  int firstPosition;      // among the folder records, from 0
  int firstFolderRecord;  // record number stored at offset 75
};

struct IndexFolderRecord {
  uint8_t raw[kIndexRecordBytes];
  char path[62];
  char shortName[13];
  int group;  // group number counted from 1
  int trackCount;
  char displayName[34];
};

struct IndexFile {
  bool present;
  int headerEntries;  // groups + folders, as the header says
  int headerFolders;
  int groupCount;   // group records read
  int folderCount;  // folder records read
  IndexGroupRecord groups[kViewMaxGroups];
  IndexFolderRecord folders[kViewMaxRows];
};

// Reads INDEX10.DAT and checks its counts and links, and that every folder
// it lists is a folder of the folder list with the same track count.
void ReadIndexFile(const FolderList& folders, IndexFile& index, ProblemList& problems);

// --- Message, character and menu images -------------------------------------

constexpr int kMessageFileBytes = 200;
constexpr int kMessageColumns = 50;
constexpr int kCharacterStripColumns = 570;
constexpr int kMaxMenuFileBytes = 2048;

struct DisplayResources {
  bool hasMessages;  // model 8
  uint8_t messages[kMessageFileBytes];
  bool hasCharacters;  // model 10
  int characterColumns;
  uint8_t characters[2 * kCharacterStripColumns];
  bool hasMenu;  // models 10 and 12
  const char* menuFileName;
  uint8_t menu[kMaxMenuFileBytes];
};

// Reads the model's MSGIMG08.DAT, CHRIMG10.DAT and MNUDAT10/12.DAT;
// missing files and wrong sizes are problem lines.
void ReadDisplayResources(const CardModel& model, DisplayResources& out, ProblemList& problems);

// --- A whole card -------------------------------------------------------------

struct CardContents {
  CardModel model;
  FolderList folders;
  RandomChain chain;
  HistoryFile history;
  IndexFile index;
  DisplayResources display;
  TrackList tracks;  // one folder's tracks at a time, for whoever reads them
};

// Reads the folder list and every other root file of the model and checks
// them against each other. Returns false when there is no folder list to
// show. Track lists are read by the caller, one folder at a time.
bool ReadCard(CardContents& card, ProblemList& problems);

// The track list name and record size of the model.
const char* TrackListName(const CardModel& model);
