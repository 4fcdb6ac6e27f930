#include "rename/short_name.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/temp_card.h"

namespace {

std::string Narrow(const char16_t* wide) { return ToUtf8(std::u16string(wide)); }

bool EverythingTaken(const char16_t*) { return true; }
bool Taken(const char16_t* path) {
  std::string s = Narrow(path);
  return s == "\\P\\00001" || s == "\\P\\MusicBox" || s == "\\P\\MusicBo1";
}

TEST(ShortName, FolderCandidatesAndTheFreeNameSearchAlwaysEnd) {
  int32_t number = 1;
  char16_t out[9], path[256];
  EXPECT_FALSE(MakeFolderShortName(u"Best of 77 Live", number, out));
  EXPECT_EQ(Narrow(out), "Bestof77");
  EXPECT_TRUE(MakeFolderShortName(u"--- ---", number, out));  // nothing to keep: numbered
  EXPECT_EQ(Narrow(out), "00001");
  ASSERT_TRUE(FindFreeFolderName(u"\\P", out, true, number, Taken, path, 256));
  EXPECT_EQ(Narrow(path), "\\P\\00002");
  EXPECT_EQ(number, 3);
  char16_t letters[9] = u"MusicBox";
  ASSERT_TRUE(FindFreeFolderName(u"\\P", letters, false, number, Taken, path, 256));
  EXPECT_EQ(Narrow(path), "\\P\\MusicBo2");
  // Ends even when every name is taken, numbers run out or the path is full.
  EXPECT_FALSE(FindFreeFolderName(u"", letters, false, number, EverythingTaken, path, 256));
  number = 99999990;
  EXPECT_FALSE(FindFreeFolderName(u"", out, true, number, EverythingTaken, path, 256));
  std::u16string deep(250, u'D');
  char16_t fits[9] = u"ABCDEFGH";
  EXPECT_FALSE(FindFreeFolderName(deep.c_str(), fits, false, number, Taken, path, 256));
}

TEST(ShortName, AcceptsWhatFatHoldsAsAnEightThreeNameButNoDeviceNameWhichIsNeverGiven) {
  for (const char* name : {"MUSIC", "readme.txt", ".ABC", "ABC.", "AB.X Y", "A+B", "12345678.1"})
    EXPECT_TRUE(IsAcceptableShortName(ToUtf16(name).c_str())) << name;
  for (const char* name : {"ABCDEFGHI", "ABC.MPEG", "AB.CD.EF", "MY MUSIC", "日本", "ｱｲｳ"})
    EXPECT_FALSE(IsAcceptableShortName(ToUtf16(name).c_str())) << name;
  EXPECT_TRUE(HasNonAsciiChar(u"\uff71"));  // half-width katakana counts here
  EXPECT_FALSE(HasNonAsciiChar(u"Plain ~ name\x7f"));
  EXPECT_FALSE(HasDoubleByteChar(ToCp932("ｱｲｳ abc").c_str()));
  EXPECT_TRUE(HasDoubleByteChar(ToCp932("abc表").c_str()));
  // Windows opens a device for these names, whatever the folder.
  for (const char* name :
       {"CON", "aux", "Nul.mp3", "PRN.TXT.X", "com1", "LPT9.MP3", "AUX .x", "con  ", "NUL."}) {
    EXPECT_TRUE(IsDeviceName(ToUtf16(name).c_str())) << name;
  }
  for (const char* name :
       {"COM0", "COM10", "LPT", "LPT.1", "CONSOLE", "AUXX", "XAUX", "A.UX", "COM 1", "", ".AUX"}) {
    EXPECT_FALSE(IsDeviceName(ToUtf16(name).c_str())) << name;
  }
  EXPECT_FALSE(IsAcceptableShortName(u"aux"));
  EXPECT_FALSE(IsAcceptableShortName(u"CON.txt"));
  // A device candidate counts as taken; COM1 to COM9 stay devices whatever their suffix.
  auto nameFor = [](const char16_t* old) {
    int32_t number = 1;
    char16_t out[9], path[256];
    bool numeric = MakeFolderShortName(old, number, out);
    EXPECT_TRUE(FindFreeFolderName(u"\\P", out, numeric, number, Taken, path, 256));
    return Narrow(path);
  };
  EXPECT_EQ(nameFor(u"A.U.X"), "\\P\\AU1");
  EXPECT_EQ(nameFor(u"aux"), "\\P\\au1");
  EXPECT_EQ(nameFor(u"P.R.N"), "\\P\\PR1");
  EXPECT_EQ(nameFor(u"COM 1"), "\\P\\00002");  // 00001 is taken
  EXPECT_EQ(nameFor(u"L.P.T.9"), "\\P\\00002");
  EXPECT_EQ(nameFor(u"COM 10"), "\\P\\COM10");
}

TEST(ShortName, TheSystemsOwnFoldersAndAMacsFinderFilesAreKnownInEitherForm) {
  for (const char* name : {".Trashes", ".Spotlight-V100", "$RECYCLE.BIN", "RECYCLER", "recycler",
                           "FOUND.000", "found.123", ".", "._Song.mp3"}) {
    EXPECT_TRUE(IsSystemsOwnFolder(name)) << name;
    EXPECT_TRUE(IsSystemsOwnFolder(ToUtf16(name).c_str())) << name;
  }
  for (const char* name : {"Trashes", "FOUND.ABC", "FOUND.0000", "FOUND.00", "FOUND", "RECYCLERS",
                           "A$B", "_FONT", "表.Trash"}) {
    EXPECT_FALSE(IsSystemsOwnFolder(ToCp932(name).c_str())) << name;
    EXPECT_FALSE(IsSystemsOwnFolder(ToUtf16(name).c_str())) << name;
  }
  EXPECT_TRUE(IsAppleDoubleFile("._Song.mp3"));
  EXPECT_TRUE(IsAppleDoubleFile(u"._002.MP3"));
  for (const char* name : {".Song.mp3", "_._x.mp3", "Song._mp3", "."}) {
    EXPECT_FALSE(IsAppleDoubleFile(name)) << name;
    EXPECT_FALSE(IsAppleDoubleFile(ToUtf16(name).c_str())) << name;
  }
}

}  // namespace
