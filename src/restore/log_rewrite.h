// Rewriting a folder's RENFIL04.LOG so that it keeps exactly the lines not
// yet undone, without a moment at which the card holds no log: the new text
// goes to the side file first, the old log is removed, and the side file
// takes the log's name. A restore stopped anywhere in between leaves either
// the old log beside a side file (empty, cut short or whole: it is dropped)
// or the side file alone and whole (it becomes the log); RecoverFileLog
// sorts that out before the folder's log is read again.
#pragma once

struct FileLog;

// The side file's name: one only cardprep-restore gives (8.3, so FAT holds
// it as it stands), never the user's nor cardprep's.
constexpr char16_t kSideFileName[] = u"RENFIL04.RS~";

enum class Rewrite {
  kDone,
  kFailed,    // the log could not be written; the old one stands
  kInTheWay,  // something else bears the side file's name; it stays
};

// Finishes or drops a rewrite that was cut short in folder. The side file is
// taken for one of ours only when its bytes are what a rewrite writes:
// beside the log, the start (none at all included) of the log's mark and
// whole lines in their order, some left out; alone, such lines complete.
// Anything else of that name stays, and false is returned: it is in the way.
bool RecoverFileLog(const char16_t* folder);

// Writes the lines of log not undone back to folder's RENFIL04.LOG unit for
// unit, or removes the log when none is left, and marks what the file now
// holds. A last line without its line end goes: it names a move never made.
Rewrite RewriteFileLog(const char16_t* folder, FileLog& log);
