// Private to fileio/: the steps of reading and replacing a file that differ
// between platforms. safe_file.cpp holds what every platform shares and calls
// these; safe_file_posix.cpp and safe_file_win.cpp each define them once.
#pragma once

#include "fileio/safe_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace safefile {

// An open file: a descriptor, on Windows a HANDLE.
#ifdef _WIN32
using Native = void*;
#else
using Native = int;
#endif

// Shared by both platforms (safe_file.cpp).

// Calls the test hook; false when the hook makes the step fail.
bool Step(WriteStep step);
// The piece of the temporary name that differs between two writes of one process.
std::string UniquePart();

enum class Leftover { No, Old, OfProcess };
// What follows "NAME." in a folder entry: "fbtmp" of the old writer, or
// "<pid>.tmp" / "<pid>.<unique>.tmp" of a process that may still run.
Leftover LeftoverKind(const std::string& rest, unsigned long long& pid);

// The start of the temporary names beside a target whose name leaves no
// room for "NAME.<pid>.<unique>.tmp" within a name's 255 bytes:
// ".vrx-<hash of NAME>.", followed by "<pid>.<unique>.tmp".
std::string ShortTempPrefix(const std::string& name);

// One platform's steps (safe_file_posix.cpp, safe_file_win.cpp).

// Opens for reading and checks type and size on the open file; `file` is
// open only when Ok.
ReadStatus OpenChecked(const std::string& path, std::uint64_t maxBytes, Native& file,
                       std::uint64_t& size);
// One read or write call; -1 with errno set on failure.
long long ReadOnce(Native file, char* data, std::size_t size);
long long WriteOnce(Native file, const char* data, std::size_t size);
// 0 or the errno of the call, for the replacer's steps.
int CloseNative(Native file);
int SyncNative(Native file);
Native AsNative(std::intptr_t file);
long ProcessId();
// Before a replacement: `resolved` gets the file the target stands for,
// `keep` and `mode` what the new file takes over from the old one, and
// leftovers of dead processes beside it go. 0, or the errno refusing it.
int PrepareTarget(const std::string& target, std::string& resolved, bool& keep, unsigned& mode);
// Creates the temporary file for writing, never over an existing one; 0,
// EEXIST when the name is taken, or the errno of the failure.
int CreateTemp(const std::string& temp, bool keep, unsigned mode, std::intptr_t& file);
// Puts the finished temporary file in the target's place; 0 or the errno.
int PutInPlace(const std::string& temp, const std::string& target);
void RemoveTemp(const std::string& temp);

} // namespace safefile
