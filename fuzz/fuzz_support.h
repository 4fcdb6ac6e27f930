// What the fuzz harnesses share: a private card folder, a quiet console, card files, checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct RunState;

// Enters a fresh card folder (holding F) in the temporary folder, stdout to /dev/null; its path/.
const std::string& EnterPrivateCard(const char* harness);

// Writes bytes to a card path ("\F\RENFIL04.LOG", code page 932) through the host.
void WriteCardFile(const char* path, const uint8_t* data, size_t size);
void WriteCardFile(const char* path, const std::string& bytes);

// The listing harnesses' run state (test fonts loaded, never freed) on a small music card (\M,
// \M\SUB, \EMPTY), cleared but its fonts for each input: byte 0 of data chooses the model and the
// title rule, the rest, confined to the card, becomes the work file workName. size must not be 0.
RunState& StartListingInput(const char* harness, const char* workName, const uint8_t* data,
                            size_t size, std::string& workFile);

// A broken invariant is a finding: print it and abort (libFuzzer keeps the input).
[[noreturn]] void FuzzFail(const char* what, const char* file, int line);
#define FUZZ_CHECK(condition)                                   \
  do {                                                          \
    if (!(condition)) FuzzFail(#condition, __FILE__, __LINE__); \
  } while (0)

// Length of text within at most limit bytes (limit when no zero byte).
size_t BoundedLength(const char* text, size_t limit);
