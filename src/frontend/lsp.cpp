// The language server's protocol core: frames, JSON-RPC and the answers, from bytes to bytes.
// Tests: tests/frontend/lsp_test.cpp, tests/frontend/lsp_test.cpp.
#include "frontend/lsp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "base/paths.h"
#include "base/text.h"
#include "frontend/frontend.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "services/answers.h"

namespace frontend {

using Json = nlohmann::json;

namespace {

// JSON-RPC and LSP error codes.
constexpr int parseError = -32700, invalidRequest = -32600, methodNotFound = -32601, invalidParams = -32602,
              serverNotInitialized = -32002, requestFailed = -32803;

// How deep a message's arrays and objects may nest; a deeper message is refused whole.
constexpr int maxNesting = 128;
std::string nestingText() { return "сообщение вложено глубже " + std::to_string(maxNesting) + " уровней: не принято"; }

// A request that cannot be answered: bad parameters, or (code requestFailed) a document too large
// to read for answers; caught where the request is handled.
struct BadParams {
    std::string what;
    int code = invalidParams;
};

std::string response(const Json& id, Json result) {
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}}.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string errorResponse(const Json& id, int code, const std::string& message) {
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}}.dump(
        -1, ' ', false, Json::error_handler_t::replace);
}

std::string notification(const std::string& method, Json params) {
    return Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}.dump(-1, ' ', false,
                                                                                           Json::error_handler_t::replace);
}

std::string showMessage(int type, const std::string& text) { return notification("window/showMessage", {{"type", type}, {"message", text}}); }

services::Place placeOf(const services::Text& text, const Json& position) {
    const long long line = position.at("line").get<long long>(), character = position.at("character").get<long long>();
    if (line < 0 || character < 0) throw BadParams{"отрицательная позиция"};
    return services::placeOfUtf16(text, static_cast<std::uint32_t>(std::min<long long>(line, 0xFFFFFFFF)),
                                  static_cast<std::uint64_t>(character));
}

Json position(const services::Text& text, services::Place p) {
    return {{"line", p.line}, {"character", services::utf16Column(text, p)}};
}

Json range(const services::Text& text, const services::Range& r) {
    return {{"start", position(text, r.from)}, {"end", position(text, r.to)}};
}

std::string folderOfPath(const std::string& path) { return path.empty() ? std::string(".") : base::folderOf(path); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void analyse(const LspState& state, Document& d) {
    d.analysis = services::analyse(d.text, d.folder, *state.language);
    d.names = services::programNames(d.text, *state.language);
    d.libraryTimes.clear();
    for (const std::string& f : d.analysis.includedFiles) d.libraryTimes[f] = platform::fileTime(f);
    d.analysed = true;
}

Json diagnosticsOf(const Document& d) {
    Json list = Json::array();
    for (const services::Problem& p : d.analysis.problems) {
        Json item{{"range", range(d.text, p.range)}, {"severity", static_cast<int>(p.severity)}, {"code", p.code},
                  {"source", "lum"}, {"message", p.message}};
        list.push_back(std::move(item));
    }
    return list;
}

Json completionItem(const services::Completion& c, std::size_t index) {
    // LSP's CompletionItemKind numbers.
    int kind = 14;
    switch (c.kind) {
    case services::CompletionKind::Keyword: kind = 14; break;
    case services::CompletionKind::Function: kind = 3; break;
    case services::CompletionKind::Method: kind = 2; break;
    case services::CompletionKind::Value: kind = 21; break;
    case services::CompletionKind::Snippet: kind = 15; break;
    case services::CompletionKind::Variable: kind = 6; break;
    case services::CompletionKind::Constant: kind = 21; break;
    case services::CompletionKind::Parameter: kind = 6; break;
    case services::CompletionKind::Class: kind = 7; break;
    }
    Json item{{"label", c.label}, {"kind", kind}, {"detail", c.detail}, {"insertText", c.insertText},
              {"insertTextFormat", c.snippet ? 2 : 1}};
    if (c.kind == services::CompletionKind::Snippet) item["filterText"] = c.insertText.substr(0, c.insertText.find(' '));
    if (!c.documentation.empty()) item["data"] = index;
    return item;
}

int symbolKind(services::NameKind kind) {
    switch (kind) {
    case services::NameKind::Function: return 12;
    case services::NameKind::Constant: return 14;
    case services::NameKind::Class: return 5;
    case services::NameKind::Key: return 20;
    default: return 13;
    }
}

Document& documentOf(LspState& state, const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto found = state.documents.find(uri);
    if (found == state.documents.end()) throw BadParams{"документ не открыт: " + uri};
    return found->second;
}

// The document of a request, analysed; one too large to read for answers fails the request.
Document* readyDocument(LspState& state, const Json& params) {
    Document& d = documentOf(state, params);
    if (d.bytes.size() > maxDocumentBytes) throw BadParams{"документ слишком большой для подсказок", requestFailed};
    if (!d.analysed) analyse(state, d);
    return &d;
}

void openOrChange(LspState& state, const std::string& uri, std::string bytes, long long version, std::int64_t dueAt) {
    Document& d = state.documents[uri];
    d.uri = uri;
    d.path = pathOfUri(uri);
    d.folder = folderOfPath(d.path);
    d.version = version;
    d.bytes = std::move(bytes);
    d.text = d.bytes.size() > maxDocumentBytes ? services::makeText("") : services::makeText(d.bytes);
    d.analysed = false;
    state.due[uri] = dueAt;
}

Json initializeResult() {
    return {{"capabilities",
             {{"positionEncoding", "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
              {"hoverProvider", true},
              {"completionProvider", {{"triggerCharacters", {"."}}, {"resolveProvider", true}}},
              {"signatureHelpProvider", {{"triggerCharacters", {"(", ","}}}},
              {"definitionProvider", true},
              {"documentSymbolProvider", true},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}}},
            {"serverInfo", {{"name", "lum"}, {"version", "2.7"}}}};
}

Json didOpen(LspState& state, const Json& params, std::int64_t now, std::vector<std::string>& out) {
    const Json& doc = params.at("textDocument");
    openOrChange(state, doc.at("uri").get<std::string>(), doc.at("text").get<std::string>(), doc.value("version", 0LL), now);
    if (state.documents[doc.at("uri").get<std::string>()].bytes.size() > maxDocumentBytes)
        out.push_back(showMessage(2, "Файл больше " + std::to_string(maxDocumentBytes >> 20) +
                                         " МБ: подсказки для него выключены, компилируйте его командой lum."));
    return nullptr;
}

Json didChange(LspState& state, const Json& params, std::int64_t now, std::vector<std::string>&) {
    Document& d = documentOf(state, params);
    const Json& changes = params.at("contentChanges");
    if (!changes.is_array() || changes.empty()) return nullptr;
    // The server asks for whole texts; a client that sends ranges anyway gets them applied in order.
    std::string bytes = d.bytes;
    for (const Json& change : changes) {
        if (!change.contains("range")) {
            bytes = change.at("text").get<std::string>();
            continue;
        }
        const services::Text text = services::makeText(bytes);
        const std::size_t from = text.offset(placeOf(text, change.at("range").at("start")));
        const std::size_t to = std::max(from, text.offset(placeOf(text, change.at("range").at("end"))));
        base::CodePoints chars(text.chars.begin(), text.chars.begin() + static_cast<std::ptrdiff_t>(from));
        const base::CodePoints inserted = base::decodeBytes(change.at("text").get<std::string>());
        chars.insert(chars.end(), inserted.begin(), inserted.end());
        chars.insert(chars.end(), text.chars.begin() + static_cast<std::ptrdiff_t>(to), text.chars.end());
        bytes = base::encodeUtf8(chars);
    }
    openOrChange(state, d.uri, std::move(bytes), params.at("textDocument").value("version", d.version), now + state.debounceMs);
    return nullptr;
}

Json didClose(LspState& state, const Json& params, std::int64_t, std::vector<std::string>& out) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    state.documents.erase(uri);
    state.due.erase(uri);
    out.push_back(notification("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}}));
    return nullptr;
}

Json filesChanged(LspState& state, const Json&, std::int64_t now, std::vector<std::string>& out) {
    refreshFiles(state, now, out);
    return nullptr;
}

Json hover(LspState& state, const Json& params, std::int64_t, std::vector<std::string>&) {
    Document* d = readyDocument(state, params);
    const auto hover = services::hoverAt(d->text, placeOf(d->text, params.at("position")), *state.language, d->names);
    if (!hover) return nullptr;
    return {{"contents", {{"kind", "markdown"}, {"value", hover->markdown}}}, {"range", range(d->text, hover->range)}};
}

Json completion(LspState& state, const Json& params, std::int64_t, std::vector<std::string>&) {
    Document* d = readyDocument(state, params);
    Json items = Json::array();
    state.completionDocs.clear();
    const services::Place at = placeOf(d->text, params.at("position"));
    // Only the items that start with the word's first letter: the list is asked for again
    // when another first letter is typed (isIncomplete), and stays small on the wire.
    const std::size_t wordFrom = d->text.offset(services::wordAt(d->text, at).from), atOffset = d->text.offset(at);
    const bool typed = wordFrom < atOffset;
    const std::uint32_t first = typed ? base::toUpper(d->text.chars[wordFrom]) : 0;
    for (const services::Completion& c : services::completionsAt(d->text, at, *state.language, d->names)) {
        if (typed) {
            const base::CodePoints label = base::decodeBytes(c.label);
            if (label.empty() || base::toUpper(label[0]) != first) continue;
        }
        items.push_back(completionItem(c, state.completionDocs.size()));
        state.completionDocs.push_back(c.documentation);
    }
    return {{"isIncomplete", typed}, {"items", std::move(items)}};
}

Json resolveCompletion(LspState& state, const Json& params, std::int64_t, std::vector<std::string>&) {
    Json item = params;
    if (params.contains("data") && params["data"].is_number_unsigned() && params["data"].get<std::size_t>() < state.completionDocs.size())
        item["documentation"] = {{"kind", "markdown"}, {"value", state.completionDocs[params["data"].get<std::size_t>()]}};
    return item;
}

Json signatureHelp(LspState& state, const Json& params, std::int64_t, std::vector<std::string>&) {
    Document* d = readyDocument(state, params);
    const auto s = services::signatureAt(d->text, placeOf(d->text, params.at("position")), *state.language, d->names);
    if (!s) return nullptr;
    Json parameters = Json::array();
    for (const std::string& p : s->parameters) parameters.push_back({{"label", p}});
    return {{"signatures", {{{"label", s->label}, {"documentation", s->documentation}, {"parameters", parameters}}}},
            {"activeSignature", 0},
            {"activeParameter", s->active}};
}

Json definition(LspState& state, const Json& params, std::int64_t, std::vector<std::string>&) {
    Document* d = readyDocument(state, params);
    const services::Place at = services::wordAt(d->text, placeOf(d->text, params.at("position"))).from;
    if (const auto r = services::definitionAt(d->text, placeOf(d->text, params.at("position")), d->names))
        return {{"uri", d->uri}, {"range", range(d->text, *r)}};
    // A function of an included library file: where that file defines it.
    const services::Range word = services::wordAt(d->text, at);
    const std::size_t from = d->text.offset(word.from), to = d->text.offset(word.to);
    const std::string name = base::encodeUtf8(d->text.chars.data() + from, to - from);
    for (const auto& [file, time] : d->libraryTimes) {
        std::string bytes;
        if (name.empty() || !platform::readWholeFile(file, bytes)) continue;
        base::dropByteOrderMark(bytes);
        const services::Text library = services::makeText(bytes);
        for (const services::ProgramName& n : services::programNames(library, *state.language))
            if (n.name == name) return {{"uri", uriOfPath(file)}, {"range", range(library, n.at)}};
    }
    return nullptr;
}

Json documentSymbol(LspState& state, const Json& params, std::int64_t, std::vector<std::string>&) {
    Document* d = readyDocument(state, params);
    Json symbols = Json::array();
    for (const services::ProgramName& n : d->names) {
        if (n.kind == services::NameKind::Parameter || n.kind == services::NameKind::Key) continue;
        symbols.push_back({{"name", n.name}, {"detail", services::nameKindTitle(n.kind)}, {"kind", symbolKind(n.kind)},
                           {"range", range(d->text, n.at)}, {"selectionRange", range(d->text, n.at)}});
    }
    return symbols;
}

Json codeAction(LspState& state, const Json& params, std::int64_t, std::vector<std::string>&) {
    Document* d = readyDocument(state, params);
    const services::Place from = placeOf(d->text, params.at("range").at("start")), to = placeOf(d->text, params.at("range").at("end"));
    auto before = [](services::Place a, services::Place b) { return a.line != b.line ? a.line < b.line : a.column < b.column; };
    Json actions = Json::array();
    for (const services::Problem& p : d->analysis.problems) {
        if (!p.hasFix || before(p.range.to, from) || before(to, p.range.from)) continue;
        Json edit{{"range", range(d->text, p.fixRange)}, {"newText", p.fix}};
        actions.push_back({{"title", p.fixTitle},
                           {"kind", "quickfix"},
                           {"isPreferred", true},
                           {"diagnostics", Json::array({{{"range", range(d->text, p.range)}, {"severity", static_cast<int>(p.severity)},
                                                         {"code", p.code}, {"source", "lum"}, {"message", p.message}}})},
                           {"edit", {{"changes", {{d->uri, Json::array({edit})}}}}}});
    }
    return actions;
}

// The methods the server answers, each with its handler: a request's answer, or a notification
// handled (Json of null kind then).
using MethodHandler = Json (*)(LspState& state, const Json& params, std::int64_t now, std::vector<std::string>& out);
struct Method {
    const char* name;
    MethodHandler handle;
};
constexpr Method methods[] = {
    {"textDocument/didOpen", didOpen},
    {"textDocument/didChange", didChange},
    {"textDocument/didClose", didClose},
    {"textDocument/didSave", filesChanged},
    {"workspace/didChangeWatchedFiles", filesChanged},
    {"textDocument/hover", hover},
    {"textDocument/completion", completion},
    {"completionItem/resolve", resolveCompletion},
    {"textDocument/signatureHelp", signatureHelp},
    {"textDocument/definition", definition},
    {"textDocument/documentSymbol", documentSymbol},
    {"textDocument/codeAction", codeAction},
};

// A request's answer, or a notification handled (Json of null kind then).
Json answer(LspState& state, const std::string& method, const Json& params, std::int64_t now, std::vector<std::string>& out,
            int& errorCode, std::string& errorText) {
    for (const Method& m : methods)
        if (method == m.name) return m.handle(state, params, now, out);
    errorCode = methodNotFound;
    errorText = "неизвестный метод: " + method;
    return nullptr;
}

}  // namespace

namespace {

// Where a header "Content-Length:" (any case), spaces, digits and a line end begins in `b` at or
// after `from`, or where the bytes run out before such a header is told from other text (a
// header arriving in pieces); npos when neither. A message body cannot hold one: JSON keeps no
// line end inside a text, and the words outside a text are not JSON.
std::size_t nextHeader(const std::string& b, std::size_t from, bool& decided) {
    static constexpr std::string_view name = "content-length:";
    for (std::size_t at = b.find_first_of("cC", from); at != std::string::npos; at = b.find_first_of("cC", at + 1)) {
        std::size_t i = 0;
        while (i < name.size() && at + i < b.size() && std::tolower(static_cast<unsigned char>(b[at + i])) == name[i]) ++i;
        decided = false;
        if (at + i == b.size()) return at;
        if (i < name.size()) continue;
        std::size_t j = at + i;
        while (j < b.size() && (b[j] == ' ' || b[j] == '\t')) ++j;
        const std::size_t digits = j;
        while (j < b.size() && b[j] >= '0' && b[j] <= '9') ++j;
        if (j == b.size() || (j + 1 == b.size() && b[j] == '\r')) return at;
        decided = true;
        if (j > digits && b[j] == '\r' && b[j + 1] == '\n') return at;
    }
    return std::string::npos;
}

// Drops the bytes before the next header, or before bytes that may still become one, or all of
// them; whether a header was found.
bool dropToHeader(Framing& framing, std::size_t from) {
    bool decided = false;
    const std::size_t at = nextHeader(framing.buffer, from, decided);
    framing.buffer.erase(0, at == std::string::npos ? framing.buffer.size() : at);
    framing.checked = 0;
    return at != std::string::npos && decided;
}

}  // namespace

FrameResult nextFrame(Framing& framing, std::string& body) {
    std::string& b = framing.buffer;
    if (framing.skipping > 0) {
        // A header among the bytes of a message too large to keep: its length was wrong, and
        // the next frame starts there.
        bool decided = false;
        const std::size_t at = nextHeader(b, 0, decided);
        std::size_t dropped = std::min(framing.skipping, b.size());
        if (at < dropped) dropped = at;
        b.erase(0, dropped);
        framing.skipping = at < std::string::npos && decided && dropped == at ? 0 : framing.skipping - dropped;
        if (framing.skipping > 0) return FrameResult::NeedMore;
    }
    if (framing.lost) {
        // Out of step: everything up to the next header is dropped, and told once.
        if (!dropToHeader(framing, 0)) return FrameResult::NeedMore;
        framing.lost = false;
    }
    const std::size_t end = b.find("\r\n\r\n");
    if (end == std::string::npos) {
        if (b.size() > 64 * 1024) {  // no header block is that long
            framing.lost = !dropToHeader(framing, 1);
            return FrameResult::BadHeader;
        }
        return FrameResult::NeedMore;
    }
    long long length = -1;
    bool headersFirst = true;  // the block opens with a header line, not with the rest of a message
    for (std::size_t at = 0; at < end;) {
        std::size_t eol = b.find("\r\n", at);
        if (eol == std::string::npos || eol > end) eol = end;
        const std::string line = b.substr(at, eol - at);
        at = eol + 2;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || line.find_first_of(" \t{}[]\"", 0) < colon) {
            headersFirst = false;
            break;
        }
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name != "content-length") continue;
        const std::string value = line.substr(colon + 1);
        char* stop = nullptr;
        const long long n = std::strtoll(value.c_str(), &stop, 10);
        if (stop == value.c_str() || n < 0) break;
        while (*stop == ' ' || *stop == '\t') ++stop;
        if (*stop == '\0') length = n;
    }
    if (length < 0 || !headersFirst) {
        // A block without a usable length, or bytes that are no header: the next frame starts at
        // the next header, and the body of a header with a wrong length is dropped with it.
        framing.lost = !dropToHeader(framing, 1);
        return FrameResult::BadHeader;
    }
    const std::size_t start = end + 4;
    const std::size_t total = start + static_cast<std::size_t>(length);
    if (static_cast<unsigned long long>(length) > maxMessageBytes) {
        b.erase(0, start);
        framing.checked = 0;
        framing.skipping = static_cast<std::size_t>(length);  // dropped from the next call on
        return FrameResult::TooLarge;
    }
    // A length longer than the message (a client that counted letters, not bytes) takes the next
    // header into the body: that header starts the next frame, and this one is dropped.
    bool decided = false;
    const std::size_t inBody = nextHeader(b, std::max(start, framing.checked), decided);
    if (inBody != std::string::npos && inBody < total) {
        if (decided) {
            b.erase(0, inBody);
            framing.checked = 0;
            return FrameResult::WrongLength;
        }
        framing.checked = inBody;  // a header may be arriving: looked at again with more bytes
        return FrameResult::NeedMore;
    }
    if (b.size() < total) {
        framing.checked = std::min(b.size(), total);
        return FrameResult::NeedMore;
    }
    body = b.substr(start, static_cast<std::size_t>(length));
    b.erase(0, total);
    framing.checked = 0;
    return FrameResult::Body;
}

std::string frame(const std::string& body) { return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body; }

std::string pathOfUri(const std::string& uri) {
    if (uri.rfind("file://", 0) != 0) return {};
    std::string rest = uri.substr(7);
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return {};
    rest = rest.substr(slash);  // the host ("" or "localhost") is left out
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 && hexValue(rest[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    // "/C:/folder" is "C:/folder" where paths have drive letters.
    if (platform::separator() == '\\' && path.size() > 2 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
    if (platform::separator() == '\\') std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string uriOfPath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty() || p[0] != '/') p = "/" + p;
    std::string uri = "file://";
    const char* hex = "0123456789ABCDEF";
    for (const unsigned char c : p) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~' || c == ':') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

std::vector<std::string> loadLanguage(LspState& state) {
    std::vector<rules::Rule> table;
    std::vector<std::string> told;
    LanguageSource& s = state.source;
    s.rulesTime = platform::fileTime(s.rulesPath);
    s.otherWordsTime = platform::fileTime(s.otherWordsPath);
    if (s.rulesPath.empty()) {
        told.push_back("Ошибка: не найден keywords.csv (ищу рядом с lum, в ЛУМ2.7 и в текущей папке): подсказки без словаря");
    } else {
        const RulesLoad load = loadRulesFile(s.rulesPath, table);
        if (!load.loaded) {
            told = load.lines;
            if (state.language) return told;  // the table read before stays
        } else {
            for (const std::string& line : load.lines)
                if (line.rfind("ПРЕДУПРЕЖДЕНИЕ", 0) == 0) told.push_back(line);
        }
    }
    std::vector<rules::OtherWord> other = s.rulesPath.empty() ? rules::builtinOtherWords() : loadOtherWords(s.rulesPath);
    state.language = std::make_shared<const services::Language>(
        services::makeLanguage(rules::loadedRules(std::move(table), std::move(other))));
    for (auto& [uri, d] : state.documents) d.analysed = false;
    return told;
}

void handleMessage(LspState& state, const std::string& body, std::int64_t now, std::vector<std::string>& out) {
    // Values nested deeper than any message of the protocol are not kept: copying or writing them
    // would go as deep on the stack.
    bool tooDeep = false;
    const Json message = Json::parse(
        body,
        [&tooDeep](int depth, Json::parse_event_t event, Json&) {
            if (depth < maxNesting || (event != Json::parse_event_t::object_start && event != Json::parse_event_t::array_start))
                return true;
            tooDeep = true;
            return false;
        },
        false);
    if (message.is_discarded()) {
        out.push_back(errorResponse(nullptr, parseError, "сообщение — не JSON"));
        return;
    }
    if (tooDeep) {
        const Json id = message.contains("id") ? message["id"] : Json(nullptr);
        out.push_back(errorResponse(id.is_string() || id.is_number_integer() ? id : Json(nullptr), invalidRequest, nestingText()));
        return;
    }
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        // A response to a request of ours carries no method: nothing asked, nothing to answer.
        if (message.is_object() && message.contains("id") && (message.contains("result") || message.contains("error"))) return;
        const Json id = message.is_object() && message.contains("id") ? message["id"] : Json(nullptr);
        out.push_back(errorResponse(id.is_string() || id.is_number_integer() ? id : Json(nullptr), invalidRequest,
                                    "нет метода или сообщение — не объект"));
        return;
    }
    const std::string method = message["method"].get<std::string>();
    const bool isRequest = message.contains("id");
    const Json id = isRequest ? message["id"] : Json(nullptr);
    if (isRequest && !id.is_string() && !id.is_number_integer()) {
        out.push_back(errorResponse(nullptr, invalidRequest, "номер запроса — не число и не строка"));
        return;
    }
    const Json noParams = Json::object();
    const Json& params = message.contains("params") ? message["params"] : noParams;
    if (method == "initialize") {
        if (!isRequest) return;
        state.initialized = true;
        out.push_back(response(id, initializeResult()));
        return;
    }
    if (method == "initialized") return;
    if (method == "exit") {
        state.exit = true;
        return;
    }
    if (!state.initialized) {
        if (isRequest) out.push_back(errorResponse(id, serverNotInitialized, "сервер еще не получил initialize"));
        return;
    }
    if (method == "shutdown") {
        state.shutdown = true;
        if (isRequest) out.push_back(response(id, nullptr));
        return;
    }
    if (state.shutdown) {
        if (isRequest) out.push_back(errorResponse(id, invalidRequest, "сервер уже остановлен (shutdown)"));
        return;
    }
    int errorCode = 0;
    std::string errorText;
    Json result;
    try {
        result = answer(state, method, params, now, out, errorCode, errorText);
    } catch (const Json::exception& e) {
        errorCode = invalidParams;
        errorText = std::string("неверные параметры: ") + e.what();
    } catch (const BadParams& e) {
        errorCode = e.code;
        errorText = e.code == invalidParams ? "неверные параметры: " + e.what : e.what;
    }
    if (!isRequest) {
        if (errorCode == invalidParams) out.push_back(showMessage(1, "lum: " + method + " — " + errorText));
        return;  // a notification is never answered; one the server does not know is left alone
    }
    if (errorCode != 0)
        out.push_back(errorResponse(id, errorCode, errorText));
    else
        out.push_back(response(id, std::move(result)));
}

void publishDue(LspState& state, std::int64_t now, std::vector<std::string>& out) {
    for (auto it = state.due.begin(); it != state.due.end();) {
        if (it->second > now) {
            ++it;
            continue;
        }
        const auto found = state.documents.find(it->first);
        if (found != state.documents.end()) {
            Document& d = found->second;
            if (d.bytes.size() > maxDocumentBytes) {
                d.analysis = {};
                d.analysed = true;
            } else if (!d.analysed) {
                analyse(state, d);
            }
            out.push_back(notification("textDocument/publishDiagnostics",
                                       {{"uri", d.uri}, {"version", d.version}, {"diagnostics", diagnosticsOf(d)}}));
        }
        it = state.due.erase(it);
    }
}

bool refreshFiles(LspState& state, std::int64_t now, std::vector<std::string>& out) {
    bool changed = false;
    const LanguageSource& s = state.source;
    if (platform::fileTime(s.rulesPath) != s.rulesTime || platform::fileTime(s.otherWordsPath) != s.otherWordsTime) {
        for (const std::string& line : loadLanguage(state)) out.push_back(showMessage(2, line));
        changed = true;
    }
    for (auto& [uri, d] : state.documents) {
        bool stale = changed;
        for (const auto& [file, time] : d.libraryTimes) stale = stale || platform::fileTime(file) != time;
        if (!stale) continue;
        d.analysed = false;
        state.due[uri] = now;
        changed = true;
    }
    return changed;
}

int msUntilDue(const LspState& state, std::int64_t now) {
    std::int64_t first = -1;
    for (const auto& [uri, at] : state.due) first = first < 0 ? at : std::min(first, at);
    if (first < 0) return -1;
    return first <= now ? 0 : static_cast<int>(first - now);
}

}  // namespace frontend
