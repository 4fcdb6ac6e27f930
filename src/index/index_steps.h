// The steps of the index builder before anything is written. They work on
// sortedDirectories, indexGroups and indexCount only; the directory table
// itself is never changed.
#pragma once

struct FolderTable;

// Rows of the directory table in use, never more than the table holds.
int DirectoryRowsInUse(const FolderTable& folders);

// Copies the directory table into sortedDirectories and sorts the rows in
// use by CompareSortKeys; equal keys keep their row order, so a card always
// gives the same index.
void SortDirectoryCopy(FolderTable& folders);

// Marks the folders with tracks whose sortKey equals another such folder's
// (namesake 1, else 0) and prints one key line per folder.
void MarkNamesakes(FolderTable& folders);

// Gives each namesake the title "title|parent title" (at most 32 bytes);
// titles of 31 bytes or more stay as they are. One line per namesake.
void ExtendNamesakeTitles(FolderTable& folders);

// Groups the folders with tracks by their index character, filling
// indexGroups, indexCount and each folder's indexGroup. A group holds at
// most 255 folders: more folders of one character continue in a further
// group of the same character. Folders that would need a group beyond the
// table are left out of the index (one line says how many); as the rows are
// sorted they are always the last ones. Returns the number of folders with
// tracks that the index holds.
int BuildIndexGroups(FolderTable& folders);
