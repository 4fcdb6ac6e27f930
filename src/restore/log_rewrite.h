// Rewriting a folder's RENFIL04.LOG so that it keeps exactly the lines not
// yet undone, without a moment at which the card holds no log: the new text
// goes to the side file RENFIL04.NEW first, the old log is removed, and the
// side file takes the log's name. A restore stopped anywhere in between
// leaves either the old log (beside a side file, which is dropped) or the
// side file alone (which becomes the log); RecoverFileLog sorts that out
// before the folder's log is read again.
#pragma once

struct FileLog;

// Finishes or drops a rewrite that was cut short in folder. A side file is
// taken for one of ours only when it is a regular file that begins with the
// log's byte-order mark (FF FE); anything else of that name is the user's
// and is left alone. False when the side file is in the way of a rewrite.
bool RecoverFileLog(const char16_t* folder);

// Writes the lines of log not undone back to folder's RENFIL04.LOG unit for
// unit, or removes the log when none is left, and marks what the file now
// holds.
// False (the old log still in place) when it cannot be written.
bool RewriteFileLog(const char16_t* folder, FileLog& log);
