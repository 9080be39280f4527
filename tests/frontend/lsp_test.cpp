// The language server's core without pipes: frames cut from any chunking, the protocol's errors,
// UTF-16 positions, and the debounce of diagnostics.
#include "frontend/lsp.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/platform.h"

using frontend::FrameResult;
using Json = nlohmann::json;

namespace {

TEST(LspFrames, CutFromAnyChunking) {
    const std::string one = frontend::frame(R"({"a":1})"), two = frontend::frame("[2]");
    struct Row {
        std::vector<std::string> chunks;
        std::vector<std::string> expected;  // bodies, or "!too large" / "!bad header" / "!wrong length"
    };
    const Row rows[] = {
        {{one + two}, {R"({"a":1})", "[2]"}},
        {{one.substr(0, 5), one.substr(5, 20), one.substr(25) + two.substr(0, 3), two.substr(3)}, {R"({"a":1})", "[2]"}},
        {{"content-length: 3\r\nContent-Type: x\r\n\r\n[3]"}, {"[3]"}},
        {{"X-Other: 1\r\n\r\n" + two}, {"!bad header", "[2]"}},
        {{"Content-Length: 7x\r\n\r\n" + two}, {"!bad header", "[2]"}},
        {{"Content-Length: 70000000\r\n\r\n" + std::string(1000, ' '), std::string(69999000, ' ') + two}, {"!too large", "[2]"}},
        // A wrong length puts the stream out of step only up to the next header.
        {{"Content-Length: 10\r\n\r\n[\"привет\"]" + two}, {"[\"прив", "!bad header", "[2]"}},
        {{"Content-Length: 40\r\n\r\n[1]" + two.substr(0, 9), two.substr(9) + one}, {"!wrong length", "[2]", R"({"a":1})"}},
        {{"Content-Length: -5\r\n\r\n[1]", "[1]" + two.substr(0, 3), two.substr(3)}, {"!bad header", "[2]"}},
        {{"Content-Length: 70000000\r\n\r\n[1]" + two}, {"!too large", "[2]"}},
        {{"}]" + one}, {"!bad header", R"({"a":1})"}},
    };
    for (const Row& row : rows) {
        frontend::Framing framing;
        std::vector<std::string> got;
        for (const std::string& chunk : row.chunks) {
            framing.buffer += chunk;
            for (std::string body;;) {
                const FrameResult r = frontend::nextFrame(framing, body);
                if (r == FrameResult::NeedMore) break;
                const char* names[] = {"", "", "!too large", "!bad header", "!wrong length"};
                got.push_back(r == FrameResult::Body ? body : names[static_cast<int>(r)]);
            }
        }
        EXPECT_EQ(got, row.expected) << row.chunks[0].substr(0, 40);
    }
}

struct Server {
    frontend::LspState state;
    Server() {
        state.source.rulesPath = std::string(LUM_SOURCE_DIR) + "/src/keywords.csv";
        frontend::loadLanguage(state);
    }
    // The answers to one message.
    std::vector<Json> send(const std::string& body, std::int64_t now = 0) {
        std::vector<std::string> out;
        frontend::handleMessage(state, body, now, out);
        std::vector<Json> parsed;
        for (const std::string& o : out) parsed.push_back(Json::parse(o));
        return parsed;
    }
    int errorOf(const std::string& body) {
        const std::vector<Json> out = send(body);
        return out.size() == 1 && out[0].contains("error") ? out[0]["error"]["code"].get<int>() : 0;
    }
};

TEST(LspProtocol, ErrorsByTheRules) {
    Server s;
    EXPECT_EQ(s.errorOf(R"({"jsonrpc":"2.0","id":1,"method":"textDocument/hover","params":{}})"), -32002);
    EXPECT_EQ(s.send(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})")[0]["result"]["serverInfo"]["name"], "lum");
    const std::pair<std::string, int> rows[] = {
        {R"({"jsonrpc":"2.0","id":2,"meth)", -32700},
        {R"([1,2])", -32600},
        {R"({"jsonrpc":"2.0","id":{"x":1},"method":"shutdown"})", -32600},
        {R"({"jsonrpc":"2.0","id":3,"method":"lum/nothing"})", -32601},
        {R"({"jsonrpc":"2.0","id":4,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///x"}}})", -32602},
        {R"({"jsonrpc":"2.0","id":5,"method":"textDocument/hover","params":{"textDocument":{"uri":7}}})", -32602},
        {R"({"jsonrpc":"2.0","id":8,"method":"completionItem/resolve","params":{"data":)" + std::string(100000, '[') +
             std::string(100000, ']') + "}}",
         -32600},
        {R"({"jsonrpc":"2.0","id":10,"method":"completionItem/resolve","params":{"a":)" + std::string(100, '[') +
             std::string(100, ']') + "}}",
         0},  // deep, but within the limit
    };
    for (const auto& [body, code] : rows) EXPECT_EQ(s.errorOf(body), code) << body.substr(0, 80);
    EXPECT_EQ(s.send(R"({"jsonrpc":"2.0","id":9,"method":"completionItem/resolve","params":{"data":[[1]]}})")[0]["result"]["data"][0][0], 1);
    EXPECT_TRUE(s.send(R"({"jsonrpc":"2.0","method":"lum/nothing"})").empty());  // notifications get no answer
    EXPECT_EQ(s.send(R"({"jsonrpc":"2.0","id":6,"method":"shutdown"})")[0]["result"], nullptr);
    EXPECT_EQ(s.errorOf(R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{}})"), -32600);
    s.send(R"({"jsonrpc":"2.0","method":"exit"})");
    EXPECT_TRUE(s.state.exit);
}

TEST(LspProtocol, PositionsInUtf16AndDebouncedDiagnostics) {
    Server s;
    s.send(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
    const Json open = {{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                       {"params", {{"textDocument", {{"uri", "file:///t/a.лумс"}, {"version", 1}, {"text", "пусть 😀 = 1\nеслиб 1 то\nконец\n"}}}}}};
    s.send(open.dump(), 100);
    std::vector<std::string> out;
    frontend::publishDue(s.state, 100, out);
    ASSERT_EQ(out.size(), 1u);  // on open at once
    const Json hover = s.send(R"({"jsonrpc":"2.0","id":2,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///t/a.лумс"},"position":{"line":0,"character":2}}})")[0];
    EXPECT_EQ(hover["result"]["range"]["end"]["character"], 5);
    Json change = {{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
                   {"params", {{"textDocument", {{"uri", "file:///t/a.лумс"}, {"version", 2}}},
                               {"contentChanges", {{{"text", "😀😀 еслиб 1 то\nконец\n"}}}}}}};
    s.send(change.dump(), 200);
    out.clear();
    frontend::publishDue(s.state, 200 + s.state.debounceMs - 1, out);
    EXPECT_TRUE(out.empty());  // still within the debounce
    frontend::publishDue(s.state, 200 + s.state.debounceMs, out);
    ASSERT_EQ(out.size(), 1u);
    const Json published = Json::parse(out[0]);
    EXPECT_EQ(published["params"]["version"], 2);
    // A client that sends ranges anyway: applied in order, in UTF-16 units.
    change["params"]["textDocument"]["version"] = 3;
    change["params"]["contentChanges"] = Json::array({{{"range", {{"start", {{"line", 0}, {"character", 5}}}, {"end", {{"line", 0}, {"character", 10}}}}}, {"text", "если"}},
                                                     {{"range", {{"start", {{"line", 1}, {"character", 0}}}, {"end", {{"line", 1}, {"character", 0}}}}}, {"text", "  "}}});
    s.send(change.dump(), 300);
    EXPECT_EQ(s.state.documents["file:///t/a.лумс"].bytes, "😀😀 если 1 то\n  конец\n");
    bool named = false;
    for (const Json& d : published["params"]["diagnostics"])
        if (d["code"] == "unknown-word") named = d["range"]["start"]["character"] == 5 && d["range"]["end"]["character"] == 10;
    EXPECT_TRUE(named);  // two astral letters are four UTF-16 units
}

std::string native(std::string path) {
    for (char& c : path)
        if (c == '/') c = platform::separator();
    return path;
}

TEST(LspUris, PathsRoundTrip) {
    EXPECT_EQ(frontend::pathOfUri("file:///tmp/%D0%B8%D0%B3%D1%80%D0%B0%20%5B1%5D.lum"), native("/tmp/игра [1].lum"));
    EXPECT_EQ(frontend::pathOfUri(frontend::uriOfPath("/tmp/игра [1]#.lum")), native("/tmp/игра [1]#.lum"));
    EXPECT_EQ(frontend::pathOfUri("untitled:Untitled-1"), "");
}

}  // namespace
