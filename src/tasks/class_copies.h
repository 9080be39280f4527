// Possible copies among the solutions of one task: each program is brought to a form that
// forgets names, spacing, comments and the order of independent lines, and the solutions with
// the same form are grouped. Tests: tests/tasks/class_copies_test.cpp.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"

namespace tasks {

// Programs shorter than this (in tokens) are too small to tell a copy from the one way to write
// them, and are never grouped.
constexpr std::size_t copyFormMinimumTokens = 16;

// The copy form of a source: comments and spacing dropped; every word that is not one of the
// language's `keywords` (given in small letters) and does not follow "." renamed by its first
// appearance; runs of assignment lines ("name = …", after any keywords) put in one order
// wherever neither line names what the other assigns. `tokens` gets the count of tokens.
std::string copyForm(const base::CodePoints& source, const std::set<std::string>& keywords, std::size_t& tokens);

// The language's words as copyForm compares them: small letters.
std::set<std::string> keywordSet(const std::vector<std::string>& words);

// Groups (two or more, in order of their first member) of the indices whose forms are equal;
// forms of fewer than copyFormMinimumTokens tokens (given per form) are left out.
std::vector<std::vector<std::size_t>> copyGroups(const std::vector<std::string>& forms, const std::vector<std::size_t>& tokens);

}  // namespace tasks
