// Headless Chromium runs and a small reader of the DOM it prints, for the browser tests.
#include "support/browser.h"

#include <unistd.h>

#include <cstdlib>

#include "support/process.h"
#include "support/temp_folder.h"

bool chromiumAvailable() { return ::access(chromiumPath, X_OK) == 0; }

bool runningUnderCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

namespace {

// file:// URL of a local path: relative paths are made absolute, bytes outside the unreserved
// set are percent-encoded (Cyrillic names included).
std::string fileUrl(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char buffer[4096];
        if (::getcwd(buffer, sizeof buffer)) absolute = std::string(buffer) + "/" + path;
    }
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : absolute) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url.push_back(static_cast<char>(c));
        } else {
            url.push_back('%');
            url.push_back(hex[c >> 4]);
            url.push_back(hex[c & 15]);
        }
    }
    return url;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string trim(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\n");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\n") - first + 1);
}

std::string decodeEntities(const std::string& s) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", "\xC2\xA0"}, {"&amp;", "&"}};
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        bool replaced = false;
        if (s[i] == '&') {
            for (const auto& [entity, text] : entities) {
                const std::string e = entity;
                if (s.compare(i, e.size(), e) == 0) {
                    out += text;
                    i += e.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out.push_back(s[i++]);
    }
    return out;
}

}  // namespace

std::string dumpDom(const std::string& htmlPath, int virtualTimeMs,
                    const std::vector<std::string>& extraFlags) {
    TempFolder profile;
    std::vector<std::string> argv = {
        chromiumPath, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
        "--disable-component-update", "--disable-sync", "--no-first-run",
        "--user-data-dir=" + profile.path(), "--virtual-time-budget=" + std::to_string(virtualTimeMs),
        "--dump-dom", fileUrl(htmlPath)};
    argv.insert(argv.end() - 2, extraFlags.begin(), extraFlags.end());
    ProcessOptions options;
    options.timeoutSeconds = 90;
    const ProcessResult result = runProcess(argv, options);
    if (result.exitCode != 0 || result.out.find("<html") == std::string::npos) {
        ADD_FAILURE() << "chromium failed on " << htmlPath << " (exit " << result.exitCode
                      << (result.timedOut ? ", timed out" : "") << "):\n" << result.err;
        return "";
    }
    return result.out;
}

std::optional<DomElement> findElementById(const std::string& dom, const std::string& id) {
    // Chromium writes every attribute value in double quotes.
    const std::string needle = " id=\"" + id + "\"";
    const std::size_t at = dom.find(needle);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t open = dom.rfind('<', at);
    const std::size_t openEnd = dom.find('>', at);
    if (open == std::string::npos || openEnd == std::string::npos) return std::nullopt;
    DomElement element;
    std::size_t nameEnd = open + 1;
    while (nameEnd < dom.size() && dom[nameEnd] != ' ' && dom[nameEnd] != '>') ++nameEnd;
    element.tag = lower(dom.substr(open + 1, nameEnd - open - 1));
    element.attributes = dom.substr(nameEnd, openEnd - nameEnd);

    // The matching closing tag, counting nested elements of the same name.
    const std::string openTag = "<" + element.tag, closeTag = "</" + element.tag + ">";
    int depth = 1;
    std::size_t pos = openEnd + 1;
    while (depth > 0) {
        const std::size_t nextClose = dom.find(closeTag, pos);
        if (nextClose == std::string::npos) return std::nullopt;
        std::size_t nextOpen = dom.find(openTag, pos);
        while (nextOpen != std::string::npos && nextOpen < nextClose) {
            const char after = dom[nextOpen + openTag.size()];
            if (after == ' ' || after == '>') break;
            nextOpen = dom.find(openTag, nextOpen + 1);
        }
        if (nextOpen != std::string::npos && nextOpen < nextClose) {
            ++depth;
            pos = nextOpen + openTag.size();
        } else {
            if (--depth == 0) element.innerHtml = dom.substr(openEnd + 1, nextClose - openEnd - 1);
            pos = nextClose + closeTag.size();
        }
    }
    return element;
}

std::string elementText(const std::string& dom, const std::string& id) {
    const auto element = findElementById(dom, id);
    if (!element) return "";
    std::string text;
    bool inTag = false;
    for (const char c : element->innerHtml) {
        if (c == '<') inTag = true;
        else if (c == '>' && inTag) inTag = false;
        else if (!inTag) text.push_back(c);
    }
    return decodeEntities(text);
}

std::string elementStyle(const std::string& dom, const std::string& id) {
    const auto element = findElementById(dom, id);
    if (!element) return "";
    const std::size_t at = element->attributes.find(" style=\"");
    if (at == std::string::npos) return "";
    const std::size_t from = at + 8;
    const std::size_t to = element->attributes.find('"', from);
    return decodeEntities(element->attributes.substr(from, to == std::string::npos ? std::string::npos : to - from));
}

std::string styleProperty(const std::string& style, const std::string& property) {
    std::size_t pos = 0;
    while (pos < style.size()) {
        std::size_t end = style.find(';', pos);
        if (end == std::string::npos) end = style.size();
        const std::string declaration = style.substr(pos, end - pos);
        const std::size_t colon = declaration.find(':');
        if (colon != std::string::npos && lower(trim(declaration.substr(0, colon))) == lower(property))
            return trim(declaration.substr(colon + 1));
        pos = end + 1;
    }
    return "";
}

std::string compileWithLum(const std::string& sourcePath, const std::vector<std::string>& flags) {
    std::vector<std::string> args = flags;
    args.push_back(sourcePath);
    const ProcessResult result = runLum(args);
    bool js = false;
    for (const std::string& flag : flags) js = js || flag == "-js" || flag == "--js";
    const std::size_t slash = sourcePath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : sourcePath.substr(0, slash);
    std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    for (const std::string extension : {".лумс", ".лум"}) {
        if (name.size() > extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
            name.resize(name.size() - extension.size());
            break;
        }
    }
    const std::string output = folder + "/" + name + (js ? ".js" : ".html");
    if (result.exitCode != 0 || !fileExists(output)) {
        ADD_FAILURE() << "lum failed on " << sourcePath << " (exit " << result.exitCode << "):\n"
                      << result.out << result.err;
        return "";
    }
    return output;
}
