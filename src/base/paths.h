// Taking a path apart the way lum does everywhere: its last "\" or "/" separates folder and name.
// Tests: tests/output/compile_test.cpp.
#pragma once

#include <string>

namespace base {

// The folder of a path; "." for a path with no separator.
std::string folderOf(const std::string& path);
// The last component of a path (the whole path when it has no separator).
std::string fileNameOf(const std::string& path);

}  // namespace base
