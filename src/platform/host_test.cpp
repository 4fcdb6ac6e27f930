#include "platform/host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testing/temp_card.h"

namespace {

// What the listing puts before "\A": the current directory without its
// trailing backslash on Windows, nothing on POSIX (the card root).
std::string ListingPrefix() {
  char16_t wide[1024];
  EXPECT_TRUE(HostGetCurrentDirectoryW(wide, 1024));
  std::u16string dir(wide);
  if (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  return ToCp932(ToUtf8(dir));
}

// A work file beside the card in the temporary directory, removed at the end.
class WorkFile {
 public:
  explicit WorkFile(const TempCard& card) {
    char temp[1024];
    EXPECT_TRUE(HostGetTempDirectory(temp, sizeof temp));
    auto name = card.root().filename().u8string();
    path_ = std::string(temp) + std::string(name.begin(), name.end()) + ".lst";
  }
  ~WorkFile() { std::remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

  // The lines of the work file; each must end in CR LF.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::FILE* f = HostOpen(path_.c_str(), "rb");
    EXPECT_NE(f, nullptr);
    if (f == nullptr) return lines;
    std::string all;
    int c;
    while ((c = std::fgetc(f)) != EOF) all.push_back(static_cast<char>(c));
    std::fclose(f);
    size_t start = 0;
    while (start < all.size()) {
      size_t end = all.find("\r\n", start);
      EXPECT_NE(end, std::string::npos) << "line without CR LF";
      if (end == std::string::npos) break;
      lines.push_back(all.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

 private:
  std::string path_;
};

std::u16string W(const std::string& utf8) { return ToUtf16(utf8); }

// A path below the card root as the stages write it: "\A\B" on POSIX,
// "C:\...\card\A\B" on Windows. relative starts with a backslash.
std::string Card(const std::string& utf8Relative) {
  return ListingPrefix() + ToCp932(utf8Relative);
}
std::u16string CardW(const std::u16string& relative) {
  return W(FromCp932(ListingPrefix())) + relative;
}

bool ExistsA(const std::string& utf8Relative) { return HostExistsA(Card(utf8Relative).c_str()); }

std::vector<std::string> FindAll(const std::u16string& folder, const std::u16string& pattern,
                                 bool markFolders = false) {
  std::vector<std::string> names;
  HostFind find{};
  HostFindEntry entry{};
  if (HostFindFirst(find, folder.c_str(), pattern.c_str(), entry)) {
    do {
      std::string name = ToUtf8(entry.name);
      if (name == "." || name == "..") continue;
      names.push_back(markFolders && entry.isDirectory ? name + "/" : name);
    } while (HostFindNext(find, entry));
  }
  HostFindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// --- Listings --------------------------------------------------------------

TEST(HostListing, FolderTreeListsEachFoldersSubfoldersBeforeDescending) {
  TempCard card;
  card.MakeDir("B/B1");
  card.MakeDir("A/A2");
  card.MakeDir("A/A1/X");
  card.MakeDir(".hidden");
  card.WriteFile("A/file.mp3", "x");
  card.WriteFile("root.txt", "x");
  WorkFile work(card);
  ASSERT_TRUE(HostWriteFolderListing(work.path()));
  std::string p = ListingPrefix();
  EXPECT_EQ(work.Lines(),
            (std::vector<std::string>{p + "\\.hidden", p + "\\A", p + "\\B", p + "\\A\\A1",
                                      p + "\\A\\A2", p + "\\A\\A1\\X", p + "\\B\\B1"}));
}

TEST(HostListing, FoldersSortIgnoringAsciiCaseWithJapaneseAfterAscii) {
  TempCard card;
  for (const char* name : {"c", "A", "b", "_x", "日本", "Z9", "a1"}) card.MakeDir(name);
  WorkFile work(card);
  ASSERT_TRUE(HostWriteFolderListing(work.path()));
  std::string p = ListingPrefix();
  std::vector<std::string> expected;
  for (const char* name : {"A", "a1", "b", "c", "Z9", "_x", "日本"}) {
    expected.push_back(p + "\\" + ToCp932(name));
  }
  EXPECT_EQ(work.Lines(), expected);
}

TEST(HostListing, EmptyCardGivesEmptyFolderListing) {
  TempCard card;
  card.WriteFile("only.txt", "x");
  WorkFile work(card);
  ASSERT_TRUE(HostWriteFolderListing(work.path()));
  EXPECT_TRUE(work.Lines().empty());
}

TEST(HostListing, ManySiblingFoldersComeOutSorted) {
  TempCard card;
  std::vector<std::string> expected;
  std::string p = ListingPrefix();
  for (int i = 299; i >= 0; --i) {
    char name[16];
    std::snprintf(name, sizeof name, i % 2 ? "d%03d" : "D%03d", i);
    card.MakeDir(name);
  }
  for (int i = 0; i < 300; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, i % 2 ? "d%03d" : "D%03d", i);
    expected.push_back(p + "\\" + name);
  }
  WorkFile work(card);
  ASSERT_TRUE(HostWriteFolderListing(work.path()));
  EXPECT_EQ(work.Lines(), expected);
}

TEST(HostListing, FileListingHoldsOnlyFilesSortedByName) {
  TempCard card;
  card.WriteFile("MUSIC/b.mp3", "x");
  card.WriteFile("MUSIC/A.MP3", "x");
  card.WriteFile("MUSIC/c.Mp3", "x");
  card.WriteFile("MUSIC/.hidden", "x");
  card.WriteFile("MUSIC/VOLUME10.DAT", "x");
  card.WriteFile("MUSIC/曲.mp3", "x");
  card.MakeDir("MUSIC/SUB");
  card.WriteFile("MUSIC/SUB/inner.mp3", "x");
  WorkFile work(card);
  std::string folder = ListingPrefix() + "\\music";  // any case finds it
  ASSERT_TRUE(HostWriteFileListing(folder.c_str(), work.path()));
  EXPECT_EQ(work.Lines(), (std::vector<std::string>{".hidden", "A.MP3", "b.mp3", "c.Mp3",
                                                    "VOLUME10.DAT", ToCp932("曲.mp3")}));
}

TEST(HostListing, FolderThatCannotBeListedGivesEmptyFile) {
  TempCard card;
  WorkFile work(card);
  std::string folder = ListingPrefix() + "\\MISSING";
  ASSERT_TRUE(HostWriteFileListing(folder.c_str(), work.path()));
  EXPECT_TRUE(work.Lines().empty());
}

TEST(HostListing, CompareFoldsAsciiCaseAndBreaksTiesByUnit) {
  EXPECT_LT(HostCompareListingNames(u"A", u"b"), 0);
  EXPECT_LT(HostCompareListingNames(u"b", u"C"), 0);
  EXPECT_LT(HostCompareListingNames(u"AB", u"abc"), 0);
  EXPECT_LT(HostCompareListingNames(u"z", u"_"), 0);  // 'Z' (0x5A) before '_' (0x5F)
  EXPECT_LT(HostCompareListingNames(u"A", u"a"), 0);  // tie: plain unit order
  EXPECT_GT(HostCompareListingNames(u"a", u"A"), 0);
  EXPECT_EQ(HostCompareListingNames(u"a", u"a"), 0);
  EXPECT_LT(HostCompareListingNames(u"zz", u"\u65e5"), 0);
}

// --- Wide listing ---------------------------------------------------------------

TEST(HostFindTest, Mp3PatternMatchesLongNamesByLastExtensionInAnyCase) {
  TempCard card;
  for (const char* name : {"a.mp3", "B.Mp3", "x.y.MP3", "c.mp3x", "mp3", "d.mp", "song.mp3.bak"}) {
    card.WriteFile(name, "x");
  }
  card.MakeDir("f.mp3");
  EXPECT_EQ(FindAll(CardW(u""), u"*.MP3", true),
            (std::vector<std::string>{"B.Mp3", "a.mp3", "f.mp3/", "x.y.MP3"}));
  EXPECT_EQ(FindAll(CardW(u""), u"*.*", true),
            (std::vector<std::string>{"B.Mp3", "a.mp3", "c.mp3x", "d.mp", "f.mp3/", "mp3",
                                      "song.mp3.bak", "x.y.MP3"}));
}

TEST(HostFindTest, ListsSubfolderGivenInAnyCaseAndFailsCleanlyOnMissingFolder) {
  TempCard card;
  card.WriteFile("Dir/曲.mp3", "x");
  std::u16string folder = CardW(u"\\DIR");
  EXPECT_EQ(FindAll(folder, u"*.mp3"), (std::vector<std::string>{"曲.mp3"}));

  HostFind find{};
  HostFindEntry entry{};
  EXPECT_FALSE(HostFindFirst(find, (folder + u"\\NONE").c_str(), u"*.*", entry));
  HostFindClose(find);  // safe after a failed start
  EXPECT_FALSE(HostFindFirst(find, folder.c_str(), u"*.WAV", entry));
  HostFindClose(find);
}

// --- Existence, open, copy --------------------------------------------------------

TEST(HostFiles, ExistenceIgnoresAsciiCase) {
  TempCard card;
  card.WriteFile("Music/Song.mp3", "x");
  EXPECT_TRUE(ExistsA("\\MUSIC\\SONG.MP3"));
  EXPECT_TRUE(ExistsA("\\music\\song.mp3"));
  EXPECT_TRUE(ExistsA("\\MUSIC"));
  EXPECT_TRUE(HostExistsA("music"));
  EXPECT_FALSE(ExistsA("\\MUSIC\\OTHER.MP3"));
  EXPECT_FALSE(ExistsA("\\NONE\\SONG.MP3"));
  EXPECT_TRUE(HostExists(CardW(u"\\Music\\song.MP3").c_str()));
}

TEST(HostFiles, NamesFatCannotHoldNeverExist) {
  TempCard card;
  // A case-sensitive host disk may hold such names; FAT cannot.
  card.WriteFile("a?b", "x");
  card.WriteFile("c*d", "x");
  card.WriteFile("e<f", "x");
  EXPECT_FALSE(ExistsA("\\a?b"));
  EXPECT_FALSE(ExistsA("\\c*d"));
  EXPECT_FALSE(ExistsA("\\e<f"));
  EXPECT_EQ(HostOpen(Card("\\a?b").c_str(), "rb"), nullptr);
  EXPECT_FALSE(ExistsA("\\x|y"));
  EXPECT_FALSE(ExistsA("\\x\"y"));
}

TEST(HostFiles, OpenFindsExistingPathInAnyCase) {
  TempCard card;
  card.WriteFile("_font/mnlzn16x.tlf", "FONTX2");
  std::FILE* f = HostOpen(Card("\\_FONT\\MNLZN16X.TLF").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[8] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 6u);
  std::fclose(f);
  EXPECT_EQ(std::string(buf), "FONTX2");
}

TEST(HostFiles, WritingReplacesFileOfSameNameInOtherCase) {
  TempCard card;
  card.WriteFile("A/sndlst10.dat", "old contents");
  std::FILE* f = HostOpen(Card("\\A\\SNDLST10.DAT").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("new", f);
  std::fclose(f);
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"A/", "A/sndlst10.dat"}));
  EXPECT_EQ(card.ReadFile("A/sndlst10.dat"), "new");
}

TEST(HostFiles, OpenIsAlwaysBinaryAndRefusesFolders) {
  TempCard card;
  card.MakeDir("DIR");
  std::FILE* f = HostOpen("lines.txt", "w");
  ASSERT_NE(f, nullptr);
  std::fputs("a\nb\r\n", f);
  std::fclose(f);
  EXPECT_EQ(card.ReadFile("lines.txt"), "a\nb\r\n");
  f = HostOpen("lines.txt", "a");
  ASSERT_NE(f, nullptr);
  std::fputs("c\n", f);
  std::fclose(f);
  EXPECT_EQ(card.ReadFile("lines.txt"), "a\nb\r\nc\n");
  EXPECT_EQ(HostOpen(Card("\\DIR").c_str(), "rb"), nullptr);
  EXPECT_EQ(HostOpen(Card("\\MISSING\\x.txt").c_str(), "wb"), nullptr);
}

TEST(HostFiles, OpensJapaneseNames) {
  TempCard card;
  card.WriteFile("日本の歌/表示名04.txt", "abc");
  std::string path = Card("\\日本の歌\\表示名04.txt");
  std::FILE* f = HostOpen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  // A trail byte 0x5C ('ソ' is 83 5C) is not a separator.
  std::string so = ToCp932("ソ.txt");
  ASSERT_EQ(so.substr(0, 2), "\x83\x5C");
  f = HostOpen(so.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(card.Exists("ソ.txt"));
}

TEST(HostFiles, CopyReplacesTargetByteForByte) {
  TempCard card;
  std::string bytes("\x00\x01\r\n\x1a\xff", 6);
  card.WriteFile("ERRLOG04.DAT", bytes);
  card.WriteFile("ERRLOG04_BK.DAT", "older and longer contents");
  EXPECT_TRUE(HostCopyFile("ERRLOG04.DAT", "ERRLOG04_BK.DAT"));
  EXPECT_EQ(card.ReadFile("ERRLOG04_BK.DAT"), bytes);
  EXPECT_FALSE(HostCopyFile("MISSING.DAT", "X.DAT"));
  EXPECT_FALSE(card.Exists("X.DAT"));
}

// --- Moves -------------------------------------------------------------------------

TEST(HostMoveTest, MovesFilesAndFolders) {
  TempCard card;
  card.WriteFile("A/My Song.mp3", "song");
  card.MakeDir("日本の歌");
  EXPECT_EQ(HostMove(CardW(u"\\A\\My Song.mp3").c_str(), CardW(u"\\A\\001.MP3").c_str()), 0u);
  EXPECT_EQ(HostMove(CardW(u"\\日本の歌").c_str(), CardW(u"\\00001").c_str()), 0u);
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"00001/", "A/", "A/001.MP3"}));
  EXPECT_EQ(card.ReadFile("A/001.MP3"), "song");
  EXPECT_NE(HostMove(CardW(u"\\A\\gone.mp3").c_str(), CardW(u"\\A\\002.MP3").c_str()), 0u);
}

TEST(HostMoveTest, NeverReplacesTakenNameInAnyCase) {
  TempCard card;
  card.WriteFile("000.MP3", "zero");
  card.WriteFile("001.MP3", "one");
  card.WriteFile("x.mp3", "x");
  card.WriteFile("002.mp3", "two");
  card.MakeDir("FOLDER");
  card.MakeDir("other");
  EXPECT_EQ(HostMove(CardW(u"\\000.MP3").c_str(), CardW(u"\\001.MP3").c_str()), HostErrorAlreadyExists());
  EXPECT_EQ(HostMove(CardW(u"\\x.mp3").c_str(), CardW(u"\\002.MP3").c_str()), HostErrorAlreadyExists());
  EXPECT_EQ(HostMove(CardW(u"\\other").c_str(), CardW(u"\\folder").c_str()), HostErrorAlreadyExists());
  EXPECT_EQ(HostMove(CardW(u"\\x.mp3").c_str(), CardW(u"\\Folder").c_str()), HostErrorAlreadyExists());
  EXPECT_EQ(card.ReadFile("000.MP3"), "zero");
  EXPECT_EQ(card.ReadFile("001.MP3"), "one");
  EXPECT_EQ(card.ReadFile("002.mp3"), "two");
  EXPECT_EQ(card.ReadFile("x.mp3"), "x");
}

TEST(HostMoveTest, ChangesLetterCaseOfItsOwnName) {
  TempCard card;
  card.WriteFile("song.mp3", "s");
  card.MakeDir("album");
  EXPECT_EQ(HostMove(CardW(u"\\song.mp3").c_str(), CardW(u"\\SONG.MP3").c_str()), 0u);
  EXPECT_EQ(HostMove(CardW(u"\\album").c_str(), CardW(u"\\ALBUM").c_str()), 0u);
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"ALBUM/", "SONG.MP3"}));
}

TEST(HostMoveTest, TargetNamesFatCannotHoldFailAndNeverExist) {
  TempCard card;
  card.WriteFile("a.mp3", "a");
  for (const char* bad : {"b:c.mp3", "b?.mp3", "b*.mp3", "b<.mp3", "b>.mp3", "b|.mp3",
                          "b\".mp3", "b\x01.mp3", "b\x1f.mp3"}) {
    std::u16string to = CardW(u"\\");
    to += W(bad);
    EXPECT_EQ(HostMove(CardW(u"\\a.mp3").c_str(), to.c_str()), HostErrorInvalidName()) << bad;
    EXPECT_FALSE(HostExists(to.c_str())) << bad;
  }
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"a.mp3"}));
  // ';' and other 8.3-only restrictions are fine in a long name.
  EXPECT_EQ(HostMove(CardW(u"\\a.mp3").c_str(), CardW(u"\\a;b [1]+,=.mp3").c_str()), 0u);
  EXPECT_TRUE(card.Exists("a;b [1]+,=.mp3"));
}

// --- Code page 932 ------------------------------------------------------------------

TEST(HostText, Cp932RoundTripsJapaneseAndHalfWidthKatakana) {
  EXPECT_EQ(ToCp932("日本の歌"), "\x93\xfa\x96\x7b\x82\xcc\x89\xcc");
  EXPECT_EQ(ToCp932("ｱｲｳﾟ｡"), "\xb1\xb2\xb3\xdf\xa1");
  EXPECT_EQ(ToCp932("\\~"), "\\~");
  EXPECT_EQ(ToCp932("～①ⅰ"), "\x81\x60\x87\x40\xfa\x40");
  for (const char* text : {"日本の歌", "ｱｲｳﾟ｡", "表示名04.txt", "～①ⅰ∵", "ソ\\能", "\xee\x80\x80"}) {
    EXPECT_EQ(FromCp932(ToCp932(text)), text);
  }
  // NEC-selected IBM extensions read as the same characters as IBM's own.
  EXPECT_EQ(FromCp932("\xed\x40"), FromCp932("\xfa\x5c"));
}

TEST(HostText, CharactersCodePage932LacksBecomeQuestionMarks) {
  EXPECT_EQ(ToCp932("é"), "?");
  EXPECT_EQ(ToCp932("¥"), "?");   // no best-fit substitutes
  EXPECT_EQ(ToCp932("a😀b"), "a?b");  // one '?' for a surrogate pair
  std::u16string lone = u"x";
  lone.push_back(static_cast<char16_t>(0xDC00));
  char buf[8];
  EXPECT_EQ(HostWideToCp932(lone.c_str(), buf, sizeof buf), 2);
  EXPECT_EQ(std::string(buf), "x?");
}

TEST(HostText, BytesThatAreNotCp932BecomeQuestionMarks) {
  EXPECT_EQ(FromCp932("\x81\x20" "a"), "? a");  // lead byte without a trail byte
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
  char16_t wide[3];
  EXPECT_EQ(HostCp932ToWide("\x93\xfa\x96\x7b\x82\xcc", wide, 3), 2);
  EXPECT_EQ(std::u16string(wide), u"\u65e5\u672c");
  EXPECT_EQ(HostWideToCp932(u"abc", buf, 1), 0);
  EXPECT_EQ(buf[0], 0);
}

// --- Directories and console --------------------------------------------------------

TEST(HostDirectories, TempDirectoryEndsWithSeparatorAndExists) {
  char temp[1024];
  ASSERT_TRUE(HostGetTempDirectory(temp, sizeof temp));
  std::string dir(temp);
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(dir.back() == '\\' || dir.back() == '/');
  EXPECT_TRUE(HostExistsA(temp));
  char tiny[2];
  EXPECT_FALSE(HostGetTempDirectory(tiny, sizeof tiny));
}

TEST(HostDirectories, CurrentDirectoryIsTheCardRoot) {
  TempCard card;
  card.WriteFile("CARDPREP.LOG", "x");
  char16_t wide[1024];
  ASSERT_TRUE(HostGetCurrentDirectoryW(wide, 1024));
  std::u16string log = std::u16string(wide);
  if (log.back() != u'\\') log += u'\\';
  log += u"CARDPREP.LOG";
  EXPECT_TRUE(HostExists(log.c_str()));
  char narrow[1024];
  ASSERT_TRUE(HostGetCurrentDirectory(narrow, sizeof narrow));
  auto name = card.root().filename().u8string();
  EXPECT_NE(std::string(narrow).find(std::string(name.begin(), name.end())), std::string::npos);
}

TEST(HostConsole, PrintsCp932TextAsItStands) {
  testing::internal::CaptureStdout();
  HostPrint("%s \x93\xfa\n");
  std::string out = testing::internal::GetCapturedStdout();
  // UTF-8 on POSIX; the bytes themselves to a redirected Windows output.
  EXPECT_EQ(out, HostPrintsUtf8() ? "%s 日\n" : "%s \x93\xfa\n");
}
