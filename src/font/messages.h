// Console texts of the font loader and the renderers, code page 932. The
// readable text stands in the comment above each.
// Each stage's texts are its own (not inline, so not merged with another
// stage's text of the same name).
#pragma once

// "FONTXでない\n" (not a FONTX file)
constexpr char kMsgNotFontx[] = "FONTX\x82\xC5\x82\xC8\x82\xA2\n";
// "フォントファイルオープンエラー\n" (font file open error)
constexpr char kMsgFontOpenError[] =
    "\x83t\x83H\x83\x93\x83g\x83t\x83@\x83"
    "C\x83\x8B\x83I\x81[\x83v\x83\x93\x83G\x83\x89\x81[\n";
// "GetFontMetrics error %s\n"
constexpr char kMsgGetFontMetricsError[] = "GetFontMetrics error %s\n";
// "MakeOLEDdataOfString:[%s][%d]\n"
constexpr char kMsgMakeOled[] = "MakeOLEDdataOfString:[%s][%d]\n";
// " 全角フォントデータ見つからない (%d,%x)\n" (full-width glyph not found: position, code)
constexpr char kMsgFullGlyphMissing[] =
    " \x91S\x8Ap\x83t\x83H\x83\x93\x83g\x83"
    "f\x81[\x83^\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2 (%d,%x)\n";
// " 半角フォントデータ見つからない (%d:%c)\n" (half-width glyph not found: position, byte)
constexpr char kMsgHalfGlyphMissing[] =
    " \x94\xBC\x8Ap\x83t\x83H\x83\x93\x83g\x83"
    "f\x81[\x83^\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2 (%d:%c)\n";
// " イメージ幅=%d\n" (image width)
constexpr char kMsgImageWidth[] =
    " \x83"
    "C\x83\x81\x81[\x83W\x95\x9D=%d\n";

// Lines of our own for fonts the loader refuses.
// "%s: 1バイトフォントの幅が8ドットを超えている (%d)\n" (single-byte font wider than 8 dots)
constexpr char kMsgSingleByteTooWide[] =
    "%s: 1\x83o\x83"
    "C\x83g\x83t\x83H\x83\x93\x83g\x82\xCC\x95\x9D\x82\xAA"
    "8\x83h\x83"
    "b\x83g\x82\xF0\x92\xB4\x82\xA6\x82\xC4\x82\xA2\x82\xE9 (%d)\n";
// "%s: 2バイトフォントの幅が16ドットを超えている (%d)\n" (double-byte font wider than 16 dots)
constexpr char kMsgDoubleByteTooWide[] =
    "%s: 2\x83o\x83"
    "C\x83g\x83t\x83H\x83\x93\x83g\x82\xCC\x95\x9D\x82\xAA"
    "16\x83h\x83"
    "b\x83g\x82\xF0\x92\xB4\x82\xA6\x82\xC4\x82\xA2\x82\xE9 (%d)\n";
// "%s: フォントの高さが16ドットを超えている (%d)\n" (font higher than 16 dots)
constexpr char kMsgFontTooHigh[] =
    "%s: \x83t\x83H\x83\x93\x83g\x82\xCC\x8D\x82\x82\xB3\x82\xAA"
    "16\x83h\x83"
    "b\x83g\x82\xF0\x92\xB4\x82\xA6\x82\xC4\x82\xA2\x82\xE9 (%d)\n";
// "%s: 文字数が65536を超えている (%d)\n" (more than 65536 characters)
constexpr char kMsgTooManyGlyphs[] =
    "%s: \x95\xB6\x8E\x9A\x90\x94\x82\xAA"
    "65536\x82\xF0\x92\xB4\x82\xA6\x82\xC4\x82\xA2\x82\xE9 (%d)\n";
// "%s: フォント用のメモリが取れない\n" (no memory for the font)
constexpr char kMsgNoFontMemory[] =
    "%s: "
    "\x83t\x83H\x83\x93\x83g\x97p\x82\xCC\x83\x81\x83\x82\x83\x8A\x82\xAA\x8E\xE6\x82\xEA\x82\xC8"
    "\x82\xA2\n";

// A font file cut short: named, and the fonts are not loaded.
// "%s: ファイルがヘッダの示す長さより短い(壊れている)。作り直すこと (%s is shorter than its header
// says: the file is broken, make it again)\n"
constexpr char kMsgFontFileTooShort[] =
    "%s: \x83t\x83@\x83"
    "C\x83\x8b\x82\xaa\x83w\x83"
    "b\x83_\x82\xcc\x8e\xa6\x82\xb7\x92\xb7\x82\xb3\x82\xe6\x82\xe8\x92Z\x82\xa2("
    "\x89\xf3\x82\xea\x82\xc4\x82\xa2\x82\xe9)\x81"
    "B\x8d\xec\x82\xe8\x92\xbc\x82\xb7\x82\xb1\x82\xc6 (%s is shorter than its header says: the "
    "file is broken, make it again)\n";
