#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/host_internal.h"
#if !defined(_WIN32)
#include "platform/host_posix.h"
#endif

namespace {

TEST(HostNames, NamesEqualIgnoringAsciiCaseOnlyInAsciiLetters) {
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
TEST(HostNames, Utf8NamesBecomeUtf16WholeOrReportCut) {
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
