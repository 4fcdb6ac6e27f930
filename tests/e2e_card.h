// What the end-to-end tests of cards share: snapshots of every file and
// folder of a card with its content, and runs of the real binary. (CTest
// puts their temporary folder in memory where the host has one.)
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testing/temp_card.h"
#include "testing/tool_runner.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

// A new temporary card (the current directory while it lives).
inline std::unique_ptr<TempCard> NewCard() { return std::make_unique<TempCard>(); }

// Relative path (UTF-8, '/') to content; folders map to "<folder>",
// anything else that is no regular file (a pipe, a link) to "<other>" and
// is never opened.
using Snapshot = std::map<std::string, std::string>;

inline Snapshot TakeSnapshot(const TempCard& card) {
  namespace fs = std::filesystem;
  Snapshot shot;
  for (auto it = fs::recursive_directory_iterator(card.root()); it != fs::end(it); ++it) {
    auto rel = fs::relative(it->path(), card.root()).generic_u8string();
    std::string path(rel.begin(), rel.end());
    auto status = it->symlink_status();
    if (fs::is_directory(status)) {
      shot[path] = "<folder>";
    } else if (fs::is_regular_file(status)) {
      shot[path] = card.ReadFile(path);
    } else {
      shot[path] = "<other>";
    }
  }
  return shot;
}

// What differs between two snapshots, one path per line ("" when nothing).
inline std::string Differences(const Snapshot& before, const Snapshot& after) {
  std::string out;
  for (const auto& [path, content] : before) {
    auto it = after.find(path);
    if (it == after.end()) {
      out += "gone: " + path + "\n";
    } else if (it->second != content) {
      out += "changed: " + path + "\n";
    }
  }
  for (const auto& [path, content] : after) {
    if (!before.contains(path)) out += "new: " + path + "\n";
  }
  return out;
}

// Runs the tool on the card (with a temporary folder of its own). With
// interruptAfterUs >= 0 it gets SIGINT that many microseconds after it
// started (POSIX only).
inline ToolResult RunOn(const TempCard& card, const std::string& input,
                        long interruptAfterUs = -1) {
  return RunCardprep(card.root().string(), input, interruptAfterUs);
}

// Runs the tool on the card with the temporary folder given.
inline ToolResult RunWithTempDir(const TempCard& card, const std::string& input,
                                 const std::string& tempDir) {
  return RunTool(CARDPREP_EXE, {}, card.root().string(), input, -1, false, tempDir);
}

#ifndef _WIN32
// Root reads any folder: a test of folders that cannot be read runs the
// tool as another user when it runs as root.
inline constexpr uid_t kNobody = 65534;

// Runs cardprep on the card as kNobody when this test runs as root (the
// card and a temporary folder made theirs), else as this user.
inline ToolResult RunUnprivileged(const TempCard& card, const std::string& input) {
  if (geteuid() != 0) return RunCardprep(card.root().string(), input);
  const std::string tmp = card.root().string() + "-tmp";
  std::filesystem::create_directories(tmp);
  std::vector<std::filesystem::path> owned = {card.root(), tmp};
  for (const auto& entry : std::filesystem::recursive_directory_iterator(card.root())) owned.push_back(entry.path());
  for (const std::filesystem::path& path : owned) EXPECT_EQ(lchown(path.c_str(), kNobody, kNobody), 0) << path;
  const std::vector<std::string> asNobody = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                             "/usr/bin/env", "TMPDIR=" + tmp};
  std::vector<std::string> args = asNobody;
  args.push_back(CARDPREP_EXE);
  ToolResult r = RunTool("/usr/bin/setpriv", args, card.root().string(), input);
  std::filesystem::remove_all(tmp);
  return r;
}

// True when a run as kNobody can write the card (always, when not root).
inline bool NobodyCanReach(const TempCard& card) {
  if (geteuid() != 0) return true;
  if (access("/usr/bin/setpriv", X_OK) != 0) return false;
  lchown(card.root().c_str(), kNobody, kNobody);
  return RunTool("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                                      "/usr/bin/test", "-w", card.root().string()},
                 "/", "")
             .status == 0;
}
#endif
