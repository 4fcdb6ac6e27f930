#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/host.h"
#include "platform/host_internal.h"
#include "testing/temp_card.h"
#if !defined(_WIN32)
#include "platform/host_posix.h"
#endif

namespace {

// --- Code page 932 -------------------------------------------------------------------

TEST(HostText, Cp932RoundTripsAndMarksWhatItCannotConvert) {
  EXPECT_EQ(ToCp932("日本の歌"), "\x93\xfa\x96\x7b\x82\xcc\x89\xcc");
  EXPECT_EQ(ToCp932("ｱｲｳﾟ｡"), "\xb1\xb2\xb3\xdf\xa1");
  EXPECT_EQ(ToCp932("\\~"), "\\~");
  EXPECT_EQ(ToCp932("～①ⅰ"), "\x81\x60\x87\x40\xfa\x40");
  for (const char* text :
       {"日本の歌", "ｱｲｳﾟ｡", "表示名04.txt", "～①ⅰ∵", "ソ\\能", "\xee\x80\x80"}) {
    EXPECT_EQ(FromCp932(ToCp932(text)), text);
  }
  EXPECT_EQ(FromCp932("\xed\x40"), FromCp932("\xfa\x5c"));  // NEC-selected IBM = IBM's own
  // Characters code page 932 lacks: one '?' each, no best-fit substitutes.
  EXPECT_EQ(ToCp932("é¥"), "??");
  EXPECT_EQ(ToCp932("a😀b"), "a?b");
  char buf[8];
  EXPECT_EQ(HostWideToCp932(u"x\xdc00", buf, sizeof buf), 2);  // lone surrogate
  EXPECT_EQ(std::string(buf), "x?");
  // Bytes that are not code page 932.
  EXPECT_EQ(FromCp932("\x81\x20"
                      "a"),
            "? a");
  EXPECT_EQ(FromCp932("\x80\xa0\xfd"), "???");
  EXPECT_EQ(FromCp932("a\x82"), "a?");
  EXPECT_EQ(FromCp932("\x85\x40"), "?");  // unassigned double-byte code
}

TEST(HostText, ConversionsStopAtTheirBufferWithoutSplittingCharacters) {
  char buf[4];
  EXPECT_EQ(HostWideToCp932(u"a\u3042\u3044", buf, 4), 3);
  EXPECT_EQ(std::string(buf), "a\x82\xa0");
  EXPECT_EQ(HostWideToCp932(u"ab\u3042", buf, 4), 2);  // no room for both bytes
  EXPECT_EQ(std::string(buf), "ab");
  EXPECT_EQ(HostWideToCp932(u"abc", buf, 1), 0);
  EXPECT_EQ(buf[0], 0);
  char16_t wide[3];
  EXPECT_EQ(HostCp932ToWide("\x93\xfa\x96\x7b\x82\xcc", wide, 3), 2);
  EXPECT_EQ(std::u16string(wide), u"\u65e5\u672c");
}

TEST(HostText, NamesEqualIgnoringAsciiCaseOnlyInAsciiLetters) {
  const char16_t* a = u"Track 01 - Ｔｉｔｌｅ 曲.mp3";
  const char16_t* b = u"TRACK 01 - Ｔｉｔｌｅ 曲.MP3";
  int n = static_cast<int>(std::char_traits<char16_t>::length(a));
  EXPECT_TRUE(HostEqualsIgnoreAsciiCase(a, n, b, n));
  // Full-width letters are not folded; a difference in the tail counts too.
  const char16_t* c = u"TRACK 01 - ＴＩＴＬＥ 曲.MP3";
  EXPECT_FALSE(HostEqualsIgnoreAsciiCase(a, n, c, n));
  const char16_t* d = u"Track 01 - Ｔｉｔｌｅ 曲.mp4";
  EXPECT_FALSE(HostEqualsIgnoreAsciiCase(a, n, d, n));
  // '@' and '[' sit beside the letters; '`' and '{' beside the small ones.
  EXPECT_FALSE(HostEqualsIgnoreAsciiCase(u"@[`{", 4, u"@[@[", 4));
  EXPECT_FALSE(HostEqualsIgnoreAsciiCase(u"abc", 3, u"abcd", 3 + 1));
}

#if !defined(_WIN32)
// Disk names in UTF-8 become UTF-16 whole or are reported cut, never split
// inside a character, whether they start with ASCII or not.
TEST(HostText, Utf8NamesBecomeUtf16WholeOrReportCut) {
  char16_t out[16];
  EXPECT_TRUE(PosixUtf8ToWide("Song.mp3", out, 9));
  EXPECT_EQ(std::u16string(out), u"Song.mp3");
  EXPECT_FALSE(PosixUtf8ToWide("Song.mp3", out, 8));
  EXPECT_EQ(std::u16string(out), u"Song.mp");
  EXPECT_TRUE(
      PosixUtf8ToWide("ab\xE6\x9B\xB2"
                      "c",
                      out, 8));
  EXPECT_EQ(std::u16string(out), u"ab曲c");
  // A character beyond the first plane takes two units, or none.
  EXPECT_TRUE(PosixUtf8ToWide("a\xF0\x9F\x8E\xB5", out, 4));
  EXPECT_EQ(std::u16string(out), u"a\U0001F3B5");
  EXPECT_FALSE(PosixUtf8ToWide("ab\xF0\x9F\x8E\xB5", out, 4));
  EXPECT_EQ(std::u16string(out), u"ab");
  EXPECT_TRUE(PosixUtf8ToWide("", out, 1));
  EXPECT_EQ(out[0], 0);
}
#endif

}  // namespace
