// Files for plug-in tests: fresh paths in the temporary directory, whole-file
// reads and writes, existence checks.
#pragma once

#include <string>
#include <vector>

// A path in the system temporary directory that no file has yet, ending in
// pszSuffix and unique within the run.
std::string FreshTempPath(const char* pszSuffix);
// Writes strBytes as the whole file; FALSE on failure.
bool WriteWholeFile(const std::string& strPath, const std::string& strBytes);
// The whole file, or "(unreadable)".
std::string ReadWholeFile(const std::string& strPath);
// The whole file as bytes; empty when it cannot be read.
std::vector<unsigned char> ReadFileBytes(const std::string& strPath);
bool FileExists(const std::string& strPath);
// Number of files in the system temporary directory matching the pattern (e.g. "ZEV*").
int CountTempFiles(const char* pszPattern);
