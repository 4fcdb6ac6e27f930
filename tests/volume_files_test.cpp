// Volume files hold the user's setting and are never rewritten, but one cut
// short (a card that filled while it was written) is written anew, so that
// a later run with room completes the card.
#include <gtest/gtest.h>

#include "tests/e2e_card.h"

TEST(VolumeFiles, OnesCutShortAreWrittenAnewAndWholeOnesKept) {
  const std::string kNewVolume("\xFF\x00", 2);
  const std::string kUserSetting("\x10\x00", 2);
  TempCard card;
  card.WriteFile("S/a.mp3", "a");
  card.WriteFile("S/VOLUME04.DAT", "");
  card.WriteFile("T/b.mp3", "b");
  card.WriteFile("T/VOLUME04.DAT", kUserSetting);
  card.WriteFile("U/c.mp3", "c");
  card.WriteFile("U/VOLUME04.DAT", "\x20");  // one byte of two

  ToolResult r = RunCardprep(card.root().string(), "go\n4\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(card.ReadFile("S/VOLUME04.DAT"), kNewVolume);
  EXPECT_EQ(card.ReadFile("T/VOLUME04.DAT"), kUserSetting);
  EXPECT_EQ(card.ReadFile("U/VOLUME04.DAT"), kNewVolume);
}
