#include "platform/host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/host_internal.h"
#include "testing/temp_card.h"
#if !defined(_WIN32)
#include "platform/host_posix.h"
#endif

namespace {

using Names = std::vector<std::string>;

// A card path ("\A\B", UTF-8) as the stages write it (after the Windows folder), CP932 or UTF-16.
std::string Card(const std::string& relative) {
  char16_t wide[kHostPathUnits];
  EXPECT_TRUE(HostGetCurrentDirectoryW(wide, 1024));
  std::u16string dir(wide);
  if (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  return ToCp932(ToUtf8(dir) + relative);
}
std::u16string CardW(const std::string& relative) { return ToUtf16(FromCp932(Card(relative))); }
unsigned long Move(const std::string& from, const std::string& to) {
  return HostMove(CardW(from).c_str(), CardW(to).c_str());
}

// Opens through the host, writes text (if any) and closes; false when it cannot be opened.
bool Open(const std::string& path, const char* mode, const char* text = nullptr) {
  std::FILE* f = HostOpen(path.c_str(), mode);
  if (f != nullptr && text != nullptr) std::fputs(text, f);
  return f != nullptr && std::fclose(f) == 0;
}

// The CR LF lines of the work file "work.lst" in the card root.
Names WorkLines(const TempCard& card) {
  std::string all = card.ReadFile("work.lst");
  Names lines;
  for (size_t at = 0, end; (end = all.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(all.substr(at, end - at));
  EXPECT_TRUE(all.empty() || all.ends_with("\r\n")) << all;
  return lines;
}

Names FindAll(const std::u16string& folder, const std::u16string& pattern) {
  Names names;
  HostFind find{};
  HostFindEntry entry{};
  for (bool more = HostFindFirst(find, folder.c_str(), pattern.c_str(), entry); more;
       more = HostFindNext(find, entry)) {
    std::string name = ToUtf8(entry.name);
    if (name != "." && name != "..") names.push_back(entry.isDirectory ? name + "/" : name);
  }
  HostFindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// Every level, hidden names too. (Order, case and files alone: the expected cards, fault tests.)
TEST(HostListing, ListingsHoldHiddenNamesAndEveryLevelAndAMissingFolderGivesAnEmptyFile) {
  TempCard card;
  card.WriteFile("MUSIC/.hidden", "x");
  card.MakeDir(".hidden");
  card.MakeDir("MUSIC/A/B/C");
  ASSERT_TRUE(HostWriteFolderListing("work.lst"));
  EXPECT_EQ(WorkLines(card), (Names{Card("\\.hidden"), Card("\\MUSIC"), Card("\\MUSIC\\A"),
                                    Card("\\MUSIC\\A\\B"), Card("\\MUSIC\\A\\B\\C")}));
  ASSERT_TRUE(HostWriteFileListing(Card("\\MUSIC").c_str(), "work.lst"));
  EXPECT_EQ(WorkLines(card), Names{".hidden"});
  ASSERT_TRUE(HostWriteFileListing(Card("\\MISSING").c_str(), "work.lst"));  // an empty file
  EXPECT_TRUE(WorkLines(card).empty());
}

#if !defined(_WIN32)  // a line this long is a path past MAX_PATH there
// A line longer than a conversion piece comes out whole, a surrogate pair across pieces included.
TEST(HostListing, LongLinesAreWrittenWholeAcrossPieces) {
  TempCard card;
  std::string outer(200, 'x');
  std::string inner =
      std::string(52, 'y') + "\xF0\x9F\x8E\xB5" + "曲z";  // the pair at units 254, 255
  card.MakeDir(outer + "/" + inner);
  ASSERT_TRUE(HostWriteFolderListing("work.lst"));
  std::u16string line = u"\\" + ToUtf16(outer) + u"\\" + ToUtf16(inner);
  ASSERT_EQ(line[254], 0xD83C);
  char whole[1024];
  HostWideToCp932(line.c_str(), whole, sizeof whole);
  EXPECT_EQ(WorkLines(card), (Names{Card("\\" + outer), whole}));
}
#endif

TEST(HostFindTest, Mp3PatternMatchesTheLastExtensionInAnyCaseAndEntriesAreAsTheyAreNow) {
  TempCard card;
  for (const char* name :
       {"a.mp3", "B.Mp3", "x.y.MP3", "c.mp3x", "mp3", "d.mp", "song.mp3.bak", "Dir/曲.mp3"}) {
    card.WriteFile(name, "x");
  }
  card.MakeDir("f.mp3");
  EXPECT_EQ(FindAll(CardW(""), u"*.MP3"), (Names{"B.Mp3", "a.mp3", "f.mp3/", "x.y.MP3"}));
  EXPECT_EQ(FindAll(CardW(""), u"*.*"), (Names{"B.Mp3", "Dir/", "a.mp3", "c.mp3x", "d.mp", "f.mp3/",
                                               "mp3", "song.mp3.bak", "x.y.MP3"}));
  EXPECT_EQ(FindAll(CardW("\\DIR"), u"*.mp3"), (Names{"曲.mp3"}));  // folder in any case
  HostFind find{};
  HostFindEntry entry{};
  EXPECT_FALSE(HostFindFirst(find, CardW("\\DIR\\NONE").c_str(), u"*.*", entry));
  HostFindClose(find);  // safe after a failed start
  EXPECT_FALSE(HostFindFirst(find, CardW("\\DIR").c_str(), u"*.WAV", entry));
  HostFindClose(find);
  // Entries as they are now, also after a file and a folder swapped places; a pipe is never opened.
  card.WriteFile("A/two.mp3", "2");
  card.MakeDir("A/sub.mp3");
  EXPECT_EQ(FindAll(CardW("\\A"), u"*.*"), (Names{"sub.mp3/", "two.mp3"}));
  std::filesystem::remove(card.root() / "A" / "two.mp3");
  card.MakeDir("A/two.mp3");
  std::filesystem::remove(card.root() / "A" / "sub.mp3");
  card.WriteFile("A/sub.mp3", "s");
  EXPECT_EQ(FindAll(CardW("\\A"), u"*.*"), (Names{"sub.mp3", "two.mp3/"}));
  EXPECT_EQ(HostOpen(Card("\\A\\TWO.MP3").c_str(), "rb"), nullptr);
  EXPECT_TRUE(Open(Card("\\A\\SUB.MP3"), "rb"));
#ifndef _WIN32
  ASSERT_EQ(mkfifo((card.root() / "A" / "pipe.mp3").c_str(), 0644), 0);
  EXPECT_EQ(FindAll(CardW("\\A"), u"*.*"), (Names{"pipe.mp3", "sub.mp3", "two.mp3/"}));
  ASSERT_TRUE(HostWriteFileListing(Card("\\A").c_str(), "work.lst"));
  EXPECT_EQ(card.ReadFile("work.lst"), "sub.mp3\r\n");
  EXPECT_EQ(HostOpen(Card("\\A\\PIPE.MP3").c_str(), "rb"), nullptr);
  char head[16];
  EXPECT_EQ(HostReadFileHead(Card("\\A\\PIPE.MP3").c_str(), head, sizeof head), -1);
  HostReader pipe;
  EXPECT_TRUE(!HostOpenReader(pipe, Card("\\A\\PIPE.MP3").c_str()) ||
              HostReadAt(pipe, 0, head, sizeof head) < 0);
  HostCloseReader(pipe);
#endif
}

TEST(HostFiles, OpenIsBinaryFindsAnyCaseAndJapaneseNamesAndRefusesFolders) {
  TempCard card;
  card.WriteFile("_font/mnlzn16x.tlf", "FONTX2");
  card.WriteFile("日本の歌/表示名04.txt", "abc");
  card.WriteFile("A/sndlst10.dat", "old contents");
  card.MakeDir("DIR");
  EXPECT_TRUE(Open(Card("\\_FONT\\MNLZN16X.TLF"), "rb"));
  EXPECT_TRUE(Open(Card("\\日本の歌\\表示名04.txt"), "rb"));
  EXPECT_TRUE(Open(Card("\\A\\SNDLST10.DAT"), "w", "a\nb\r\n"));  // replaces it, as binary
  EXPECT_TRUE(Open(Card("\\A\\SNDLST10.DAT"), "a", "c\n"));
  EXPECT_EQ(card.ReadFile("A/sndlst10.dat"), "a\nb\r\nc\n");
  EXPECT_TRUE(Open(ToCp932("ソ.txt"), "wb"));  // 'ソ' is 83 5C: that trail byte is no separator
  EXPECT_EQ(card.Tree(), (Names{"A/", "A/sndlst10.dat", "DIR/", "_font/", "_font/mnlzn16x.tlf",
                                "ソ.txt", "日本の歌/", "日本の歌/表示名04.txt"}));
  EXPECT_FALSE(Open(Card("\\DIR"), "rb"));
  EXPECT_FALSE(Open(Card("\\MISSING\\x.txt"), "wb"));
  // A file written whole over a longer one ends where the new content ends.
  EXPECT_EQ(HostWriteFile(Card("\\A\\SNDLST10.DAT").c_str(), "xy", 2), 0);
  EXPECT_EQ(card.ReadFile("A/sndlst10.dat"), "xy");
  EXPECT_EQ(HostWriteFile(Card("\\DIR").c_str(), "x", 1), 1);
  // The reader: any case, at offsets, the size; a folder gives nothing to read.
  HostReader reader;
  ASSERT_TRUE(HostOpenReader(reader, Card("\\日本の歌\\表示名04.TXT").c_str()));
  char bytes[8] = {};
  EXPECT_EQ(HostReadAt(reader, 1, bytes, sizeof bytes), 2);
  EXPECT_STREQ(bytes, "bc");
  EXPECT_EQ(HostReadAt(reader, 9, bytes, 1), 0);
  EXPECT_EQ(HostReaderSize(reader), 3);
  HostCloseReader(reader);
  EXPECT_TRUE(!HostOpenReader(reader, Card("\\DIR").c_str()) ||
              HostReadAt(reader, 0, bytes, 1) < 0);
  HostCloseReader(reader);
#if !defined(_WIN32)
  // A disk name that is no UTF-8 is no card name: not found as the character its byte shows as.
  card.WriteFile("bad\xff.mp3", "x");
  EXPECT_FALSE(HostExists(u"\\BAD\uFFFD.MP3"));
#endif
}

// The path as Windows reaches it past 260 units.
std::filesystem::path LongForm(const std::filesystem::path& path) {
#ifdef _WIN32
  return L"\\\\?\\" + path.wstring();
#else
  return path;
#endif
}

// Device names and paths past 260 units are files like any other (on Windows in "\\?\" form).
TEST(HostFiles, DeviceNamesAndPathsPast260UnitsAreFilesLikeAnyOther) {
  TempCard card;
  std::string deep;
  std::vector<std::filesystem::path> folders = {card.root()};
  for (int i = 0; i < 30; ++i) {
    deep += "\\Folder" + std::to_string(100 + i);
    folders.push_back(folders.back() / ("Folder" + std::to_string(100 + i)));
    std::filesystem::create_directory(LongForm(folders.back()));
  }
  ASSERT_GE(CardW(deep).size(), 300u);
  EXPECT_TRUE(Open(Card(deep + "\\aux.mp3"), "wb", "x"));
  EXPECT_TRUE(HostExists(CardW(deep + "\\AUX.MP3").c_str()));
  EXPECT_EQ(FindAll(CardW(deep), u"*.MP3"), Names{"aux.mp3"});
  EXPECT_EQ(Move(deep + "\\aux.mp3", deep + "\\001.MP3"), 0u);
  EXPECT_EQ(HostFileSize(Card(deep + "\\001.MP3").c_str()), 1);
  EXPECT_EQ(HostRemoveFile(CardW(deep + "\\001.MP3").c_str()), 0u);
  std::error_code ec;  // deepest first: a removal of the whole tree would stop at 260 units
  for (size_t i = folders.size() - 1; i > 0; --i) std::filesystem::remove(LongForm(folders[i]), ec);
}

// The host may hold the names of the folder it read last: changes another program makes meanwhile,
// unreported, never mislead a lookup, nor make it write over a name made in another case.
TEST(HostHeldNames, LookupsNeverDependOnChangesBeingReported) {
  TempCard card;
  card.WriteFile("A/one.mp3", "1");
  card.WriteFile("A/My Folder/x.mp3", "x");
  namespace fs = std::filesystem;
  fs::path a = card.root() / "A";
  EXPECT_EQ(FindAll(CardW("\\A"), u"*.*"), (Names{"My Folder/", "one.mp3"}));
  EXPECT_TRUE(HostExistsA(Card("\\A\\ONE.MP3").c_str()));
  fs::rename(a / "one.mp3", a / "One.Mp3");
  EXPECT_TRUE(HostExistsA(Card("\\A\\ONE.MP3").c_str()));
  fs::rename(a / "My Folder", a / "Moved");
  EXPECT_FALSE(HostExistsA(Card("\\A\\MY FOLDER\\X.MP3").c_str()));
  EXPECT_TRUE(Open(Card("\\A\\Moved\\X.MP3"), "rb"));
  // Moved by the host, a folder is entered under its new name.
  EXPECT_EQ(FindAll(CardW("\\A\\Moved"), u"*.*"), (Names{"x.mp3"}));
  EXPECT_EQ(Move("\\A\\MOVED", "\\A\\00001"), 0u);
  EXPECT_TRUE(Open(Card("\\A\\00001\\RENFIL04.LOG"), "ab", "log"));
  EXPECT_EQ(Move("\\A\\00001\\X.MP3", "\\A\\00001\\001.MP3"), 0u);
  EXPECT_TRUE(Open(Card("\\A\\00001\\001.mp3"), "rb"));
  EXPECT_FALSE(Open(Card("\\A\\Moved\\001.MP3"), "rb"));
#ifndef _WIN32
  // Made behind the host's back in another case after the folder was read: never written over.
  EXPECT_EQ(FindAll(CardW("\\A"), u"*.*"), (Names{"00001/", "One.Mp3"}));
  card.WriteFile("A/new.dat", "theirs");
  Open(Card("\\A\\NEW.DAT"), "wb", "ours");
  EXPECT_EQ(card.ReadFile("A/new.dat"), "theirs");
#endif
}

TEST(HostMoveTest, NeverReplacesATakenNameInAnyCaseMayRecaseItsOwnAndRefusesWhatFatCannotHold) {
  TempCard card;
  for (const char* name : {"000.MP3", "001.MP3", "x.mp3", "002.mp3"}) card.WriteFile(name, name);
  card.MakeDir("FOLDER");
  card.MakeDir("other");
  EXPECT_EQ(Move("\\000.MP3", "\\001.MP3"), HostErrorAlreadyExists());
  EXPECT_EQ(Move("\\x.mp3", "\\002.MP3"), HostErrorAlreadyExists());
  EXPECT_EQ(Move("\\other", "\\folder"), HostErrorAlreadyExists());
  EXPECT_EQ(Move("\\x.mp3", "\\Folder"), HostErrorAlreadyExists());
  EXPECT_NE(Move("\\gone.mp3", "\\003.MP3"), 0u);
  EXPECT_EQ(Move("\\x.mp3", "\\X.MP3"), 0u);
  EXPECT_EQ(Move("\\other", "\\OTHER"), 0u);
  EXPECT_EQ(card.Tree(), (Names{"000.MP3", "001.MP3", "002.mp3", "FOLDER/", "OTHER/", "X.MP3"}));
  for (const char* name : {"000.MP3", "001.MP3", "002.mp3"}) EXPECT_EQ(card.ReadFile(name), name);
  EXPECT_EQ(card.ReadFile("X.MP3"), "x.mp3");
  // Names FAT cannot hold fail, and never come to exist.
  card.WriteFile("a.mp3", "a");
  for (const char* bad :
       {"\\b:c", "\\b?", "\\b*", "\\b<", "\\b>", "\\b|", "\\b\"", "\\b\x01", "\\b\x1f"}) {
    EXPECT_EQ(Move("\\a.mp3", bad), HostErrorInvalidName()) << bad;
  }
  EXPECT_EQ(card.Tree(),
            (Names{"000.MP3", "001.MP3", "002.mp3", "FOLDER/", "OTHER/", "X.MP3", "a.mp3"}));
  EXPECT_EQ(Move("\\a.mp3", "\\a;b [1]+,=.mp3"), 0u);  // fine in a long name
  EXPECT_TRUE(card.Exists("a;b [1]+,=.mp3"));
}

TEST(HostText, Cp932RoundTripsMarksWhatItCannotConvertAndStopsAtTheBuffer) {
  EXPECT_EQ(ToCp932("日本の歌"), "\x93\xfa\x96\x7b\x82\xcc\x89\xcc");
  EXPECT_EQ(ToCp932("ｱｲｳﾟ｡"), "\xb1\xb2\xb3\xdf\xa1");
  EXPECT_EQ(ToCp932("\\~"), "\\~");
  EXPECT_EQ(ToCp932("～①ⅰ"), "\x81\x60\x87\x40\xfa\x40");
  for (const char* text :
       {"日本の歌", "ｱｲｳﾟ｡", "表示名04.txt", "～①ⅰ∵", "ソ\\能", "\xee\x80\x80"}) {
    EXPECT_EQ(FromCp932(ToCp932(text)), text);
  }
  EXPECT_EQ(FromCp932("\xed\x40"), FromCp932("\xfa\x5c"));  // NEC-selected IBM = IBM's own
  // Bytes that are not code page 932 (characters it lacks become '?': the faults test holds that).
  EXPECT_EQ(FromCp932("\x81\x20\x61"), "? a");
  EXPECT_EQ(FromCp932("\x80\xa0\xfd"), "???");
  EXPECT_EQ(FromCp932("a\x82"), "a?");
  EXPECT_EQ(FromCp932("\x85\x40"), "?");  // unassigned double-byte code
  char buf[4];
  EXPECT_EQ(HostWideToCp932(u"a\u3042\u3044", buf, 4), 3);
  EXPECT_EQ(std::string(buf), "a\x82\xa0");
  EXPECT_EQ(HostWideToCp932(u"ab\u3042", buf, 4), 2);  // no room for both bytes
  EXPECT_EQ(std::string(buf), "ab");
  EXPECT_EQ(HostWideToCp932(u"abc", buf, 1), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_FALSE(HostGetTempDirectory(buf, 2));  // never past its buffer
  char16_t wide[3];
  EXPECT_EQ(HostCp932ToWide("\x93\xfa\x96\x7b\x82\xcc", wide, 3), 2);
  EXPECT_EQ(std::u16string(wide), u"\u65e5\u672c");
}

// Only ASCII letters fold: not full-width ones, nor '@' '[' '`' '{' beside them.
TEST(HostText, NamesEqualIgnoringAsciiCaseOnlyInAsciiLetters) {
  EXPECT_TRUE(HostEqualsIgnoreAsciiCase(u"Track 曲.mp3", 11, u"TRACK 曲.MP3", 11));
  EXPECT_FALSE(HostEqualsIgnoreAsciiCase(u"Ｔｉ", 2, u"ＴＩ", 2));
  EXPECT_FALSE(HostEqualsIgnoreAsciiCase(u"@[`{", 4, u"@[@[", 4));
  EXPECT_FALSE(HostEqualsIgnoreAsciiCase(u"abc", 3, u"abcd", 4));
}

#if !defined(_WIN32)
// UTF-8 disk names become UTF-16 whole or are reported cut, never split inside a character.
TEST(HostText, Utf8NamesBecomeUtf16WholeOrReportCut) {
  char16_t out[8];
  EXPECT_TRUE(PosixUtf8ToWide("ab曲c", out, 5));
  EXPECT_EQ(std::u16string(out), u"ab曲c");
  EXPECT_FALSE(PosixUtf8ToWide("Song.mp3", out, 8));
  EXPECT_EQ(std::u16string(out), u"Song.mp");
  EXPECT_TRUE(PosixUtf8ToWide("a\xF0\x9F\x8E\xB5", out, 4));    // a surrogate pair
  EXPECT_FALSE(PosixUtf8ToWide("ab\xF0\x9F\x8E\xB5", out, 4));  // no room for both halves
  EXPECT_EQ(std::u16string(out), u"ab");
}
#endif

}  // namespace
