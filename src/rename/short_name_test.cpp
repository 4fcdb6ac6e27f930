#include "rename/short_name.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "testing/temp_card.h"

namespace {

std::string Narrow(const char16_t* wide) { return ToUtf8(std::u16string(wide)); }

bool Acceptable(const std::string& utf8) { return IsAcceptableShortName(ToUtf16(utf8).c_str()); }

TEST(ShortName, AcceptsWhatFatHoldsAsAnEightThreeName) {
  for (const char* name : {"MUSIC", "readme.txt", "ABC.MP3", ".ABC", "ABC.", "AB.X Y", "A+B",
                           "12345678.123", "a,b[c]&d"}) {
    EXPECT_TRUE(Acceptable(name)) << name;
  }
  for (const char* name : {"ABCDEFGHI", "ABC.MPEG", "AB.CD.EF", "MY MUSIC", "日本", "ｱｲｳ",
                           "ABCDEFGHI.MP3", "AB C.MP3", "abc.é"}) {
    EXPECT_FALSE(Acceptable(name)) << name;
  }
}

TEST(ShortName, TellsNonAsciiUnitsAndDoubleByteCharacters) {
  EXPECT_FALSE(HasNonAsciiChar(u""));
  EXPECT_FALSE(HasNonAsciiChar(u"Plain ~ name\x7f"));
  EXPECT_TRUE(HasNonAsciiChar(u"caf\u00e9"));
  EXPECT_TRUE(HasNonAsciiChar(u"\uff71"));  // half-width katakana counts here

  EXPECT_FALSE(HasDoubleByteChar(""));
  EXPECT_FALSE(HasDoubleByteChar(ToCp932("ｱｲｳ abc").c_str()));
  EXPECT_TRUE(HasDoubleByteChar(ToCp932("あ").c_str()));
  EXPECT_TRUE(HasDoubleByteChar(ToCp932("abc表").c_str()));
}

TEST(ShortName, MakesFolderCandidatesFromLettersAndDigitsOrNumbers) {
  int32_t number = 1;
  char16_t out[9];
  EXPECT_FALSE(MakeFolderShortName(u"Best of 77 Live", number, out));
  EXPECT_EQ(Narrow(out), "Bestof77");
  EXPECT_FALSE(MakeFolderShortName(u"Rock & Roll", number, out));
  EXPECT_EQ(Narrow(out), "RockRoll");
  EXPECT_EQ(number, 1);

  EXPECT_TRUE(MakeFolderShortName(ToUtf16("日本の歌").c_str(), number, out));
  EXPECT_EQ(Narrow(out), "00001");
  EXPECT_EQ(number, 2);
  // Nothing to keep: numbered like a non-ASCII name rather than left empty.
  EXPECT_TRUE(MakeFolderShortName(u"---", number, out));
  EXPECT_EQ(Narrow(out), "00002");
  EXPECT_TRUE(MakeFolderShortName(u"!!! ...", number, out));
  EXPECT_EQ(Narrow(out), "00003");
  EXPECT_EQ(number, 4);

  number = 123456;
  EXPECT_TRUE(MakeFolderShortName(u"\u00e9", number, out));
  EXPECT_EQ(Narrow(out), "123456");
}

TEST(ShortName, NamesTracksWithThreeDigitsAndCapitalExtension) {
  char16_t out[16];
  MakeTrackShortName(1, out, 16);
  EXPECT_EQ(Narrow(out), "001.MP3");
  MakeTrackShortName(255, out, 16);
  EXPECT_EQ(Narrow(out), "255.MP3");
  MakeTrackShortName(1000, out, 16);
  EXPECT_EQ(Narrow(out), "1000.MP3");
}

// An existence test over a fixed set of paths, compared ignoring ASCII case.
std::set<std::string> takenPaths;
bool Taken(const char16_t* path) {
  std::string s = Narrow(path);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return takenPaths.count(s) > 0;
}
bool EverythingTaken(const char16_t*) { return true; }

TEST(ShortName, FreeNameSearchNumbersOnAndSuffixesInPlace) {
  char16_t path[256];
  int32_t number = 1;
  char16_t candidate[9];
  takenPaths = {"\\P\\00001", "\\P\\MUSICBOX", "\\P\\MUSICBO1"};

  ASSERT_TRUE(MakeFolderShortName(u"\u65e5", number, candidate));
  ASSERT_TRUE(FindFreeFolderName(u"\\P", candidate, true, number, Taken, path, 256));
  EXPECT_EQ(Narrow(path), "\\P\\00002");
  EXPECT_EQ(number, 3);  // the next numbered folder starts at 00003

  ASSERT_FALSE(MakeFolderShortName(u"Music Box", number, candidate));
  ASSERT_TRUE(FindFreeFolderName(u"\\P", candidate, false, number, Taken, path, 256));
  EXPECT_EQ(Narrow(path), "\\P\\MusicBo2");
  EXPECT_EQ(number, 3);
}

TEST(ShortName, FreeNameSearchAlwaysEnds) {
  char16_t path[256];
  char16_t candidate[9] = u"AB";
  int32_t number = 1;
  // Past '9' the suffix runs into characters FAT refuses; with a test that
  // finds everything taken the search still gives up.
  EXPECT_FALSE(FindFreeFolderName(u"", candidate, false, number, EverythingTaken, path, 256));
  number = 99999990;
  char16_t numbered[9] = u"00001";
  EXPECT_FALSE(FindFreeFolderName(u"", numbered, true, number, EverythingTaken, path, 256));
  // A path that does not fit gives no name.
  std::u16string deep(250, u'D');
  char16_t fits[9] = u"ABCDEFGH";
  EXPECT_FALSE(FindFreeFolderName(deep.c_str(), fits, false, number, Taken, path, 256));
}

}  // namespace
