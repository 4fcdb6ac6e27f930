// The MP3 files of the sample card: an ID3v2.2 or ID3v2.3 tag (Latin-1,
// Shift-JIS or UTF-16 titles), or none, before a few frames of silence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card_random.h"

using Bytes = std::vector<uint8_t>;

enum class TagKind { kV23Latin1, kV23Utf16Japanese, kV23Utf16Ascii, kV22Sjis, kV22Utf16, kNone };

// Draws the kind of tag of the next file, in the shares a card of
// Japanese and Western music has.
TagKind PickTagKind(Random& rng);

// The bytes of one file whose tag (of the given kind) names the album and
// a drawn title.
Bytes MakeMp3(Random& rng, TagKind kind, const std::string& album);
