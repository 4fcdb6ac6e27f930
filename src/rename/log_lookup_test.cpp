// The look-up of a track's old name when later runs renumbered the folder:
// the newest line for a short name wins, and an old name that is a short
// name of an earlier line is followed back to the name before.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/run_state.h"
#include "rename/rename_log.h"
#include "testing/rename_card.h"

namespace {

std::string Lookup(const RunState& state, const std::string& shortName) {
  char out[257];
  bool found = FindPreRenameName(state, shortName.c_str(), out);
  return std::string(out) + (found ? "" : " (no line)");
}

}  // namespace

TEST(LogLookup, RenumberedTracksKeepTheirFirstNames) {
  TempCard card;
  // Run 1 could not rename 'B?.mp3'; renamed by hand to B.mp3, run 2 moved
  // 003.MP3 (C) to 002.MP3 and B.mp3 to 003.MP3; run 3 moved 002.MP3 on.
  card.WriteFile("A/RENFIL04.LOG", Utf16Log("001.MP3\tA.mp3\n003.MP3\tC.mp3\n"
                                            "002.MP3\t003.MP3\n003.MP3\tB.mp3\n"
                                            "005.MP3\t002.MP3\n"));
  auto state = std::make_unique<RunState>();
  ASSERT_TRUE(ReadFileRenameLog(*state, "A"));
  EXPECT_EQ(Lookup(*state, "001.MP3"), "A.mp3");
  EXPECT_EQ(Lookup(*state, "003.MP3"), "B.mp3");
  EXPECT_EQ(Lookup(*state, "002.MP3"), "C.mp3");
  EXPECT_EQ(Lookup(*state, "005.MP3"), "C.mp3");  // followed back twice
  EXPECT_EQ(Lookup(*state, "004.MP3"), "004.MP3 (no line)");
}
