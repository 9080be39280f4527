// SHA-256, for the digests that stand in a task page instead of a hidden test's expected output.
// Tests: tests/base/sha256_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace base {

// The SHA-256 digest of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

}  // namespace base
