// lum --lsp: the language server over standard input and output. Reads frames as they come,
// answers each message at once, publishes a document's diagnostics once it has been still for
// the debounce time, and looks at the rules file and the libraries once a second.
// Tests: tests/e2e/lsp_test.cpp (a real client, Neovim's, from start to shutdown).
#include <algorithm>
#include <chrono>
#include <new>

#include "base/json_text.h"
#include "base/paths.h"
#include "frontend/frontend.h"
#include "frontend/lsp.h"
#include "platform/platform.h"

namespace frontend {

namespace {

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

constexpr int filesPeriodMs = 1000;

}  // namespace

int runLanguageServer(const std::string& rulesPath) {
    platform::binaryStandardStreams();
    LspState state;
    state.source.rulesPath = rulesPath;
    if (!rulesPath.empty()) state.source.otherWordsPath = base::folderOf(rulesPath) + platform::separator() + otherWordsName;
    std::vector<std::string> out;
    std::vector<std::string> told = loadLanguage(state);
    Framing framing;
    std::vector<char> chunk(1 << 16);
    std::int64_t filesChecked = nowMs();
    bool greeted = false;
    for (;;) {
        std::int64_t now = nowMs();
        if (state.initialized && !greeted) {
            // What loading the rules said is shown once the client can show it.
            for (const std::string& line : told)
                out.push_back(std::string(R"({"jsonrpc":"2.0","method":"window/showMessage","params":{"type":)") +
                              (line.rfind("Ошибка", 0) == 0 ? "1" : "2") + R"(,"message":)" + base::jsonLiteral(line) + "}}");
            greeted = true;
        }
        if (now - filesChecked >= filesPeriodMs) {
            refreshFiles(state, now, out);
            filesChecked = now;
        }
        publishDue(state, now, out);
        for (const std::string& body : out)
            if (!platform::writeOutput(frame(body))) return 1;
        out.clear();
        if (state.exit) return state.shutdown ? 0 : 1;

        int wait = msUntilDue(state, now);
        const int untilFiles = static_cast<int>(filesPeriodMs - (now - filesChecked));
        wait = wait < 0 ? untilFiles : std::min(wait, untilFiles);
        const platform::InputWait w = platform::waitForInput(wait < 0 ? 0 : wait);
        if (w == platform::InputWait::Failed) return 1;
        if (w == platform::InputWait::TimedOut) continue;
        std::size_t moved = 0;
        const platform::Transfer t = platform::readInput(chunk.data(), chunk.size(), moved);
        if (t != platform::Transfer::Moved) return state.shutdown ? 0 : 1;  // the client went away
        framing.buffer.append(chunk.data(), moved);
        now = nowMs();
        for (std::string body;;) {
            const FrameResult r = nextFrame(framing, body);
            if (r == FrameResult::NeedMore) break;
            if (r == FrameResult::Body) {
                try {
                    handleMessage(state, body, now, out);
                } catch (const std::bad_alloc&) {
                    out.push_back(R"({"jsonrpc":"2.0","id":null,"error":{"code":-32803,"message":"не хватает памяти"}})");
                }
                if (state.exit) break;
            } else {
                const char* text = r == FrameResult::TooLarge ? "\"сообщение больше 64 МБ: пропущено\""
                                   : r == FrameResult::WrongLength
                                       ? "\"длина в Content-Length не та: сообщение пропущено до следующего заголовка\""
                                       : "\"нет заголовка Content-Length: пропущено до следующего заголовка\"";
                out.push_back(std::string(R"({"jsonrpc":"2.0","id":null,"error":{"code":-32600,"message":)") + text + "}}");
            }
        }
    }
}

}  // namespace frontend
