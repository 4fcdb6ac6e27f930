#include "restore/log_rewrite.h"

#include <cstdio>
#include <cstring>

#include "platform/host.h"
#include "rename/log_text.h"
#include "restore/restore_moves.h"
#include "restore/restore_plan.h"
#include "text/wide.h"

namespace {

bool Paths(const char16_t* folder, char16_t* logPath, char16_t* sidePath) {
  return WideJoinPath(logPath, kRestorePathUnits, folder, u"RENFIL04.LOG") &&
         WideJoinPath(sidePath, kRestorePathUnits, folder, kSideFileName);
}

bool Keeps(const FileLog& log, int i) { return !log.undone[i] && log.lines[i].ended; }

bool SameUnits(const LogLine& a, const LogLine& b, int length) {
  for (int i = 0; i < length; ++i) {
    if (a.text[i] != b.text[i]) return false;
  }
  return true;
}

// Whether the side file's line (its last one, when it lacks its end: cut
// short anywhere, between CR and LF too, or inside a UTF-8 character, whose
// bytes then read as escapes) is the log's line.
bool IsWrittenFrom(const LogLine& side, const LogLine& log) {
  if (side.ended) return log.length == side.length && SameUnits(side, log, side.length);
  if (side.length == log.length + 1) {
    return side.text[log.length] == u'\r' && SameUnits(side, log, log.length);
  }
  int length = side.length;
  for (int cut = 0; cut < 3 && length > 0 && IsEscapedByte(side.text[length - 1]); ++cut) {
    --length;
  }
  return length <= log.length && SameUnits(side, log, length);
}

// Reads the log on to the next whole line the side file's line was written
// from. False when none is left.
bool FindLine(LogReader& log, const LogLine& side) {
  LogLine line;
  for (;;) {
    if (ReadLogRow(log, line) != RowRead::kRow) return false;
    if (line.ended && IsWrittenFrom(side, line)) return true;
  }
}

// The byte-order mark a rewrite writes in front of text in encoding.
const char* MarkOf(LogEncoding encoding) {
  return encoding == LogEncoding::kUtf8 ? "\xEF\xBB\xBF" : "\xFF\xFE";
}

// Whether side holds what a rewrite of log writes (see RecoverFileLog); log
// is null when the card holds none.
bool HoldsRewriteOf(std::FILE* side, std::FILE* log) {
  long size = std::fseek(side, 0, SEEK_END) == 0 ? std::ftell(side) : -1;
  if (size < 0 || std::fseek(side, 0, SEEK_SET) != 0) return false;
  LogReader sideReader;
  StartLogReader(sideReader, side);
  LogReader logReader;
  if (log != nullptr) StartLogReader(logReader, log);
  // A rewrite writes the log's own encoding, after its mark; the side file
  // alone shows its encoding by its mark.
  const LogEncoding encoding = log != nullptr ? logReader.encoding : sideReader.encoding;
  const char* mark = MarkOf(encoding);
  const long markBytes = static_cast<long>(std::strlen(mark));
  bool marked = size >= markBytes && std::memcmp(sideReader.bytes, mark, markBytes) == 0;
  if (!marked) {  // cut in the mark, beside the log
    return log != nullptr && size < markBytes &&
           std::memcmp(sideReader.bytes, mark, static_cast<size_t>(size)) == 0;
  }
  if (sideReader.encoding != encoding) return false;
  LogLine line;
  int lines = 0;
  for (RowRead row; (row = ReadLogRow(sideReader, line)) != RowRead::kEnd; ++lines) {
    if (row == RowRead::kTooLong) return false;
    if (log == nullptr ? !line.ended : !FindLine(logReader, line)) return false;
  }
  // Alone, the side file was written whole: lines, and no half unit after them.
  return log != nullptr || (lines > 0 && (encoding == LogEncoding::kUtf8 || size % 2 == 0));
}

// Appends the units of text in encoding: UTF-16LE, or UTF-8 with escaped
// bytes written back as they were read.
void PutUnits(LogEncoding encoding, const char16_t* text, int count, unsigned char* bytes,
              int& used) {
  for (int i = 0; i < count;) {
    if (encoding == LogEncoding::kUtf8) {
      used += EncodeLogUtf8(text, count, i, bytes + used);
      continue;
    }
    bytes[used++] = static_cast<unsigned char>(text[i] & 0xFF);
    bytes[used++] = static_cast<unsigned char>(text[i++] >> 8);
  }
}

// Writes the lines log keeps to a new file at path, in the log's encoding
// after its mark, each line's units as read (a unit 0 too) and CR LF, one
// write a line.
bool WriteSideFile(const char16_t* path, const FileLog& log) {
  std::FILE* file = HostOpenW(path, "wb");
  if (file == nullptr) return false;
  std::setvbuf(file, nullptr, _IONBF, 0);
  HostStepPoint();  // an empty side file now stands there
  bool ok = true;
  bool marked = false;
  for (int i = 0; i < log.count; ++i) {
    if (!Keeps(log, i)) continue;
    unsigned char bytes[4 + 3 * (kLogLineUnits + 2)];
    int used = 0;
    if (!marked) {
      const char* mark = MarkOf(log.encoding);
      for (; mark[used] != 0; ++used) bytes[used] = static_cast<unsigned char>(mark[used]);
    }
    marked = true;
    const LogLine& line = log.lines[i];
    PutUnits(log.encoding, line.text, line.length, bytes, used);
    PutUnits(log.encoding, u"\r\n", 2, bytes, used);
    ok = ok && std::fwrite(bytes, 1, static_cast<size_t>(used), file) == static_cast<size_t>(used);
    HostStepPoint();
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace

bool RecoverFileLog(const char16_t* folder) {
  char16_t logPath[kRestorePathUnits];
  char16_t sidePath[kRestorePathUnits];
  if (!Paths(folder, logPath, sidePath)) return false;
  if (!HostExists(sidePath)) return true;
  std::FILE* side = HostOpenW(sidePath, "rb");
  if (side == nullptr) return false;
  std::FILE* log = HostOpenW(logPath, "rb");
  bool ours = HoldsRewriteOf(side, log);
  std::fclose(side);
  if (log != nullptr) std::fclose(log);
  if (!ours) return false;
  // With the old log still there the side file may be cut short: the old
  // log holds every line not undone (see RestoreFileNames), so it wins.
  if (log != nullptr) return HostRemoveFile(sidePath) == 0;
  return HostMove(sidePath, logPath) == 0;
}

Rewrite RewriteFileLog(const char16_t* folder, FileLog& log) {
  char16_t logPath[kRestorePathUnits];
  char16_t sidePath[kRestorePathUnits];
  if (!Paths(folder, logPath, sidePath)) return Rewrite::kFailed;
  int kept = 0;
  for (int i = 0; i < log.count; ++i) kept += Keeps(log, i) ? 1 : 0;
  if (kept == 0) {
    unsigned long error = HostRemoveFile(logPath);
    if (error != 0 && HostExists(logPath)) return Rewrite::kFailed;
  } else {
    // The side file is made anew (RecoverFileLog has cleared the name),
    // whole, before the old log goes.
    if (HostExists(sidePath)) return Rewrite::kInTheWay;
    bool written = WriteSideFile(sidePath, log);
    if (!written || HostRemoveFile(logPath) != 0 || HostMove(sidePath, logPath) != 0) {
      if (HostExists(logPath)) HostRemoveFile(sidePath);
      return Rewrite::kFailed;
    }
  }
  for (int i = 0; i < log.count; ++i) log.written[i] = Keeps(log, i);
  return Rewrite::kDone;
}
