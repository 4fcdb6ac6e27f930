// What the fuzz harnesses share: a private card folder as the current
// directory, a quiet console, fuzz bytes written to card files through the
// host layer, and the checks that turn a broken invariant into a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct RunState;

// Makes a fresh folder below the temporary directory the current directory
// (the card's root) for the life of the process, removes it at exit, and
// sends standard output (the tool's console lines) to /dev/null. Returns
// the folder's host path, ending with '/'.
const std::string& EnterPrivateCard(const char* harness);

// Writes bytes to a card path ("\F\RENFIL04.LOG", code page 932) through
// the host layer, replacing an older file.
void WriteCardFile(const char* path, const uint8_t* data, size_t size);
void WriteCardFile(const char* path, const std::string& bytes);

// Creates a folder below the card root (host path, '/' separated, UTF-8).
void MakeCardFolder(const char* hostPath);

// Removes a card file if it is there (the host path below the card root,
// '/' separated, UTF-8).
void RemoveCardFile(const char* hostPath);

// The fuzz bytes as the text of a listing work file, kept inside the
// private card: the scans write into every folder a listing names, so a
// component ".." and any '/' (a host absolute path on POSIX) are changed
// into harmless names. Everything else stays byte for byte.
std::string ConfineListing(const uint8_t* data, size_t size);

// Saves the font slots of state, clears all of it, and puts them back: a
// fresh run state that keeps the fonts loaded at start-up.
void ResetKeepingFonts(RunState& state);

// Writes the test font set into the private card and loads it into state
// (the graphic models need fonts). Aborts when it cannot.
void LoadFontsOnce(RunState& state);

// A small music collection in the private card, for the scan harnesses:
//   \M         001.MP3 (ID3v2.3 title), 002.MP3 (ID3v2.2 title), 003.mp3
//              (no tag), RENFIL04.LOG, RENDIR04.LOG (a Japanese old name),
//              the display-name file
//   \M\SUB     001.MP3
//   \EMPTY     no files
void MakeMusicFolders();

// Removes the files the scans write (track lists, volume files) from every
// folder of the private card, so that each input meets the same card.
void RemoveScanOutput();

// A broken invariant is a finding: print it and abort (libFuzzer then
// saves the input).
[[noreturn]] void FuzzFail(const char* what, const char* file, int line);
#define FUZZ_CHECK(condition)                                   \
  do {                                                          \
    if (!(condition)) FuzzFail(#condition, __FILE__, __LINE__); \
  } while (0)

// Length of text within at most limit bytes (limit when no zero byte).
size_t BoundedLength(const char* text, size_t limit);
