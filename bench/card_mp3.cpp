// The MP3 files of the sample card: ID3v2 tags of several versions and
// encodings, written frame by frame, before a few frames of silence.
#include "card_mp3.h"

#include <cstring>

#include "card_text.h"

namespace {

const char* const kLatin1Titles[] = {"Caf\xe9 au Lait", "Na\xefve Melody", "Se\xf1orita",
                                     "\xc9t\xe9 Indien", "M\xfcnchen"};

void Append(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}

void AppendUtf16(Bytes& out, const std::u16string& text, bool bom, bool terminator) {
  if (bom) {
    out.push_back(0xFF);
    out.push_back(0xFE);
  }
  for (char16_t unit : text) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  if (terminator) {
    out.push_back(0);
    out.push_back(0);
  }
}

void AppendBigEndian(Bytes& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendSyncsafe(Bytes& out, uint32_t value) {
  for (int shift = 21; shift >= 0; shift -= 7)
    out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

// One text frame of a version 2.2 (three-letter id) or 2.3 (four-letter
// id) tag: the encoding byte, then the text bytes as given.
void AppendFrame(Bytes& out, const char* id, uint8_t encoding, const Bytes& text) {
  bool v22 = std::strlen(id) == 3;
  Append(out, id);
  uint32_t size = static_cast<uint32_t>(text.size()) + 1;
  AppendBigEndian(out, size, v22 ? 3 : 4);
  if (!v22) {
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(encoding);
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

TagKind PickTagKind(Random& rng) {
  int r = rng.Between(1, 100);
  if (r <= 30) return TagKind::kV23Latin1;
  if (r <= 55) return TagKind::kV23Utf16Japanese;
  if (r <= 67) return TagKind::kV23Utf16Ascii;
  if (r <= 82) return TagKind::kV22Sjis;
  if (r <= 96) return TagKind::kV22Utf16;
  return TagKind::kNone;
}

// The file: an ID3v2 tag (with an album frame, the title frame and some
// padding) and a few MPEG frames of silence, so that the file is longer
// than the 1024 bytes cardprep reads, as any real MP3 file is.
Bytes MakeMp3(Random& rng, TagKind kind, const std::string& album) {
  Bytes frames;
  Bytes text;
  switch (kind) {
    case TagKind::kV23Latin1: {
      std::string title = rng.Chance(10) ? rng.Pick(kLatin1Titles) : AsciiTitle(rng);
      Append(text, Utf8ToCp932(album));  // what Japanese taggers write as "Latin-1"
      AppendFrame(frames, "TALB", 0, text);
      text.clear();
      Append(text, title);
      if (rng.Chance(50)) text.push_back(0);
      AppendFrame(frames, "TIT2", 0, text);
      break;
    }
    case TagKind::kV23Utf16Japanese:
    case TagKind::kV23Utf16Ascii: {
      std::string title = kind == TagKind::kV23Utf16Japanese ? JapaneseTitle(rng) : AsciiTitle(rng);
      AppendUtf16(text, Utf8ToUtf16(album), true, true);
      AppendFrame(frames, "TALB", 1, text);
      text.clear();
      // Encoders often write no terminator: the next frame follows at once.
      AppendUtf16(text, Utf8ToUtf16(title), true, rng.Chance(40));
      AppendFrame(frames, "TIT2", 1, text);
      text.clear();
      AppendUtf16(text, u"cardprep bench", true, true);
      AppendFrame(frames, "TPE1", 1, text);
      break;
    }
    case TagKind::kV22Sjis: {
      std::string title = rng.Chance(60) ? JapaneseTitle(rng) : AsciiTitle(rng);
      Append(text, Utf8ToCp932(album));
      text.push_back(0);
      AppendFrame(frames, "TAL", 0, text);
      text.clear();
      Append(text, Utf8ToCp932(title));
      text.push_back(0);
      AppendFrame(frames, "TT2", 0, text);
      break;
    }
    case TagKind::kV22Utf16: {
      std::string title = JapaneseTitle(rng);
      AppendUtf16(text, Utf8ToUtf16(title), true, true);
      AppendFrame(frames, "TT2", 1, text);
      break;
    }
    case TagKind::kNone:
      break;
  }
  Bytes file;
  if (kind != TagKind::kNone) {
    int padding = rng.Between(0, 600);
    bool v22 = kind == TagKind::kV22Sjis || kind == TagKind::kV22Utf16;
    Append(file, "ID3");
    file.push_back(v22 ? 2 : 3);
    file.push_back(0);
    file.push_back(0);
    AppendSyncsafe(file, static_cast<uint32_t>(frames.size() + static_cast<size_t>(padding)));
    file.insert(file.end(), frames.begin(), frames.end());
    file.insert(file.end(), static_cast<size_t>(padding), 0);
  }
  const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00};
  for (int frame = 0; frame < 3; ++frame) {
    file.insert(file.end(), header, header + 4);
    file.insert(file.end(), 413, 0);
  }
  return file;
}
