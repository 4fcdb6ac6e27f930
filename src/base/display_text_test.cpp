#include "base/display_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "testing/temp_card.h"

namespace {

std::string Display(const std::u16string& text, int size = 257) {
  char out[257];
  int n = DisplayTextFromWide(text.c_str(), out, size);
  EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
  return out;
}

// Names a Mac wrote decomposed read as typed; characters code page 932 lacks take Windows' best
// fit or the JIS form's code; '?' only where nothing maps; a double-byte character is never cut.
TEST(DisplayText, ComposesThenMapsByBestFitAndNeverCutsACharacter) {
  const struct {
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {u"\u30AB\u3099\u30A4\u30C9\u30D5\u3099\u30C3\u30AF", ToCp932("ガイドブック")},
      {u"\u30CF\u309A\u3046\u3099", ToCp932("パヴ")},  // ゔ has no code: best fit ヴ
      {u"Cafe\u0301 Mo\u0308t \u00E9\u00F6", "Cafe Mot eo"},
      {u"\u00A2\u00AB\u301C\u2212\u2014\u2016", "\x81\x91\x81\xE1\x81\x60\x81\x7C\x81\x5C\x81\x61"},
      {u"a\u0323\u0302", "?"},                         // one composed character (U+1EAD), no code
      {u"\u1112\u1161\u11AB\U0001F3B5", "??"},         // Hangul by rule; a pair is one character
      {u"\u0301e\u0301\uFF71", "?e\xB1"},              // a mark with nothing before it stays alone
      {u"\u30AB\u00B7\u3099", ToCp932("カ・") + "?"},  // a starter between blocks the mark
      {u"a\u0305\u0301", "a??"},                       // and so does a mark of its class
  };
  for (const auto& c : cases) EXPECT_EQ(Display(c.text), c.bytes) << ToUtf8(c.text);
  EXPECT_EQ(Display(u"ab\u3042\u3044", 4), "ab");  // あ needs bytes 3 and 4, the terminator too
  EXPECT_EQ(Display(u"ab\u3042\u3044", 5), ToCp932("abあ"));
}

// The table in the code is the shared best-fit list (scripts/make-text-tables writes it).
TEST(DisplayText, BestFitTableIsTheSharedList) {
  std::ifstream list(std::string(CARDPREP_SOURCE_DIR) + "/../shared/data/cp932-best-fit.txt");
  if (!list) GTEST_SKIP() << "no shared/data beside the repository";
  int count = 0;
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    uint32_t cp = std::stoul(line.substr(2), nullptr, 16);
    uint16_t code = static_cast<uint16_t>(std::stoul(line.substr(line.find(' ') + 1), nullptr, 16));
    EXPECT_EQ(BestFitCp932(cp), code) << line;
    ++count;
  }
  EXPECT_EQ(count, 89);
}

}  // namespace
