#include "rename/log_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/host.h"
#include "text/utf.h"

namespace {

void Push(LogReader& reader, char16_t unit) { reader.pending[reader.pendingCount++] = unit; }

// The next byte of the file, or EOF.
int NextByte(LogReader& reader) {
  if (reader.at == reader.end) {
    if (reader.file == nullptr) return EOF;
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

// Keeps at least the 4 bytes of a UTF-8 character in the buffer while the
// file has them.
void Refill(LogReader& reader) {
  if (reader.file == nullptr || reader.end - reader.at >= 4) return;
  int left = reader.end - reader.at;
  std::memmove(reader.bytes, reader.bytes + reader.at, static_cast<size_t>(left));
  reader.at = 0;
  reader.end = left + static_cast<int>(std::fread(reader.bytes + left, 1,
                                                  sizeof reader.bytes - left, reader.file));
}

// One character from a UTF-8 file as one or two units (a pair is pushed
// low half first, so that the high half comes out first). Each byte of a
// malformed sequence gives its escape (kEscapeBase + byte), so that it is
// known as such and can be written back as it was.
bool NextUtf8Unit(LogReader& reader, char16_t& unit) {
  Refill(reader);
  if (reader.at == reader.end) return false;
  uint32_t cp;
  const unsigned char* at = reader.bytes + reader.at;
  const int taken = DecodeUtf8(at, reader.end - reader.at, &cp);
  reader.at += taken;
  if (cp == kReplacementChar && taken == 1) {  // not the character itself
    unit = static_cast<char16_t>(kEscapeBase + at[0]);
    return true;
  }
  char16_t units[2];
  if (EncodeUtf16(cp, units) == 2) Push(reader, units[1]);
  unit = units[0];
  return true;
}

bool NextRawUnit(LogReader& reader, char16_t& unit) {
  if (reader.pendingCount > 0) {
    unit = reader.pending[--reader.pendingCount];
    return true;
  }
  if (reader.encoding == LogEncoding::kUtf8) return NextUtf8Unit(reader, unit);
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

// Where encoded log text goes: a buffer that, when a stream is given, is
// drained into it as it fills.
struct Sink {
  unsigned char* bytes;
  int size;
  int used;
  std::FILE* file;  // null: the text must fit the buffer
  bool failed;
  long written;  // bytes that reached the file
};

bool Drain(Sink& sink) {
  if (sink.used > 0) {
    size_t put = std::fwrite(sink.bytes, 1, static_cast<size_t>(sink.used), sink.file);
    sink.written += static_cast<long>(put);
    if (put != static_cast<size_t>(sink.used)) sink.failed = true;
    HostStepPoint();
  }
  sink.used = 0;
  return !sink.failed;
}

void PutByte(Sink& sink, unsigned value) {
  if (sink.used == sink.size && (sink.file == nullptr || !Drain(sink))) {
    sink.failed = true;
    return;
  }
  sink.bytes[sink.used++] = static_cast<unsigned char>(value & 0xFF);
}

void PutTextUtf8(Sink& sink, const char16_t* text) {
  int count = 0;
  while (text[count] != 0) ++count;
  unsigned char bytes[4];
  for (int i = 0; i < count;) {
    int n = EncodeLogUtf8(text, count, i, bytes);
    for (int k = 0; k < n; ++k) PutByte(sink, bytes[k]);
  }
}

void PutText(Sink& sink, LogEncoding encoding, const char16_t* text) {
  if (encoding == LogEncoding::kUtf8) {
    PutTextUtf8(sink, text);
    return;
  }
  int i = 0;
  // Straight into the buffer while it has room, byte by byte near its end.
  unsigned char* at = sink.bytes + sink.used;
  for (int room = (sink.size - sink.used) / 2; text[i] != 0 && i < room; ++i) {
    *at++ = static_cast<unsigned char>(text[i] & 0xFF);
    *at++ = static_cast<unsigned char>(text[i] >> 8);
  }
  sink.used = static_cast<int>(at - sink.bytes);
  for (; text[i] != 0; ++i) {
    PutByte(sink, text[i] & 0xFF);
    PutByte(sink, text[i] >> 8);
  }
}

// The parts of a line (a null part ends the list early) and its CR LF.
void PutLine(Sink& sink, LogEncoding encoding, const char16_t* first, const char16_t* second,
             const char16_t* third) {
  const char16_t* parts[3] = {first, second, third};
  for (const char16_t* part : parts) {
    if (part == nullptr) break;
    PutText(sink, encoding, part);
  }
  PutText(sink, encoding, u"\r\n");
}

// The byte-order mark of the writer's encoding.
const char* MarkOf(const LogWriter& writer) {
  return writer.encoding == LogEncoding::kUtf8 ? "\xEF\xBB\xBF" : "\xFF\xFE";
}

// Puts the mark still owed to the log in front of what is written next, so
// that a new log and its first line reach the file in one write. Returns
// its bytes.
int PutOwedMark(Sink& sink, LogWriter& writer) {
  int bytes = writer.markBytes;
  for (int i = 0; i < bytes; ++i) PutByte(sink, static_cast<unsigned char>(MarkOf(writer)[i]));
  writer.markBytes = 0;
  return bytes;
}

// Writes rawBytes raw bytes, then text, to the log in one piece as far as
// it can.

void OweMark(LogWriter& writer) {
  writer.markBytes = static_cast<int>(std::strlen(MarkOf(writer)));
}

// Where the last whole line of a log of size bytes ends (just after its
// LF), or markBytes when it has none; read backwards from the end. A read
// that fails keeps the whole log.
long EndOfLastLine(std::FILE* file, long size, LogEncoding encoding, int markBytes) {
  const long unit = encoding == LogEncoding::kUtf8 ? 1 : 2;
  unsigned char chunk[4096];
  long end = size - (size - markBytes) % unit;  // a unit cut in two is no unit
  while (end > markBytes) {
    long start = std::max<long>(markBytes, end - static_cast<long>(sizeof chunk));
    size_t want = static_cast<size_t>(end - start);
    if (std::fseek(file, start, SEEK_SET) != 0 || std::fread(chunk, 1, want, file) != want) {
      return size;
    }
    for (long p = end - unit; p >= start; p -= unit) {
      const unsigned char* at = chunk + (p - start);
      if (at[0] == '\n' && (unit == 1 || at[1] == 0)) return p + unit;
    }
    end = start;
  }
  return markBytes;
}

// A log is written without a stream buffer: each piece reaches the file in
// one write, and a piece cut short by a full card is known as such.
std::FILE* Unbuffered(std::FILE* file) {
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

}  // namespace

int EncodeLogUtf8(const char16_t* units, int count, int& i, unsigned char* out) {
  // Walked from the start, a low half here has no high half before it.
  if (IsEscapedByte(units[i])) {
    out[0] = static_cast<unsigned char>(units[i++] - kEscapeBase);
    return 1;
  }
  uint32_t cp;
  i += DecodeUtf16(units + i, count - i, &cp);
  return EncodeUtf8(cp, reinterpret_cast<char*>(out));
}

void StartLogReader(LogReader& reader, std::FILE* file) {
  StartLogReaderOnHead(reader,
                       static_cast<int>(std::fread(reader.bytes, 1, sizeof reader.bytes, file)));
  reader.file = file;
}

void StartLogReaderOnHead(LogReader& reader, int count) {
  reader.file = nullptr;
  reader.encoding = LogEncoding::kUtf16le;
  reader.pendingCount = 0;
  reader.at = 0;
  reader.end = count;
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
  if (reader.encoding == LogEncoding::kUtf16le && reader.pendingCount == 0) {
    // Whole units of the buffer, up to a CR or LF (which the general way
    // below takes, with what follows).
    const unsigned char* at = reader.bytes + reader.at;
    int whole = std::min(units - 1, (reader.end - reader.at) / 2);
    while (n < whole) {
      char16_t unit = static_cast<char16_t>(at[0] | (at[1] << 8));
      if (unit == u'\r' || unit == u'\n') break;
      out[n++] = unit;
      at += 2;
    }
    reader.at = static_cast<int>(at - reader.bytes);
  }
  char16_t unit;
  while (n + 1 < units && NextUnit(reader, unit)) {
    out[n++] = unit;
    if (unit == u'\n') break;
  }
  out[n] = 0;
  return n > 0;
}

bool IsUnendedLastLine(LogReader& reader, const char16_t* line) {
  int n = 0;
  while (line[n] != 0) ++n;
  if (n > 0 && line[n - 1] == u'\n') return false;
  if (reader.pendingCount > 0 || reader.at < reader.end) return false;
  if (reader.file == nullptr) return true;
  reader.at = 0;
  reader.end = static_cast<int>(std::fread(reader.bytes, 1, sizeof reader.bytes, reader.file));
  // A lone byte left is half a unit, which the UTF-16 reader drops.
  return reader.end == 0 || (reader.end == 1 && reader.encoding == LogEncoding::kUtf16le);
}

bool CreateLog(const char16_t* path, LogWriter& writer) {
  writer = LogWriter{Unbuffered(HostOpenW(path, "wb")), LogEncoding::kUtf16le, false, 0, 0};
  if (writer.file == nullptr) return false;
  HostStepPoint();  // an empty file now stands there
  OweMark(writer);
  return true;
}

bool OpenLogForAppend(const char16_t* path, LogWriter& writer) {
  if (!HostExists(path)) return CreateLog(path, writer);
  // One stream reads the log's first and last bytes and appends to it.
  writer = LogWriter{Unbuffered(HostOpenW(path, "a+b")), LogEncoding::kUtf16le, false, 0, 0};
  std::FILE* file = writer.file;
  if (file == nullptr) return false;
  unsigned char head[3] = {0, 0, 0};
  size_t n = std::fread(head, 1, sizeof head, file);
  int markBytes = 0;
  if (n == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
    writer.encoding = LogEncoding::kUtf8;
    markBytes = 3;
  } else if (n >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
    markBytes = 2;
  }
  long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  long keep = size < 0 ? -1 : EndOfLastLine(file, size, writer.encoding, markBytes);
  if (keep < 0 || (keep < size && !HostCutFile(file, keep))) {
    std::fclose(file);
    writer.file = nullptr;
    return false;
  }
  if (keep < size) HostStepPoint();
  writer.size = keep;
  if (keep == 0) OweMark(writer);
  std::fseek(file, 0, SEEK_END);  // a write follows a read only after a seek
  return true;
}

bool WriteLogLine(LogWriter& writer, const char16_t* first, const char16_t* second,
                  const char16_t* third) {
  unsigned char bytes[512];
  Sink sink{bytes, sizeof bytes, 0, writer.file, false, 0};
  PutOwedMark(sink, writer);
  PutLine(sink, writer.encoding, first, second, third);
  if (!Drain(sink)) writer.failed = true;
  writer.size += sink.written;
  return !writer.failed;
}

bool CutLog(LogWriter& writer, long size) {
  if (writer.file == nullptr || !HostCutFile(writer.file, size)) return false;
  HostStepPoint();
  writer.size = size;
  if (size == 0) OweMark(writer);
  return true;
}

bool CloseLog(LogWriter& writer) {
  if (writer.file == nullptr) return false;
  if (writer.markBytes > 0 && !writer.failed) {  // a log without lines: the mark alone
    unsigned char bytes[4];
    Sink sink{bytes, sizeof bytes, 0, writer.file, false, 0};
    PutOwedMark(sink, writer);
    if (!Drain(sink)) writer.failed = true;
    writer.size += sink.written;
  }
  if (std::fclose(writer.file) != 0) writer.failed = true;
  writer.file = nullptr;
  return !writer.failed;
}
