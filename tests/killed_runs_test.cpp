// Runs killed outright (SIGKILL, TerminateProcess on Windows, as a pulled card or a closed
// terminal would end them) at moments spread over a whole run: no file is lost, and every file
// that bears a new name has its line in the folder's log, but at most the one whose move was in
// flight.
#include <gtest/gtest.h>

#include <set>

#include "testing/rename_card.h"
#include "tests/e2e_card.h"

namespace fs = std::filesystem;

namespace {

constexpr char kModel4[] = "go\n4\n";  // no fonts to load: the rename pass is most of the run
constexpr int kFolders = 4;
constexpr int kTracks = 150;

std::string FolderName(int f) { return "MUSIC" + std::to_string(f); }
std::string TrackName(int i) { return "Track number " + std::to_string(i) + ".mp3"; }
std::string Content(int f, int i) { return FolderName(f) + "/" + TrackName(i); }

void MakeCard(const TempCard& card) {
  for (int f = 0; f < kFolders; ++f) {
    for (int i = 0; i < kTracks; ++i) card.WriteFile(Content(f, i), Content(f, i));
  }
}

// How many files bear a new name that their folder's log does not give;
// a file that is gone fails the test.
int UnloggedMoves(const TempCard& card) {
  int unlogged = 0;
  for (int f = 0; f < kFolders; ++f) {
    std::string folder = FolderName(f);
    std::map<std::string, std::string> nameOf;  // content to the name it bears now
    for (const auto& entry : fs::directory_iterator(card.root() / folder)) {
      std::string name = entry.path().filename().string();
      nameOf[card.ReadFile(folder + "/" + name)] = name;
    }
    std::vector<std::string> lines = LogLines(card.ReadFile(folder + "/RENFIL04.LOG"));
    std::set<std::string> logged(lines.begin(), lines.end());
    for (int i = 0; i < kTracks; ++i) {
      auto it = nameOf.find(Content(f, i));
      if (it == nameOf.end()) {
        ADD_FAILURE() << "lost: " << Content(f, i);
        continue;
      }
      if (it->second != TrackName(i) && !logged.contains(it->second + "\t" + TrackName(i))) {
        ++unlogged;
      }
    }
  }
  return unlogged;
}

}  // namespace

TEST(KilledRuns, CostAtMostTheMoveInFlight) {
  constexpr int kMoments = 12;
  long took;
  {
    TempCard whole;
    MakeCard(whole);
    auto start = std::chrono::steady_clock::now();
    ToolResult r = RunCardprep(whole.root().string(), kModel4);
    took = MicrosecondsSince(start);
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_EQ(UnloggedMoves(whole), 0);
  }
  for (int moment = 1; moment < kMoments; ++moment) {
    TempCard card;
    MakeCard(card);
    long after = took * moment / kMoments;
    SCOPED_TRACE("killed after " + std::to_string(after) + " us");
    ToolResult r = RunCardprep(card.root().string(), kModel4, after, true);
    EXPECT_TRUE(r.status == 0 || r.signal == kKilledSignal) << r.output;
    EXPECT_LE(UnloggedMoves(card), 1);
    if (HasFailure()) return;
  }
}
