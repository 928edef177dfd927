// The few file operations that differ between Windows and POSIX systems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kit {

// Positions a stream at offset bytes from its start (offsets past 2 GiB included).
bool seekFile(std::FILE* file, uint64_t offset);

// Size of an open stream's file, leaving its position at the end.
bool fileSize(std::FILE* file, uint64_t& bytes);

// Creates path for reading and writing in binary mode; fails if it already exists.
std::FILE* createNewFile(const std::string& path);

// Moves from over to, replacing an existing file to; on failure says why in error.
bool replaceFile(const std::string& from, const std::string& to, std::string& error);

// Switches standard input or output to binary mode (no line-end translation).
void setBinaryMode(std::FILE* file);

unsigned long currentProcessId();

// True when both paths name one existing file (by its identity: device and
// inode, on Windows volume and file index), whatever the names.
bool isSameFile(const std::string& first, const std::string& second);

// Async-signal-safe: removes a file; writes to standard error unbuffered.
bool removeFileNow(const char* path);
void writeStandardError(const char* text, std::size_t length);

}  // namespace kit
