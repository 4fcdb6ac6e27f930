// Cards prepared by the real cardprep binary for the view tests: one per
// model, made on first use in a test program and removed at its exit.
// Tests that change card files work on a CardCopy.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "testing/tool_runner.h"

// The sample music: folder 日本の歌 (Nihon no Uta for models 4 and 6) with
// two tracks (titles from a tag and from the display-name file), Jazz with one track and a subfolder Best
// with one, Rock with only a subfolder Best with one track, and Empty.
// Prepared with title rule 0 for the graphic models.
const std::filesystem::path& PreparedCard(int model);

// What cardprep printed while preparing it.
const std::string& PreparationOutput(int model);

// A copy of a prepared card without its _FONT folder, removed with the
// object. Paths are relative to the card's root, with '/' and UTF-8.
class CardCopy {
 public:
  explicit CardCopy(int model);
  ~CardCopy();
  CardCopy(const CardCopy&) = delete;
  CardCopy& operator=(const CardCopy&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::string Read(const std::string& relative) const;
  void Write(const std::string& relative, const std::string& bytes) const;
  void Remove(const std::string& relative) const;

 private:
  std::filesystem::path root_;
};

// Makes dir the current directory (the card's root) while it lives.
class InCard {
 public:
  explicit InCard(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InCard() { std::filesystem::current_path(previous_); }
  InCard(const InCard&) = delete;
  InCard& operator=(const InCard&) = delete;

 private:
  std::filesystem::path previous_;
};

// Runs cardprep-view with args in dir.
ToolResult RunView(const std::filesystem::path& dir, const std::vector<std::string>& args = {});

// A RunState holding the test fonts, loaded from a prepared card's _FONT
// folder (as cardprep loaded them); shared by the test program.
const RunState& FontState();

// Little-endian numbers in card bytes, for tests that change records.
void PutU16At(std::string& bytes, size_t offset, unsigned value);
unsigned U16At(const std::string& bytes, size_t offset);
