// What the fuzz harnesses share: a private card folder, a quiet console, card files, checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct RunState;

// A fresh folder below the temporary directory as the current directory (the card's root),
// standard output to /dev/null; returns its path, ending with '/'.
const std::string& EnterPrivateCard(const char* harness);

// Writes bytes to a card path ("\F\RENFIL04.LOG", code page 932) through the host.
void WriteCardFile(const char* path, const uint8_t* data, size_t size);
void WriteCardFile(const char* path, const std::string& bytes);
// Host paths below the card root ('/' separated, UTF-8).
void MakeCardFolder(const char* hostPath);

// The fuzz bytes as a listing work file's text kept inside the private card
// (the scans write into every folder a listing names): a component ".." and
// any '/' become harmless; everything else stays byte for byte.
std::string ConfineListing(const uint8_t* data, size_t size);

// Clears state but its font slots: a fresh run state with the fonts loaded.
void ResetKeepingFonts(RunState& state);
// Writes the test font set into the private card and loads it into state.
void LoadFontsOnce(RunState& state);

// A small music collection for the scan harnesses: \M with 001.MP3 (ID3v2.3
// title), 002.MP3 (ID3v2.2), 003.mp3 (no tag), both rename logs and the
// display-name file; \M\SUB with 001.MP3; \EMPTY.
void MakeMusicFolders();
// Removes the track lists and volume files, so each input meets the same card.
void RemoveScanOutput();

// A broken invariant is a finding: print it and abort (libFuzzer keeps the input).
[[noreturn]] void FuzzFail(const char* what, const char* file, int line);
#define FUZZ_CHECK(condition)                                   \
  do {                                                          \
    if (!(condition)) FuzzFail(#condition, __FILE__, __LINE__); \
  } while (0)

// Length of text within at most limit bytes (limit when no zero byte).
size_t BoundedLength(const char* text, size_t limit);
