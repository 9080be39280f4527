// Whole-file reading and crash-safe whole-file writing.
// Tests: tests/platform/files_test.cpp.
#pragma once

#include <string>

namespace platform {

// Appends the file's bytes, read in binary mode; false, with nothing appended, when the file
// cannot be opened. A read error part-way counts as the end of the file.
bool readWholeFile(const std::string& path, std::string& bytes);

// Writes a temporary file beside the target and renames it over the target, so a failed or
// interrupted write leaves the previous file as it was. The temporary has a name nobody can
// guess ("<target>.lum-<process id>-<16 random hex digits>.tmp") and is created new, never
// through a link; a failed write removes it.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

// Removes the temporaries that writeFileAtomically left in `folder` for the output named
// `outputName` (for every output when it is empty) in processes that no longer run: a process
// killed mid-write leaves one. It lists the folder, so a run calls it once, not per compile.
void removeStaleTemporaries(const std::string& folder, const std::string& outputName);

// Whether `name` is such a temporary: the output's name and the writer's process id.
bool parseTemporaryName(const std::string& name, std::string& outputName, int& processId);

}  // namespace platform
