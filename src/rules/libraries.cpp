// STAND-IN, replaced by the real library table.
#include "rules/libraries.h"
const BuiltinLibrary* builtinLibraries() { return nullptr; }
const BuiltinLibrary* findLibraryByTag(std::string_view) { return nullptr; }
