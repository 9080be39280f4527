// Library directives: found outside string literals, looked up through the library reader, removed from the text.
// Tests: tests/translator/directives_test.cpp.
#include <string>

#include "platform/platform.h"
#include "translator/libraries_on_disk.h"
#include "translator/quotes.h"

namespace translator {

namespace {

struct DirectiveWords {
    base::CodePoints longPrefix;   // "подключить библиотеку ", any case
    base::CodePoints shortPrefix;  // "ПБ ", exactly
    base::CodePoints builtinLibraryNames[5];
};

const DirectiveWords& directiveWords() {
    // A directive naming one of these stays in the text for the rules to rewrite.
    static const DirectiveWords fixed{
        base::decodeBytes("подключить библиотеку "),
        base::decodeBytes("ПБ "),
        {base::decodeBytes("расширенной работы с холстом"), base::decodeBytes("расширенной математики"),
         base::decodeBytes("расширенной работы с текстом"), base::decodeBytes("кода в одну строку"), base::decodeBytes("привет")},
    };
    return fixed;
}

const char* const libraryFolderName = "библиотеки";
const char* const candidateExtensions[] = {".лумс", ".лум", ".js"};

bool sameLetters(const std::uint32_t* a, const base::CodePoints& b) {
    for (std::size_t i = 0; i < b.size(); ++i)
        if (!base::sameLetter(a[i], b[i])) return false;
    return true;
}

// Position just after the prefix of a directive starting at L, or 0 when none starts there.
std::size_t afterPrefix(const std::uint32_t* chars, std::size_t n, std::size_t L) {
    const DirectiveWords& fixed = directiveWords();
    const base::CodePoints& s = fixed.shortPrefix;
    if (L + s.size() <= n && chars[L] == s[0] && chars[L + 1] == s[1] && chars[L + 2] == s[2]) return L + s.size();
    const base::CodePoints& l = fixed.longPrefix;
    if (L + l.size() <= n && sameLetters(chars + L, l)) return L + l.size();
    return 0;
}

bool isBuiltinName(const std::uint32_t* name, std::size_t length) {
    for (const base::CodePoints& builtin : directiveWords().builtinLibraryNames)
        if (builtin.size() == length && sameLetters(name, builtin)) return true;
    return false;
}

// The first candidate that is a file: folders in search order, extensions within each.
std::string findLibrary(const std::string& folder, const std::string& name, const LibraryReader& reader) {
    // The system would read a path only up to a NUL, so such a name could reach some other file.
    if (name.find('\0') != std::string::npos) return {};
    const std::string sep(1, platform::separator());
    const std::string& home = reader.home;
    const std::string folders[] = {folder + sep + libraryFolderName, folder, home + sep + libraryFolderName, home};
    for (const std::string& place : folders) {
        for (const char* extension : candidateExtensions) {
            const std::string candidate = place + sep + name + extension;
            if (reader.isFile(candidate)) return candidate;
        }
    }
    return {};
}

base::Finding notFoundWarning(std::uint32_t line, const std::string& name) {
    base::Finding f{line, base::onLine(line, "библиотека «" + name + "» не найдена (искал библиотеки\\" + name +
                                                 ".лумс|.лум|.js рядом с программой и в ЛУМ2.7) — строка удалена")};
    f.named = {name};
    return f;
}

}  // namespace

void collectLibraryDirectives(base::CodeText& text, const std::string& folder, const LibraryReader& reader,
                              std::vector<std::string>& paths,
                              std::vector<std::uint32_t>& lines, base::WarningList& warnings) {
    const std::uint32_t* chars = text.chars.data();
    const std::size_t n = text.chars.size();
    translator::QuoteCloser closer(chars, n);

    base::CodeText out;
    bool rebuilt = false;
    std::size_t copiedUpTo = 0;
    std::size_t L = 0;
    while (L < n) {
        if (translator::isQuote(chars[L])) {
            const std::size_t q = closer.closing(L);
            if (q < n) {
                L = q + 1;
                continue;
            }
        }
        std::size_t R = afterPrefix(chars, n, L);
        if (R == 0 || R >= n) {
            ++L;
            continue;
        }
        std::size_t Q = R;
        while (Q < n && chars[Q] != 0x0A && chars[Q] != 0x0D) ++Q;
        while (Q > R && (chars[Q - 1] == '\t' || chars[Q - 1] == ' ' || chars[Q - 1] == ';')) --Q;
        while (R < Q && (chars[R] == ' ' || chars[R] == '\t')) ++R;
        if (R == Q || isBuiltinName(chars + R, Q - R)) {  // not a directive, or one for the rules
            ++L;
            continue;
        }

        const std::string name = base::encodeUtf8(chars + R, Q - R);
        const std::string found = findLibrary(folder, name, reader);
        if (found.empty()) {
            warnings.push_back(notFoundWarning(text.lines[L], name));
        } else {
            paths.push_back(found);
            lines.push_back(text.lines[L]);
        }
        // The directive goes; what trimming left behind it, and the line break, stay.
        if (!rebuilt) {
            rebuilt = true;
            out.chars.reserve(n);
            out.lines.reserve(n);
        }
        out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + L);
        out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.begin() + L);
        L = Q;
        copiedUpTo = Q;
    }
    if (!rebuilt) return;
    out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + n);
    out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.end());
    text = std::move(out);
}

}  // namespace translator
