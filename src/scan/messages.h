// Console and work-log texts of the library scan, in code page 932.
// Each stage's texts are its own (not inline, so not merged with another
// stage's text of the same name).
#pragma once

#include "base/messages.h"

// "ReadDirectoryStructure\n"
constexpr char kMsgReadDirectoryStructure[] = "ReadDirectoryStructure\n";
// "cannot open input file\n"
constexpr char kMsgCannotOpenInput[] = "cannot open input file\n";
// "%s\n" (a folder's name) and "[%s]\n" (its title)
constexpr char kMsgFolderName[] = "%s\n";
constexpr char kMsgFolderTitle[] = "[%s]\n";
// "フォルダ数制限超過 %s\n" (folder count limit exceeded: the folder is left out)
constexpr char kMsgFolderLimit[] =
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x90\x94\x90\xa7\x8c\xc0\x92\xb4\x89\xdf %s\n";

// "MP3ファイル数制限超過 %s\n" (MP3 file count limit exceeded)
constexpr char kMsgTrackLimit[] =
    "MP3\x83\x74\x83\x40\x83\x43\x83\x8b\x90\x94\x90\xa7\x8c\xc0\x92\xb4\x89\xdf %s\n";

// "表示名04.txt" (the display-name file a user may put into a folder)
constexpr char kDisplayNameFile[] =
    "\x95\x5c\x8e\xa6\x96\xbc"
    "04.txt";
// "表示名04.txtの行数制限超過 %s\n" (too many lines in the display-name file)
constexpr char kMsgDisplayNameLimit[] =
    "\x95\x5c\x8e\xa6\x96\xbc"
    "04.txt\x82\xcc\x8d\x73\x90\x94\x90\xa7\x8c\xc0\x92\xb4\x89\xdf %s\n";

// "fopen error %s\%s\n" (work log: an MP3 file that could not be opened)
constexpr char kMsgTagOpenError[] = "fopen error %s\\%s\n";
// "MP3のタグから曲名不明　%s\n" (work log: no title in the MP3's tag)
constexpr char kMsgTagNoTitle[] =
    "MP3\x82\xcc\x83\x5e\x83\x4f\x82\xa9\x82\xe7\x8b\xc8\x96\xbc\x95\x73\x96\xbe\x81\x40%s\n";

// "random order start\n"
constexpr char kMsgRandomOrderStart[] = "random order start\n";

// "サブDIR数制限超過 %s %d\n" (too many subfolders)
constexpr char kMsgSubfolderLimit[] =
    "\x83\x54\x83\x75"
    "DIR\x90\x94\x90\xa7\x8c\xc0\x92\xb4\x89\xdf %s %d\n";

// Folders the folder list cannot hold (too deep, or one subfolder too many
// for their parent), each named in its own line.
// "パスが47バイトを超えるのでカタログに入らない %s (Left out of the catalogue: its path is longer
// than 47 bytes)\n"
constexpr char kMsgPathLeftOut[] =
    "\x83p\x83X\x82\xaa"
    "47\x83o\x83"
    "C\x83g\x82\xf0\x92\xb4\x82\xa6\x82\xe9\x82\xcc\x82\xc5\x83J\x83^"
    "\x83\x8d\x83O\x82\xc9\x93\xfc\x82\xe7\x82\xc8\x82\xa2 %s (Left out of the catalogue: its path "
    "is longer than 47 bytes)\n";
// "サブフォルダが255個を超えるのでカタログに入らない %s (Left out of the catalogue: its folder has
// more than 255 subfolders)\n"
constexpr char kMsgChildLeftOut[] =
    "\x83T\x83u\x83t\x83H\x83\x8b\x83_\x82\xaa"
    "255\x8c\xc2\x82\xf0\x92\xb4\x82\xa6\x82\xe9\x82\xcc\x82\xc5\x83J\x83^"
    "\x83\x8d\x83O\x82\xc9\x93\xfc\x82\xe7\x82\xc8\x82\xa2 %s (Left out of the catalogue: its "
    "folder has more than 255 subfolders)\n";
