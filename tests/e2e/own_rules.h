// The lum under test copied into a folder of its own beside a rules file the test writes, so
// that translation in an end-to-end test depends only on the rules the test names.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

class LumWithRules {
public:
    // `rules` are the lines of keywords.csv after its header.
    explicit LumWithRules(const std::string& rules) {
        namespace fs = std::filesystem;
        command_ = lumCommand();
        const fs::path original(command_.back());
        const std::string copy = folder_ / original.filename().string();
        fs::copy_file(original, fs::path(copy), fs::copy_options::overwrite_existing);
        command_.back() = copy;
        setRules(rules);
    }

    // Replaces the rules file; the copy of lum stays (copying it while another thread starts a
    // process would leave that process holding it open for writing, and exec would then fail).
    void setRules(const std::string& rules) const {
        writeFile(folder_ / "keywords.csv", "pattern,replacement,flags\n" + rules);
    }

    ProcessResult run(const std::vector<std::string>& args, const ProcessOptions& options = {}) const {
        std::vector<std::string> argv = command_;
        argv.insert(argv.end(), args.begin(), args.end());
        return runProcess(argv, options);
    }

private:
    TempFolder folder_;
    std::vector<std::string> command_;
};

// The lines of `out` that start with `prefix`, in order.
inline std::vector<std::string> linesStartingWith(const std::string& out, const std::string& prefix) {
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < out.size()) {
        std::size_t end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        const std::string line = out.substr(at, end - at);
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
        at = end + 1;
    }
    return found;
}
