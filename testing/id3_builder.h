// ID3v2 tags with the frames, encodings and sizes a test chooses (sizes may lie), in small MP3s:
//   card.WriteFile("A/001.MP3", Mp3WithTag(BuildId3v22({Id3TextFrame("TT2", Latin1Text("A"))})));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Id3Frame {
  std::string id;             // "TT2" (2.2) or "TIT2" (2.3 and later)
  std::vector<uint8_t> body;  // encoding byte and text, exactly as stored
  int64_t size = -1;          // the size field; -1 = the body's length
  uint8_t format = 0;         // the second flag byte (2.3, 2.4); 0x02 in 2.4: body unsynchronised
};

inline Id3Frame Id3TextFrame(const std::string& id, const std::vector<uint8_t>& encodedText,
                             int64_t size = -1) {
  return Id3Frame{id, encodedText, size};
}

// Encoding 0 text (the bytes as given), with a zero byte when terminated.
std::vector<uint8_t> Latin1Text(const std::string& bytes, bool terminated = true);

// Encoding 1 text: UTF-16LE after FF FE, BE after FE FF, LE unmarked; a zero unit if terminated.
enum class Bom { kLittleEndian, kBigEndian, kNone };
std::vector<uint8_t> Utf16Text(const std::u16string& text, Bom bom = Bom::kLittleEndian,
                               bool terminated = true);

// A frame as a tag of the major version holds it: 6-byte header for 2, else 10 (syncsafe size
// for 4), then the body.
std::vector<uint8_t> Id3FrameBytes(uint8_t major, const Id3Frame& frame);

// A tag of a major version: syncsafe size, the frames, 16 zero bytes. With 0x80 in flags and a
// major below 4, frames and padding are unsynchronised as a whole.
std::vector<uint8_t> BuildId3(uint8_t major, const std::vector<Id3Frame>& frames,
                              uint8_t flags = 0);
inline std::vector<uint8_t> BuildId3v22(const std::vector<Id3Frame>& f) { return BuildId3(2, f); }
inline std::vector<uint8_t> BuildId3v23(const std::vector<Id3Frame>& f) { return BuildId3(3, f); }

// A small MP3 file: the tag (may be empty), one MPEG frame header, zeros.
std::vector<uint8_t> Mp3WithTag(const std::vector<uint8_t>& tag);
