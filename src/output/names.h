// The names a learner's program defines, read off its source with the words of the loaded rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output/source_regions.h"
#include "rules/text.h"
#include "rules/vocabulary.h"

// The names the program defines: the name after a declaring word of the rules («пусть»,
// «функция», «для каждого»…) or of JavaScript (let, const, var, function, class), the names in
// the brackets that follow a function word (parameters, also of "catch") or a declaring word
// ("пусть [а, б] = …"), the parameters of arrow functions, assigned names ("x = …", not "a.x = …")
// and object keys ("{ключ: 1}"). UTF-8, each once, in order of first definition; literals,
// comments and template text are skipped. Linear in the text.
std::vector<std::string> definedNames(const CodePoints& source, const Vocabulary& vocabulary);

// The same over a text whose regions are already known, as code-point strings.
std::vector<std::u32string> definedNameList(const std::uint32_t* chars, std::size_t n,
                                            const std::vector<Region>& regions, const Vocabulary& vocabulary);
