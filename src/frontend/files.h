// Whole-file reading and crash-safe whole-file writing.
#pragma once

#include <string>

// Appends the file's bytes, read in binary mode; false, with nothing appended, when the file
// cannot be opened. A read error part-way counts as the end of the file.
bool readWholeFile(const std::string& path, std::string& bytes);

// Writes a temporary file beside the target and renames it over the target, so a failed or
// interrupted write leaves the previous file as it was and no temporary behind.
bool writeFileAtomically(const std::string& path, const std::string& bytes);
