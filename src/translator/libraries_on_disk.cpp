// STAND-IN, replaced by the real passes.
#include "translator/libraries_on_disk.h"
std::vector<std::string> includedFiles;
void collectLibraryDirectives(CodeText&, const std::string&, std::vector<std::string>&, std::vector<std::uint32_t>&, WarningList&) {}
bool includeLibrary(const std::string&, int, const std::vector<std::string>&, CodeText&, WarningList&, std::uint32_t) { return true; }
