// Whole-file reading and crash-safe whole-file writing.
// Tests: tests/platform/files_test.cpp.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Appends the file's bytes, read in binary mode; false, with nothing appended, when the file
// cannot be opened. A read error part-way counts as the end of the file.
bool readWholeFile(const std::string& path, std::string& bytes);

// Writes a temporary file beside the target and renames it over the target, so a failed or
// interrupted write leaves the previous file as it was. The temporary has a name nobody can
// guess ("<target>.lum-<process id>-<16 random hex digits>.tmp") and is created new, never
// through a link; a failed write removes it. A target protected from writing (writeProtected)
// is left as it is, and the write fails.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

// Removes the temporaries that writeFileAtomically left in `folder` for the outputs named in
// `outputNames` in processes that no longer run: a process killed mid-write leaves one. Nothing
// else is touched: no other output's temporary, no name of another form. It lists the folder
// once, so a run calls it once per folder, not per file.
void removeStaleTemporaries(const std::string& folder, const std::vector<std::string>& outputNames);

// Whether `name` is such a temporary, in exactly the form writeFileAtomically gives it: the
// output's name and the writer's process id.
bool parseTemporaryName(const std::string& name, std::string& outputName, int& processId);

}  // namespace platform
