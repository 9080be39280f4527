# Turns one text file into a C++ header holding its bytes as a std::string_view constant.
# Inputs: IN (file), OUT (header), NAME (constant), STRIP (ON: drop one final line feed).
file(READ "${IN}" content HEX)
if(STRIP)
  string(REGEX REPLACE "0a$" "" content "${content}")
endif()
string(LENGTH "${content}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${content}")
# Break the literal every 32 bytes (128 characters of escapes) to keep lines short.
string(REGEX REPLACE "((\\\\x[0-9a-f][0-9a-f]){32})" "\\1\"\n    \"" escaped "${escaped}")
file(RELATIVE_PATH relative "${SOURCE_ROOT}" "${IN}")
file(WRITE "${OUT}.tmp"
"// Generated from ${relative} by cmake/embed.cmake at build time: do not edit.\n"
"#pragma once\n"
"#include <string_view>\n"
"inline constexpr std::string_view ${NAME}{\n    \"${escaped}\", ${size}};\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
