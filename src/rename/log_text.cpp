#include "rename/log_text.h"

#include <cstdint>

#include "platform/host.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void Push(LogReader& reader, char16_t unit) { reader.pending[reader.pendingCount++] = unit; }

// The next byte of the file, or EOF.
int NextByte(LogReader& reader) {
  if (reader.at == reader.end) {
    reader.at = 0;
    reader.end = static_cast<int>(std::fread(reader.bytes, 1, sizeof reader.bytes, reader.file));
    if (reader.end == 0) return EOF;
  }
  return reader.bytes[reader.at++];
}

// One UTF-16 unit from a UTF-16LE file; a lone last byte is dropped.
bool DecodeUtf16le(LogReader& reader, char16_t& unit) {
  int lo = NextByte(reader);
  if (lo == EOF) return false;
  int hi = NextByte(reader);
  if (hi == EOF) return false;
  unit = static_cast<char16_t>(lo | (hi << 8));
  return true;
}

// One character from a UTF-8 file as one or two units (a pair is pushed
// low half first, so that the high half comes out first). A malformed
// sequence gives U+FFFD.
bool DecodeUtf8(LogReader& reader, char16_t& unit) {
  int b = NextByte(reader);
  if (b == EOF) return false;
  int extra;
  uint32_t cp;
  if (b < 0x80) {
    unit = static_cast<char16_t>(b);
    return true;
  } else if (b >= 0xC2 && b <= 0xDF) {
    extra = 1;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2;
    cp = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3;
    cp = b & 0x07;
  } else {
    unit = kReplacement;
    return true;
  }
  for (int i = 0; i < extra; ++i) {
    int c = NextByte(reader);
    if (c == EOF || (c & 0xC0) != 0x80) {
      if (c != EOF) --reader.at;  // read again as the start of the next character
      unit = kReplacement;
      return true;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    unit = kReplacement;
  } else if (cp >= 0x10000) {
    cp -= 0x10000;
    Push(reader, static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    unit = static_cast<char16_t>(0xD800 + (cp >> 10));
  } else {
    unit = static_cast<char16_t>(cp);
  }
  return true;
}

bool NextRawUnit(LogReader& reader, char16_t& unit) {
  if (reader.pendingCount > 0) {
    unit = reader.pending[--reader.pendingCount];
    return true;
  }
  if (reader.encoding == LogEncoding::kUtf8) return DecodeUtf8(reader, unit);
  return DecodeUtf16le(reader, unit);
}

// The next unit with CR LF turned into LF.
bool NextUnit(LogReader& reader, char16_t& unit) {
  if (!NextRawUnit(reader, unit)) return false;
  if (unit != u'\r') return true;
  char16_t next;
  if (NextRawUnit(reader, next)) {
    if (next == u'\n') {
      unit = u'\n';
    } else {
      Push(reader, next);
    }
  }
  return true;
}

bool PutByte(LogWriter& writer, unsigned value) {
  if (std::fputc(static_cast<int>(value & 0xFF), writer.file) == EOF) writer.failed = true;
  return !writer.failed;
}

void PutTextUtf8(LogWriter& writer, const char16_t* text) {
  for (int i = 0; text[i] != 0; ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      PutByte(writer, cp);
    } else if (cp < 0x800) {
      PutByte(writer, 0xC0 | (cp >> 6));
      PutByte(writer, 0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      PutByte(writer, 0xE0 | (cp >> 12));
      PutByte(writer, 0x80 | ((cp >> 6) & 0x3F));
      PutByte(writer, 0x80 | (cp & 0x3F));
    } else {
      PutByte(writer, 0xF0 | (cp >> 18));
      PutByte(writer, 0x80 | ((cp >> 12) & 0x3F));
      PutByte(writer, 0x80 | ((cp >> 6) & 0x3F));
      PutByte(writer, 0x80 | (cp & 0x3F));
    }
  }
}

void PutText(LogWriter& writer, const char16_t* text) {
  if (writer.encoding == LogEncoding::kUtf8) {
    PutTextUtf8(writer, text);
    return;
  }
  // A piece at a time, each written in one call.
  unsigned char bytes[256];
  int n = 0;
  for (int i = 0; text[i] != 0; ++i) {
    bytes[n++] = static_cast<unsigned char>(text[i] & 0xFF);
    bytes[n++] = static_cast<unsigned char>(text[i] >> 8);
    if (n == sizeof bytes || text[i + 1] == 0) {
      if (std::fwrite(bytes, 1, static_cast<size_t>(n), writer.file) != static_cast<size_t>(n)) {
        writer.failed = true;
      }
      n = 0;
    }
  }
}

void PutMark(LogWriter& writer) {
  if (writer.encoding == LogEncoding::kUtf8) {
    PutByte(writer, 0xEF);
    PutByte(writer, 0xBB);
    PutByte(writer, 0xBF);
  } else {
    PutByte(writer, 0xFF);
    PutByte(writer, 0xFE);
  }
}

}  // namespace

void StartLogReader(LogReader& reader, std::FILE* file) {
  reader.file = file;
  reader.encoding = LogEncoding::kUtf16le;
  reader.pendingCount = 0;
  reader.at = 0;
  reader.end = static_cast<int>(std::fread(reader.bytes, 1, sizeof reader.bytes, file));
  const unsigned char* head = reader.bytes;
  if (reader.end >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
    reader.at = 2;
  } else if (reader.end >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
    reader.encoding = LogEncoding::kUtf8;
    reader.at = 3;
  }
}

bool ReadLogLine(LogReader& reader, char16_t* out, int units) {
  int n = 0;
  char16_t unit;
  while (n + 1 < units && NextUnit(reader, unit)) {
    out[n++] = unit;
    if (unit == u'\n') break;
  }
  out[n] = 0;
  return n > 0;
}

bool CreateLog(const char16_t* path, LogWriter& writer) {
  writer = LogWriter{HostOpenW(path, "wb"), LogEncoding::kUtf16le, false};
  if (writer.file == nullptr) return false;
  PutMark(writer);
  return true;
}

bool OpenLogForAppend(const char16_t* path, LogWriter& writer) {
  if (!HostExists(path)) return CreateLog(path, writer);
  unsigned char head[3] = {0, 0, 0};
  unsigned char tail[2] = {0, 0};
  size_t n = 0;
  long size = -1;
  if (std::FILE* probe = HostOpenW(path, "rb")) {
    n = std::fread(head, 1, 3, probe);
    if (std::fseek(probe, 0, SEEK_END) == 0) size = std::ftell(probe);
    if (size >= 2 && std::fseek(probe, size - 2, SEEK_SET) == 0 &&
        std::fread(tail, 1, 2, probe) != 2) {
      size = -1;
    }
    std::fclose(probe);
  }
  writer = LogWriter{HostOpenW(path, "ab"), LogEncoding::kUtf16le, false};
  if (writer.file == nullptr) return false;
  bool utf8 = n == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
  if (utf8) writer.encoding = LogEncoding::kUtf8;
  if (size == 0) {
    PutMark(writer);
  } else if (utf8) {
    // A last line cut short (a run that was stopped) gets its line end, so
    // the new lines are lines of their own.
    if (size > 3 && tail[1] != '\n') PutText(writer, u"\r\n");
  } else if (size > 0) {
    // The same in UTF-16, where a log cut inside a unit also gets its
    // missing byte, so the new lines stay readable.
    bool hasMark = n >= 2 && head[0] == 0xFF && head[1] == 0xFE;
    if (size % 2 == 1) {
      PutByte(writer, 0);
      PutText(writer, u"\r\n");
    } else if (size > (hasMark ? 2 : 0) && !(tail[0] == '\n' && tail[1] == 0)) {
      PutText(writer, u"\r\n");
    }
  }
  return true;
}

bool WriteLogLine(LogWriter& writer, const char16_t* first, const char16_t* second,
                  const char16_t* third) {
  const char16_t* parts[3] = {first, second, third};
  for (const char16_t* part : parts) {
    if (part == nullptr) break;
    PutText(writer, part);
  }
  PutText(writer, u"\r\n");
  if (std::fflush(writer.file) != 0) writer.failed = true;
  return !writer.failed;
}

bool CloseLog(LogWriter& writer) {
  if (writer.file == nullptr) return false;
  if (std::fclose(writer.file) != 0) writer.failed = true;
  writer.file = nullptr;
  return !writer.failed;
}
