// STAND-IN, replaced by the real output formats.
#include "output/page.h"
std::string escapeHtml(const std::string& s) { return s; }
std::string buildPage(const std::string& body, const std::string&, const std::string&, const std::string&, bool) { return body; }
std::string buildScriptFile(const std::string&, const std::string&, const std::string& body) { return body; }
