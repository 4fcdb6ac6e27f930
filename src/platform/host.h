// The host layer: everything cardprep takes from the operating system.
// One implementation for POSIX (host_posix*.cpp: the base, names, files,
// listings, paths, interrupts and the card's lock and root) and one for
// Win32 (host_win32*.cpp: the base, files, and the card's lock and root);
// the build picks one. host_common.cpp holds what both share (code page
// 932, the temporary directory's names, the test seam). No other file
// includes system headers.
//
// Names and paths are code page 932 bytes or UTF-16 units, with backslash
// as the separator. A path that begins with a backslash is relative to the
// card's root: on Windows that is the drive root of the current directory;
// on POSIX it is the current directory itself, as if the tool ran from a
// drive root. Other paths are relative to the current directory or, like
// the temporary directory, the host's own absolute paths.
//
// The card is FAT, so on every host names compare without regard to ASCII
// letter case, and a name FAT cannot hold (control characters and
// \ / : * ? " < > |) never exists and cannot be a move target. A card
// path with ".." in it is refused the same way: it never leaves the card.
#pragma once

#include <cstdint>
#include <cstdio>

// --- Directories ------------------------------------------------------

// The current directory as shown to the user (code page 932), at most
// size - 1 bytes. Returns false when it cannot be read.
bool HostGetCurrentDirectory(char* out, int size);

// The card root as the rename pass walks it (UTF-16): the current directory
// on Windows ("E:\" or "C:\CARD"), "\" on POSIX.
bool HostGetCurrentDirectoryW(char16_t* out, int units);

// Makes the folder given as the program's argument number index the
// current directory (a folder dropped onto the program); text is that
// argument as main received it. On Windows the argument is read again from
// the wide command line, so a name outside the ANSI code page is reached.
// False when it names no folder that can be entered.
bool HostEnterArgumentFolder(int index, const char* text);

// The temporary directory, ending with a separator ("C:\...\Temp\" on
// Windows, "/tmp/" or $TMPDIR on POSIX), code page 932: a character the
// code page lacks shows as '?'. The host keeps its own form, so that the
// work folder made in it and every path that begins with this text are
// reached by their true names.
bool HostGetTempDirectory(char* out, int size);

// Makes a folder of this run's own in tempDir (as HostGetTempDirectory
// gives it) for the run's work files, so that runs at once never read each
// other's listings, and gives its path, ending with a separator. It is
// removed with the work files in it by HostRemoveWorkDirectory, or when an
// interrupt ends the process. False when it cannot be made.
bool HostMakeWorkDirectory(const char* tempDir, char* out, int size);
void HostRemoveWorkDirectory();

// True when the current directory is the root of a drive or volume (a drive
// root "E:\", a volume mounted in a folder or a share's root on Windows; a
// mount point on POSIX) and not the root of the system's own volume (the
// one holding the Windows folder; "/" on POSIX). A card is prepared only
// there unless the user says otherwise.
bool HostInCardRoot();

// --- The card's lock ----------------------------------------------------

// What HostLockCard found.
enum class HostLock { kHeld, kInUse, kUnavailable };

// Takes the lock of the card in the current directory: the file
// CARDPREP.LCK in its root, held open for the whole run so that a second
// run of cardprep or cardprep-restore on the card finds it kInUse. The
// system lets go of it when the process ends in any way (on Windows it also
// removes the file; on POSIX a killed run leaves an unlocked file the next
// run takes over). kUnavailable when the file cannot be made (a root that
// takes no file). For tests, the environment variable CARDPREP_HOLD_LOCK_MS,
// when set, keeps the run waiting that many milliseconds once it holds the
// lock, so that a second run started meanwhile surely finds the card held.
HostLock HostLockCard();

// Removes the lock file and lets go of the lock (nothing when none is held).
void HostUnlockCard();

// --- Listings (work files) ----------------------------------------------

// Writes every folder below the current directory, hidden ones included,
// one full path per line (CR LF), code page 932, to workFile: each folder's
// subfolders one after the other sorted by name, and all of a folder's
// subfolders before the lines of their own subfolders. Lines carry the
// drive on Windows ("E:\A\B") and start with the backslash on POSIX
// ("\A\B"). Returns false when the work file cannot be written.
bool HostWriteFolderListing(const char* workFile);

// Writes the bare names of the files (not folders) of folderPath, sorted by
// name, one per line (CR LF), code page 932, to workFile. A folder that
// cannot be listed gives an empty file. Returns false when the work file
// cannot be written.
bool HostWriteFileListing(const char* folderPath, const char* workFile);

// Listing order: UTF-16 units compared after ASCII letters are folded to
// upper case; ties broken by plain unit order. Negative, zero or positive.
int HostCompareListingNames(const char16_t* a, const char16_t* b);

// --- Wide listing for the rename pass -----------------------------------

constexpr int kHostNameUnits = 260;  // a bare name and its terminator
// A path in a buffer of the host layer: a card path or a host path (the
// current or temporary directory) and its terminator.
constexpr int kHostPathUnits = 1024;

struct HostFindEntry {
  char16_t name[kHostNameUnits];  // bare name, terminated
  bool isDirectory;
  bool tooLong;  // the name did not fit; name holds its first units
  // The name on disk is none the card can hold (a character FAT refuses, or
  // bytes that are no name in UTF-16): name holds a look-alike, never to be
  // made into a path.
  bool unusable;
  // A symbolic link (on Windows any reparse point) in the name's place,
  // looked at without following it.
  bool isLink;
};

// A listing in progress; owned by the caller, no allocation on its behalf.
// Listings in progress end in the reverse order of their start.
struct HostFind {
  void* handle;     // the system's listing (Windows)
  int first, next;  // the names listed, kept by the host (POSIX)
  char16_t pattern[kHostNameUnits];
};

// Starts listing "folder\pattern" where pattern is "*.*" (everything but
// "." and ".." included as Windows gives them) or "*.EXT" (names whose text
// after the last dot equals EXT, any case). Fills the first entry and
// returns true, or returns false when nothing matches. HostFindNext gives
// the next entry or false at the end; HostFindClose ends the listing (safe
// after a failed start).
bool HostFindFirst(HostFind& find, const char16_t* folderPath, const char16_t* pattern,
                   HostFindEntry& entry);
bool HostFindNext(HostFind& find, HostFindEntry& entry);
// True for the names "." and ".." (of units units), which a listing gives
// for the folder itself and its parent.
bool HostIsDotName(const char16_t* name, int units);
void HostFindClose(HostFind& find);

// The host may hold the names of the folder it read last, and what it
// learned of the card's filesystem. A program that changes its current
// directory calls this after doing so.
void HostForgetFolderNames();

// --- Files ----------------------------------------------------------------

// True when an entry of that name exists (ASCII case ignored): a file, a
// folder, or a link, which is never followed (one that leads nowhere is
// there too).
bool HostExists(const char16_t* path);
bool HostExistsA(const char* path);

// The size in bytes of the file at path, found as HostOpen finds it; -1
// when there is none (nothing there, a folder, or anything but a file).
long HostFileSize(const char* path);

// Moves from to to within one folder; never replaces anything. Returns 0 on
// success, else the host's error code (GetLastError on Windows, errno on
// POSIX). A taken target (in any ASCII case, other than the source itself)
// fails with HostErrorAlreadyExists(); a name FAT cannot hold with
// HostErrorInvalidName().
unsigned long HostMove(const char16_t* from, const char16_t* to);

// Moves from back to to, the name the host moved it from, within one
// folder; never replaces anything, and only an entry spelled exactly so
// stands in its way (on a case-sensitive disk a sibling that differs only in
// case, which FAT could not hold beside it, does not). 0 or an error code.
unsigned long HostMoveBack(const char16_t* from, const char16_t* to);
// Removes a file (never a folder, nor a link in a file's place). 0 or an
// error code.
unsigned long HostRemoveFile(const char16_t* path);
unsigned long HostErrorAlreadyExists();
unsigned long HostErrorInvalidName();
// The system's own text for an error code a host call returned, as one
// line of code page 932 (in the system's language on Windows), or "" when
// the system has none. Valid until the next call.
const char* HostErrorText(unsigned long error);

// Opens a file in binary mode ("rb", "wb", "ab", "r+b", "a+b"); the mode is
// always binary whatever is passed. An existing file or folder is found in
// any ASCII case. Returns null on failure.
std::FILE* HostOpen(const char* path, const char* mode);
std::FILE* HostOpenW(const char16_t* path, const char* mode);

// Cuts an open file back to its first size bytes (a log line taken back)
// and sets its position there. False when the system refuses.
bool HostCutFile(std::FILE* file, long size);

// Reads the first bytes of the file at path (at most size) into buf, the
// file found as HostOpen finds it. Returns how many it read (fewer for a
// shorter file), or -1 when the file cannot be opened.
int HostReadFileHead(const char* path, void* buf, int size);

// A file open for reading at offsets (the tag reader's), owned by the
// caller: only what is asked for is read, and nothing else is kept.
struct HostReader {
  intptr_t handle;  // the system's handle or descriptor; -1 when closed
};

// Opens the file at path for reading, found as HostOpen finds it; it never
// waits (a pipe in a file's place opens, but reading it fails, as reading a
// folder does). False when it cannot be opened.
bool HostOpenReader(HostReader& reader, const char* path);

// Reads at most size bytes from offset into buf. Returns how many it read
// (fewer at the end of the file, 0 past it), or -1 when reading fails.
int HostReadAt(HostReader& reader, int64_t offset, void* buf, int size);

// The size of the open file in bytes, or -1 when the system cannot tell.
int64_t HostReaderSize(HostReader& reader);

// Closes the file (nothing when it is closed already).
void HostCloseReader(HostReader& reader);

// Copies a file of at most kHostCopyBytes byte for byte, replacing the
// target as HostWriteFile does. False on failure.
constexpr int kHostCopyBytes = 65536;
bool HostCopyFile(const char* from, const char* to);

// Writes bytes as the whole content of the card file at path, found or
// made as HostOpen(path, "wb") finds or makes it. On POSIX an existing file
// is written over in place and then cut to size, never emptied first:
// emptying a file makes some filesystems (ext4) write it out on closing, a
// wait for the disk on every file a run writes anew. Returns 0 when written
// whole, 1 when the file could not be opened or made, 2 when writing failed.
int HostWriteFile(const char* path, const void* bytes, int size);

// --- Text -------------------------------------------------------------------

// Code page 932 to UTF-16, at most units - 1 units and a terminator;
// a byte sequence that is not code page 932 becomes '?'.
// Returns the units written, without the terminator.
int HostCp932ToWide(const char* text, char16_t* out, int units);

// UTF-16 to code page 932, at most size - 1 bytes and a terminator, never
// cutting a double-byte character; a character code page 932 lacks
// becomes '?'. Returns the bytes written, without the terminator. This is
// the exact conversion for names the program uses as paths or shows as
// such; titles are display text (DisplayTextFromWide: composed, best fit).
int HostWideToCp932(const char16_t* text, char* out, int size);

// --- Console ----------------------------------------------------------------

// Prints code page 932 text to standard output (as UTF-8 on POSIX, through
// the console's wide interface on a Windows console, raw bytes when
// redirected). The text is printed as it stands, never used as a format.
void HostPrint(const char* text);

// True when HostPrint writes UTF-8 to a redirected standard output (POSIX);
// false when it writes the code page 932 bytes themselves (Windows). For
// tests that read the output back.
bool HostPrintsUtf8();

// True when the console was made for this process alone (no other process
// is attached to it, as when the program was started by a double-click, so
// its window closes when the process ends) and both standard input and
// output are that console. Never on POSIX. For tests, the environment
// variable CARDPREP_CONSOLE_PROCESSES, when set, stands for the number of
// processes attached to the console; input and output are still checked.
bool HostConsoleIsOwn();

// Reads one line of standard input as bytes into buf (at most size - 1
// bytes, the newline kept when it fits). False at end of input.
bool HostReadLine(char* buf, int size);

// --- Interrupts -------------------------------------------------------------

// While deferred, an interrupt (Ctrl-C, Ctrl-Break, the console or terminal
// closed, a request to end the process) waits, so that the step at hand
// (a move and its log line) is finished first; otherwise it ends the process
// at once, as it always does. Ending deferral delivers one that came.
void HostDeferInterrupts(bool defer);

// True when an interrupt came while deferred.
bool HostInterruptPending();

// Ends the process as the interrupt that came would have; returns when none
// came.
void HostDeliverInterrupt();

// --- Test seam ----------------------------------------------------------------

// Marks a point right after a change to the card (a move, a write, a cut or
// a removal). When the environment variable CARDPREP_TEST_STOP_AT holds N,
// the N-th such point ends the process at once, as a kill would (SIGKILL on
// POSIX, TerminateProcess with status 137 on Windows); or, when
// CARDPREP_TEST_STOP_BY is "interrupt", interrupts it as Ctrl-C does (the
// interrupt then takes its usual way). Tests stop a run at every point this
// way. Without them, nothing happens.
void HostStepPoint();
