// A folder whose entries cannot be read: it is reported in one line, the
// run ends with status 1 after the rename pass, and the card's catalogue is
// left as it was. Root reads any folder, so as root the run is made as
// another user.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "testing/temp_card.h"
#include "testing/tool_runner.h"

namespace fs = std::filesystem;

#ifndef _WIN32
namespace {

constexpr uid_t kNobody = 65534;

// Runs cardprep on the card as kNobody when this test runs as root (the
// card and a temporary folder made theirs), else as this user.
ToolResult RunUnprivileged(const TempCard& card, const std::string& input) {
  if (geteuid() != 0) return RunCardprep(card.root().string(), input);
  const std::string tmp = card.root().string() + "-tmp";
  fs::create_directories(tmp);
  std::vector<fs::path> owned = {card.root(), tmp};
  for (const auto& entry : fs::recursive_directory_iterator(card.root())) owned.push_back(entry.path());
  for (const fs::path& path : owned) EXPECT_EQ(lchown(path.c_str(), kNobody, kNobody), 0) << path;
  const std::vector<std::string> asNobody = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                             "/usr/bin/env", "TMPDIR=" + tmp};
  std::vector<std::string> args = asNobody;
  args.push_back(CARDPREP_EXE);
  ToolResult r = RunTool("/usr/bin/setpriv", args, card.root().string(), input);
  fs::remove_all(tmp);
  return r;
}

bool NobodyCanReach(const TempCard& card) {
  if (geteuid() != 0) return true;
  if (access("/usr/bin/setpriv", X_OK) != 0) return false;
  lchown(card.root().c_str(), kNobody, kNobody);
  return RunTool("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                                      "/usr/bin/test", "-w", card.root().string()},
                 "/", "")
             .status == 0;
}

}  // namespace
#endif

TEST(UnlistedFolder, IsReportedAndTheRunEndsWithStatus1LeavingTheCatalogue) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine, as root here, lists every folder: it keeps no access rights of its own";
#else
  TempCard card;
  if (!NobodyCanReach(card)) GTEST_SKIP() << "no other user can reach the test card";
  card.WriteFile("L/a b.mp3", "a");
  card.WriteFile("M/c.mp3", "c");
  card.WriteFile("DIRLST04.DAT", "the catalogue of a run before");
  ASSERT_EQ(chmod((card.root() / "L").c_str(), 0333), 0);

  ToolResult r = RunUnprivileged(card, "go\n4\n");
  chmod((card.root() / "L").c_str(), 0755);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("ディレクトリの中を読めないので、その中は名前変更しない [\\L]"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(card.ReadFile("L/a b.mp3"), "a");
  EXPECT_EQ(card.ReadFile("DIRLST04.DAT"), "the catalogue of a run before");
#endif
}
