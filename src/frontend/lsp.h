// The language server's protocol core: Content-Length framing, JSON-RPC 2.0 and the answers of
// LSP 3.17 (diagnostics, hover, completion, signature help, symbols, definition, quick fixes),
// without pipes or clocks: the server loop (lsp_server.cpp) feeds it bytes and times, and
// writes what it hands back. What it answers comes from the language services (services/).
// Tests: tests/frontend/lsp_test.cpp, tests/e2e/lsp_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/slips.h"
#include "rules/rulesfile.h"
#include "services/language.h"
#include "services/problems.h"
#include "services/program.h"

namespace frontend {

// Bytes of standard input cut into message bodies by their Content-Length headers.
struct Framing {
    std::string buffer;
    std::size_t skipping = 0;  // bytes of a message too large to keep, still to be dropped
    bool lost = false;         // out of step: bytes are dropped up to the next Content-Length header
    std::size_t checked = 0;   // bytes of the buffer already searched for a header inside the body
};
constexpr std::size_t maxMessageBytes = 64u << 20;   // a message longer is dropped and answered with an error
constexpr std::size_t maxDocumentBytes = 8u << 20;   // a document longer is kept but not read for answers

enum class FrameResult { Body, NeedMore, TooLarge, BadHeader, WrongLength };
// The next body of `framing`, taken out of its buffer. TooLarge: the message's bytes are being
// dropped; BadHeader: a header block without a usable length, or bytes that are no header, are
// dropped up to the next "Content-Length:" header; WrongLength: a frame whose length runs into
// the next header was dropped, and that header starts the next frame.
FrameResult nextFrame(Framing& framing, std::string& body);
// "Content-Length: N\r\n\r\n" + body.
std::string frame(const std::string& body);

// One open document: its text and what was last found in it.
struct Document {
    std::string uri, path, folder;  // path "" for a document that is no file
    long long version = 0;
    std::string bytes;
    services::Text text;
    bool analysed = false;
    services::Analysis analysis;
    std::vector<services::ProgramName> names;
    std::map<std::string, std::uint64_t> libraryTimes;  // the included files and their times when read
};

// Where the table comes from, and when it was read.
struct LanguageSource {
    std::string rulesPath, otherWordsPath;
    std::uint64_t rulesTime = 0, otherWordsTime = 0;
};

struct LspState {
    bool initialized = false, shutdown = false, exit = false;
    std::shared_ptr<const services::Language> language;
    LanguageSource source;
    std::map<std::string, Document> documents;
    // Documents whose diagnostics are due, and the time (ms) at which they are.
    std::map<std::string, std::int64_t> due;
    int debounceMs = 10;
    // The last completion's documentation by item, sent only when the client resolves an item:
    // a list carries the table's 200-odd words, and their texts would make it large.
    std::vector<std::string> completionDocs;
};

// Loads the rules file and other_words.csv of `source` into a new language; the lines to tell
// the user when the rules could not be read (the old language then stays).
std::vector<std::string> loadLanguage(LspState& state);

// Handles one message body received at `now` (ms), appending the bodies to send to `out`.
void handleMessage(LspState& state, const std::string& body, std::int64_t now, std::vector<std::string>& out);
// Publishes the diagnostics of the documents due by `now`.
void publishDue(LspState& state, std::int64_t now, std::vector<std::string>& out);
// Reads the rules and the documents' libraries again when their files changed; every document
// is then due at once. Whether anything changed.
bool refreshFiles(LspState& state, std::int64_t now, std::vector<std::string>& out);
// The time the loop may wait before something is due (-1: nothing is).
int msUntilDue(const LspState& state, std::int64_t now);

// file:// URIs and paths.
std::string pathOfUri(const std::string& uri);
std::string uriOfPath(const std::string& path);

// The server over standard input and output (lum --lsp); returns the exit code.
int runLanguageServer(const std::string& rulesPath);

}  // namespace frontend
