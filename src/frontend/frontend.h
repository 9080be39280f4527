// The front end: entry, home folder and rules-file search, folder mode and watch mode.
#pragma once

#include <string>
#include <vector>

#include "output/compile.h"

// Loads the rules file into ruleTable and prints what start-up prints: its warnings and the
// banner, or the error when it yields no rule (the previous table then stays).
bool loadRulesAtStartUp(const std::string& rulesPath);

// --playground: the installed playground.html, carrying the rules at rulesPath as its default
// rules, written into `folder`; returns the exit code.
int writePlayground(const std::string& folder, const std::string& rulesPath);

// The first of six candidates that exists and is not a folder, as built; "" when none.
std::string locateRulesFile();

// One line of standard input, at most 1023 bytes, line-end characters removed; "" at end.
std::string readConsoleLine();

int runFolderMode(const std::string& folder, const CompileOptions& options);
void listFolder(const std::string& folder, const std::string& mask, std::vector<std::string>& list);

int runWatchMode(const std::string& source, const CompileOptions& options);
