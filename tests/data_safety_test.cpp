// Random cards of any names: a run, and a second one, keep every file with its
// content, every changed name traces back through the logs, and the card only
// gains the tool's own files.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "testing/fontx_builder.h"
#include "testing/id3_builder.h"
#include "testing/random_card.h"
#include "testing/rename_card.h"
#include "testing/temp_card.h"
#include "tests/e2e_card.h"

namespace {

constexpr int kCards = 30;

using Card = RandomCard;

// The files the tool writes: in the root, and in every folder it visits.
const std::set<std::string> kRootToolFiles = {
    "CARDPREP.LOG", "DIRLST04.DAT", "DIRLST08.DAT",    "DIRLST10.DAT", "INDEX10.DAT",
    "HIST04.DAT",   "ERRLOG04.DAT", "ERRLOG04_BK.DAT", "MSGIMG08.DAT", "CHRIMG10.DAT",
    "MNUDAT10.DAT", "MNUDAT12.DAT", "PSHFT131.DAT",    "SPEANA.DAT"};
const std::set<std::string> kFolderToolFiles = {
    "SNDLST04.DAT", "SNDLST08.DAT", "SNDLST10.DAT", "VOLUME04.DAT", "VOLUME06.DAT", "VOLUME08.DAT",
    "VOLUME09.DAT", "VOLUME10.DAT", "VOLUME12.DAT", "RENFIL04.LOG", "RENDIR04.LOG"};

std::string Parent(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}
std::string Leaf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

// Where each name on the card came from, as the logs on the card tell it.
class CardHistory {
 public:
  explicit CardHistory(const Snapshot& after) : after_(after) {}

  // The path an entry had before the run, component by component: from a
  // folder's RENDIR04.LOG, or the RENFIL04.LOG of the folder it lies in.
  std::string Original(const std::string& path) const {
    std::string now;
    std::string before;
    size_t start = 0;
    while (start <= path.size()) {
      size_t slash = path.find('/', start);
      std::string name =
          path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      std::string here = Join(now, name);
      before = Join(before, OldName(now, name, here));
      now = here;
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    return before;
  }

  // The note the pass leaves in a renamed folder: the old name, holding the new.
  bool IsFolderNote(const std::string& path) const {
    std::string folder = Parent(path);
    auto log = after_.find(Join(folder, "RENDIR04.LOG"));
    if (folder.empty() || log == after_.end()) return false;
    std::vector<std::string> oldName = LogLines(log->second);
    auto note = after_.find(path);
    return !oldName.empty() && Leaf(path) == oldName[0] &&
           note->second == Utf16Log(Leaf(folder) + "\n");
  }

 private:
  std::string OldName(const std::string& folder, const std::string& name,
                      const std::string& here) const {
    auto dirLog = after_.find(Join(here, "RENDIR04.LOG"));
    if (after_.at(here) == "<folder>" && dirLog != after_.end()) {
      std::vector<std::string> lines = LogLines(dirLog->second);
      if (!lines.empty()) return lines[0];
    }
    auto fileLog = after_.find(Join(folder, "RENFIL04.LOG"));
    if (fileLog != after_.end()) {
      auto [lines, fresh] = fileLogs_.try_emplace(folder);
      if (fresh) lines->second = LogLines(fileLog->second);
      // From the last line back: a later run may have moved a numbered file on.
      std::string old = name;
      for (auto line = lines->second.rbegin(); line != lines->second.rend(); ++line) {
        if (line->starts_with(old + "\t")) old = line->substr(old.size() + 1);
      }
      return old;
    }
    return name;
  }

  const Snapshot& after_;
  mutable std::map<std::string, std::vector<std::string>> fileLogs_;  // decoded once
};

bool IsToolFile(const std::string& path, const std::string& content) {
  std::string folder = Parent(path);
  std::string name = Leaf(path);
  if (content == "<folder>") return false;
  if (folder.empty() && kRootToolFiles.contains(name)) return true;
  return kFolderToolFiles.contains(name);
}

// The planned card on the disk; returns its snapshot.
Snapshot MakeOnDisk(const Card& plan, const TempCard& card) {
  if (plan.model >= 8) WriteTestFontSet();
  for (const std::string& folder : plan.folders) card.MakeDir(folder);
  for (const auto& [path, content] : plan.files) card.WriteFile(path, content);
  return TakeSnapshot(card);
}

std::string Answers(const Card& plan) {
  std::string input = "go\n" + std::to_string(plan.model) + "\n";
  if (plan.model >= 8) input += std::to_string(plan.titleRule) + "\n";
  return input;
}

// What of the card before the run cannot be found on it now: every entry
// is traced back, through the logs, to where it was before the run.
std::string Untraced(const Snapshot& before, const TempCard& card) {
  Snapshot after = TakeSnapshot(card);
  CardHistory history(after);
  Snapshot traced;
  std::string twice;
  for (const auto& [path, content] : after) {
    if (IsToolFile(path, content) || history.IsFolderNote(path)) continue;
    std::string original = history.Original(path);
    if (traced.contains(original)) twice += "found twice: " + original + "\n";
    traced[original] = content;
  }
  return twice + Differences(before, traced);
}

}  // namespace

TEST(DataSafety, RandomCardsKeepEveryFileAndLogEveryNameTheyChange) {
  for (uint32_t seed = 1; seed <= kCards; ++seed) {
    SCOPED_TRACE("card seed " + std::to_string(seed));
    Card plan = MakeRandomCard(seed);
    auto cardOwner = NewCard();
    Snapshot before = MakeOnDisk(plan, *cardOwner);
    ToolResult r = RunOn(*cardOwner, Answers(plan));
    ASSERT_TRUE(r.status == 0 || r.status == 1) << r.output;
    if (r.status == 1) {
      EXPECT_NE(r.output.find("手で名前変更すること"), std::string::npos) << r.output;
    }
    EXPECT_EQ(Untraced(before, *cardOwner), "") << r.output;
    if (seed % 3 == 0) {  // run again, as after renaming by hand what could not be renamed
      r = RunOn(*cardOwner, Answers(plan));
      EXPECT_EQ(Untraced(before, *cardOwner), "") << "second run\n" << r.output;
    }
    if (HasFailure()) return;
  }
}

// Names a card cannot hold, links in the places of the tool's files to files
// beside the card, folders that cannot be listed, a nearly full card:
// nothing beside the card changes, every file is kept and traced, no log
// line holds a lost name, and status 1 comes exactly when the run printed
// why.
const std::vector<std::string> kHostileNames = {
    "..\\x.mp3", "a\\b.mp3", "..\\Beside", "AC:DC", "caf\xe9.mp3", "Bad\xff\xfe", "tab\there.mp3"};

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Gives every folder below root (root included) its owner's rights back.
void UnlockFolders(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
  for (const auto& entry : fs::directory_iterator(root, ec)) {
    if (entry.symlink_status().type() == fs::file_type::directory) UnlockFolders(entry.path());
  }
}

bool SaysWhyItFailed(const std::string& output) {
  for (const char* why : {"できない", "手で名前変更", "書き直さない", "読めない", "書けない", "使えない", "エラー"}) {
    if (output.find(why) != std::string::npos) return true;
  }
  return false;
}

TEST(DataSafety, HostileCardsTouchNothingBesideThemAndLoseNoName) {
  constexpr int kHostileCards = 24;
  for (uint32_t seed = 1; seed <= kHostileCards; ++seed) {
    SCOPED_TRACE("hostile card seed " + std::to_string(seed));
    Card plan = MakeRandomCard(1000 + seed);
    plan.model = seed % 2 == 0 ? 4 : 6;
    std::mt19937 rng(seed);
    int hostile = RandomBetween(rng, 0, 3);  // some cards have none
    std::vector<std::string> folders(plan.folders.begin(), plan.folders.end());
    folders.push_back("");
    for (int i = 0; i < hostile; ++i) {
      std::string folder = RandomPick(rng, folders);
      std::string name = RandomPick(rng, kHostileNames);
      std::string path = folder.empty() ? name : folder + "/" + name;
      plan.files[path] = "hostile " + std::to_string(i);
    }
    auto cardOwner = NewCard();
    const TempCard& card = *cardOwner;
    namespace fs = std::filesystem;
    fs::path beside = card.root().string() + "-beside";
    fs::create_directories(beside / "Beside");
    std::ofstream(beside / "x.mp3") << "beside";
    std::ofstream(beside / "Beside" / "b.mp3") << "beside too";
    std::ofstream(beside / "diary.txt") << "dear diary";
    // A card that is nearly full: a small memory filesystem of its own,
    // where one can be mounted (as root), filled but for a few pages.
    struct Unmount {
      std::string at;
      ~Unmount() {
        if (!at.empty()) umount2(at.c_str(), MNT_DETACH);
      }
    } unmount;
    if (seed % 4 == 3 && mount("tmpfs", card.root().c_str(), "tmpfs", 0, "size=2m") == 0) {
      unmount.at = card.root().string();
    }
    Snapshot before = MakeOnDisk(plan, card);
    if (!unmount.at.empty()) {
      std::ofstream filler(card.root() / "filler.bin", std::ios::binary);
      std::string block(4096, 'f');
      while (filler.write(block.data(), block.size())) {
      }
      filler.close();
      fs::resize_file(card.root() / "filler.bin",
                      fs::file_size(card.root() / "filler.bin") - RandomBetween(rng, 0, 8) * 4096);
      before = TakeSnapshot(card);
    }
    bool linked = seed % 3 == 0;
    if (linked) {
      std::string target = (beside / "diary.txt").string();
      for (const char* tool : {"HIST04.DAT", "DIRLST04.DAT", "CARDPREP.LOG"}) {
        if (RandomBetween(rng, 0, 1) == 0) symlink(target.c_str(), (card.root() / tool).c_str());
      }
      if (!folders.empty() && !folders.front().empty()) {
        symlink(target.c_str(), (card.root() / fs::path(folders.front()) / "RENFIL04.LOG").c_str());
      }
    }
    // Folders that cannot be listed; as root the run is made as another user.
    bool locked = seed % 4 == 1 && folders.size() > 1 && NobodyCanReach(card);
    if (locked) {
      for (int i = RandomBetween(rng, 1, 2); i > 0; --i) {
        fs::path folder = card.root() / fs::path(folders[RandomBetween(rng, 0, folders.size() - 2)]);
        std::error_code ec;
        fs::permissions(folder, seed % 8 == 1 ? fs::perms::none : fs::perms(0333), ec);
      }
    }
    ToolResult r = locked ? RunUnprivileged(card, Answers(plan)) : RunOn(card, Answers(plan));
    UnlockFolders(card.root());
    EXPECT_EQ(r.status == 1, SaysWhyItFailed(r.output)) << r.output;
    EXPECT_EQ(Read(beside / "x.mp3") + Read(beside / "Beside" / "b.mp3") + Read(beside / "diary.txt"),
              "besidebeside toodear diary");
    Snapshot after = TakeSnapshot(card);
    for (const auto& [path, content] : after) {
      if (Leaf(path) == "RENFIL04.LOG" || Leaf(path) == "RENDIR04.LOG") {
        EXPECT_EQ(content.find("\xfd\xff"), std::string::npos) << "a lost name in " << path;
      }
    }
    if (!linked) {
      EXPECT_EQ(Untraced(before, card), "") << r.output;
    }
    fs::remove_all(beside);
    if (HasFailure()) return;
  }
}

// Ctrl-C at moments spread over a whole run: every file is still there and
// every changed name is in a log.
TEST(DataSafety, InterruptedRunsKeepEveryFileAndLogEveryNameTheyChanged) {
  constexpr int kMoments = 10;
  for (uint32_t seed = 101; seed <= 102; ++seed) {
    SCOPED_TRACE("card seed " + std::to_string(seed));
    Card plan = MakeRandomCard(seed);
    plan.model = 4;                // no fonts to load: the rename pass is most of the run
    for (int f = 0; f < 4; ++f) {  // folders of many moves, most of the run
      std::string folder = "Many Tracks " + std::to_string(f);
      plan.folders.insert(folder);
      for (int i = 0; i < 200; ++i) {
        plan.files[folder + "/Track number " + std::to_string(i) + ".mp3"] =
            folder + " " + std::to_string(i);
      }
    }
    auto whole = NewCard();
    MakeOnDisk(plan, *whole);
    auto start = std::chrono::steady_clock::now();
    int status = RunOn(*whole, Answers(plan)).status;
    ASSERT_TRUE(status == 0 || status == 1);
    auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();
    for (int moment = 0; moment < kMoments; ++moment) {
      auto cardOwner = NewCard();
      Snapshot before = MakeOnDisk(plan, *cardOwner);
      long after = static_cast<long>(took * moment / kMoments);
      SCOPED_TRACE("interrupted after " + std::to_string(after) + " us");
      ToolResult r = RunOn(*cardOwner, Answers(plan), after);
      EXPECT_TRUE(r.status == status || r.signal == SIGINT) << r.status << " " << r.output;
      EXPECT_EQ(Untraced(before, *cardOwner), "") << r.output;
      if (HasFailure()) return;
    }
  }
}
