// Console lines of the index file, code page 932 bytes (the readable text
// beside each).
// Each stage's texts are its own (not inline, so not merged with another
// stage's text of the same name).
#pragma once

#include "base/messages.h"

// displaynameuc=%s %s matched\n
constexpr char kMsgKeyMatched[] = "displaynameuc=%s %s matched\n";
// displaynameuc=%s %s\n
constexpr char kMsgKey[] = "displaynameuc=%s %s\n";
// dupname=%s\n
constexpr char kMsgDupName[] = "dupname=%s\n";
// index displayname=%s\n
constexpr char kMsgIndexDisplayName[] = "index displayname=%s\n";
// インデックス数=%d\n
constexpr char kMsgIndexCount[] =
    "\x83"
    "C\x83\x93\x83"
    "f\x83"
    "b\x83N\x83X\x90\x94=%d\n";
// INDEX CHA=%s\n
constexpr char kMsgIndexCharacter[] = "INDEX CHA=%s\n";
// インデックス文字 %s のフォルダが%d個を超えた: 同じ文字の次のグループに続ける\n
constexpr char kMsgGroupSplit[] =
    "\x83"
    "C\x83\x93\x83"
    "f\x83"
    "b\x83N\x83X\x95\xB6\x8E\x9A %s \x82\xCC\x83t\x83H\x83\x8B"
    "\x83_\x82\xAA%d\x8C\xC2\x82\xF0\x92\xB4\x82\xA6\x82\xBD: \x93\xAF\x82\xB6\x95\xB6\x8E\x9A"
    "\x82\xCC\x8E\x9F\x82\xCC\x83O\x83\x8B\x81[\x83v\x82\xC9\x91\xB1\x82\xAF\x82\xE9\n";
// インデックスのグループが%d個を超えた: 残り%dフォルダはインデックスに載せない\n
constexpr char kMsgTooManyGroups[] =
    "\x83"
    "C\x83\x93\x83"
    "f\x83"
    "b\x83N\x83X\x82\xCC\x83O\x83\x8B\x81[\x83v\x82\xAA%d\x8C"
    "\xC2\x82\xF0\x92\xB4\x82\xA6\x82\xBD: \x8E"
    "c\x82\xE8%d\x83t\x83H\x83\x8B\x83_\x82\xCD"
    "\x83"
    "C\x83\x93\x83"
    "f\x83"
    "b\x83N\x83X\x82\xC9\x8D\xDA\x82\xB9\x82\xC8\x82\xA2\n";
