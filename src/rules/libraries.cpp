// The table of the four built-in script libraries, their texts embedded from libraries/*.js.
// Tests: tests/rules/libraries_test.cpp.
#include "rules/libraries.h"

#include "embedded/libraryCanvas.h"
#include "embedded/libraryMath.h"
#include "embedded/libraryOneLine.h"
#include "embedded/libraryText.h"

namespace rules {

namespace {

// The texts are inserted whole wherever their rule matches, possibly more than once, so they
// declare only what may be declared twice: functions and var globals (the class ЛУМС is a
// class expression held in a var).
constexpr BuiltinLibrary libraries[builtinLibraryCount] = {
    {"{LIB_CANVAS}", "расширенной работы с холстом", libraryCanvas},
    {"{LIB_MATH}", "расширенной математики", libraryMath},
    {"{LIB_TEXT}", "расширенной работы с текстом", libraryText},
    {"{LIB_ONELINE}", "кода в одну строку", libraryOneLine},
};

}  // namespace

const BuiltinLibrary* builtinLibraries() { return libraries; }

const BuiltinLibrary* findLibraryByTag(std::string_view field) {
    for (const BuiltinLibrary& library : libraries)
        if (library.tag == field) return &library;
    return nullptr;
}

}  // namespace rules
