// A temporary folder whose name holds a character code page 932 lacks
// (C:\Users\José\AppData\Local\Temp): the run makes and uses its work
// folder there, and the Tempdir= line shows the name with '?'.
#include <gtest/gtest.h>

#include "tests/e2e_card.h"

namespace fs = std::filesystem;

TEST(AnyTempFolder, ANameOutsideTheCodePageWorks) {
  TempCard card;
  card.WriteFile("First Album/First Track.mp3", "1");
  card.WriteFile("First Album/Second Track.mp3", "2");
  TempCard temp;
  const fs::path jose = temp.root() / fs::path(u8"José");
  fs::create_directories(jose);
  const std::u8string utf8 = jose.u8string();
  ToolResult r = RunWithTempDir(card, "go\n4\n", std::string(utf8.begin(), utf8.end()));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Jos?" + std::string(1, fs::path::preferred_separator) + "\n"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(card.Exists("DIRLST04.DAT")) << r.output;
  EXPECT_TRUE(fs::is_empty(jose)) << "the work folder was left behind";
}
