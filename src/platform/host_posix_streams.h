// Streams over descriptors on a POSIX disk: files read, and files written
// anew over what they held (host_posix.cpp only).
#pragma once

#include <cstdio>

// Opens the file at path (a host path) in binary mode as std::fopen does;
// one opened only to be read ("rb") leaves its access time alone where the
// files' owner allows it, and with refuseFolder is not a folder (EISDIR).
// One opened to be written anew ("wb") is written over in place when it is
// there (PosixOpenToRewrite), else made (PosixCreateFile).
std::FILE* PosixOpenFile(const char* path, const char* binary, bool refuseFolder);

// Opens the file at path (a host path) to be read, as PosixOpenFile does
// with "rb", as a bare descriptor; -1 (errno set) when it cannot.
int PosixOpenToRead(const char* path, bool refuseFolder);

// Reads from fd until size bytes are in buf or the file ends (or an error
// stops it). Returns how many it read.
int PosixReadAll(int fd, void* buf, int size);

// Opens the regular file at path to be written anew ("wb"): written over in
// place and cut to its new length when closed.
std::FILE* PosixOpenToRewrite(const char* path);

// Makes the file at path, which must not be there yet (EEXIST), and opens it
// in binary mode (binary without the "x"). A file written ("wb") is written
// through its descriptor, without the status query stdio makes to size a
// buffer.
std::FILE* PosixCreateFile(const char* path, const char* binary);
