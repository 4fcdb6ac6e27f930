// ID3v2.2 and ID3v2.3 tags for tests of the tag reader, with the frames,
// encodings and sizes a test chooses (sizes may lie, texts may lack their
// terminators), and small MP3 files that carry them.
//
//   std::vector<Id3Frame> frames = {Id3TextFrame("TT2", Latin1Text("Song A"))};
//   card.WriteFile("A/001.MP3", Mp3WithTag(BuildId3v22(frames)));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Id3Frame {
  std::string id;             // "TT2", "TAL" (2.2) or "TIT2", "TALB" (2.3)
  std::vector<uint8_t> body;  // encoding byte and text, exactly as stored
  int64_t size = -1;          // the size field; -1 = the body's length
};

// A frame whose body is the encoding byte followed by text.
Id3Frame Id3TextFrame(const std::string& id, const std::vector<uint8_t>& encodedText,
                      int64_t size = -1);

// Encoding 0 text (the bytes as given), with a zero byte when terminated.
std::vector<uint8_t> Latin1Text(const std::string& bytes, bool terminated = true);

// Encoding 1 text: UTF-16 (little-endian after an FF FE mark, big-endian
// after FE FF, little-endian without a mark), with a zero unit when
// terminated.
enum class Bom { kLittleEndian, kBigEndian, kNone };
std::vector<uint8_t> Utf16Text(const std::u16string& text, Bom bom = Bom::kLittleEndian,
                               bool terminated = true);

// The tag: a 10-byte header (version 2 or 3, syncsafe size) and the frames
// with 6-byte (2.2) or 10-byte (2.3) headers, then padding zero bytes.
std::vector<uint8_t> BuildId3v22(const std::vector<Id3Frame>& frames, int padding = 16);
std::vector<uint8_t> BuildId3v23(const std::vector<Id3Frame>& frames, int padding = 16);

// A tag's header with any major version byte (for the versions the reader
// refuses) and the frames laid out as in 2.3.
std::vector<uint8_t> BuildId3WithVersion(uint8_t major, const std::vector<Id3Frame>& frames);

// A small MP3 file: the tag (may be empty), one MPEG audio frame header and
// zero bytes.
std::vector<uint8_t> Mp3WithTag(const std::vector<uint8_t>& tag);
