// The text of the sample card: names of folders and files, track titles
// (ASCII and Japanese, drawn from word lists), and their conversion to the
// encodings that tags and display-name files hold.
#pragma once

#include <string>

#include "card_random.h"

std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf8ToCp932(const std::string& text);

// One to five English words.
std::string AsciiTitle(Random& rng);
// One to four Japanese words, now and then joined by の.
std::string JapaneseTitle(Random& rng);

// The name of the artist folder number n.
std::string ArtistName(Random& rng, bool japanese, int n);
// The name of album folder number n of an artist.
std::string AlbumName(Random& rng, bool japanese, int n);
// "NN title.mp3" (or .MP3) for track n; the title goes to oldTitle.
std::string TrackFileName(Random& rng, bool japanese, int n, std::string& oldTitle);
