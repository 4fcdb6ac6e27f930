// The record readers and the catalogue printer on spoilt card files.
#include "view/card_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "testing/temp_card.h"
#include "view/catalogue_print.h"
#include "view/prepared_cards.h"

TEST(CardReader, CountsProblemsBeyondThoseItKeeps) {
  ProblemList problems{};
  for (int k = 0; k < kViewMaxProblems + 5; ++k) AddProblem(problems, "problem %d", k);
  EXPECT_EQ(problems.count, kViewMaxProblems + 5);
  EXPECT_STREQ(problems.lines[kViewMaxProblems - 1], "problem 99");
  testing::internal::CaptureStdout();
  PrintProblems(problems);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("error: problem 0\n"), std::string::npos);
  EXPECT_NE(out.find("error: and 5 more problems\n"), std::string::npos);
}

TEST(CardReader, ControlBytesInCardTextArePrintedAsQuestionMarks) {
  char out[16];
  PrintableText("A\x1B[2J\x7F" "B", out, sizeof out);
  EXPECT_STREQ(out, "A?[2J?B");
  PrintableText("\x93\xfa\x96\x7b", out, sizeof out);  // 日本: trail bytes are kept
  EXPECT_STREQ(out, "\x93\xfa\x96\x7b");
  PrintableText("ABCDEFGH", out, 4);
  EXPECT_STREQ(out, "ABC");
}

// Spoilt link and count fields, or cut files, never make the reader or the
// printer read past a record or loop.
TEST(CardReader, RandomlySpoiltFilesNeverCrashOrHang) {
  std::mt19937 random(12345);
  const char* files[] = {"DIRLST10.DAT", "INDEX10.DAT", "00001/SNDLST10.DAT", "HIST04.DAT"};
  for (int round = 0; round < 40; ++round) {
    TempCard copy;  // the current directory while it lives
    CopyPreparedCard(10, copy.root());
    const std::string file = files[round % 4];
    std::string bytes = copy.ReadFile(file);
    if (round % 5 == 4) {
      bytes.resize(random() % (bytes.size() + 1));
    } else {
      for (int k = 0; k < 12; ++k) {
        const size_t at = (random() % (bytes.size() / 64 + 1)) * 64 + 60 + random() % 30;
        bytes[std::min(bytes.size() - 1, at)] = static_cast<char>(random());
      }
    }
    copy.WriteFile(file, bytes);
    auto card = std::make_unique<CardContents>();
    auto problems = std::make_unique<ProblemList>();
    card->model = ModelFromNumber(10);
    if (!ReadCard(*card, *problems)) continue;
    testing::internal::CaptureStdout();
    PrintCatalogue(*card, *problems);
    PrintProblems(*problems);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Random play:"), std::string::npos) << round;
  }
}
