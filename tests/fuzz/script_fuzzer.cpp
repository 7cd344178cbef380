// SPDX-License-Identifier: MIT
// Splits arbitrary text into script lines and plays it against the tool on a
// simulated chip: a script is a file a user hands the tool, so no script may
// crash it. Lines naming a path outside the working folder are dropped, so
// the fuzzer touches no file but its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "script/script_driver.h"
#include "script/script_syntax.h"

namespace {

std::string& WorkFolder()
{
    static std::string folder = [] {
        char name[] = "/tmp/tovrik-script-fuzz-XXXXXX";
        const char* made = mkdtemp(name);
        std::string path = made != nullptr ? made : "/tmp";
        setenv("XDG_STATE_HOME", path.c_str(), 1);
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& folder = WorkFolder();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string script;
    std::size_t lines = 0;
    for (std::size_t at = 0; at <= text.size() && lines < 64; ++lines) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        std::vector<tovrik::ScriptToken> tokens;
        std::string error;
        tovrik::TokenizeScriptLine(line, tokens, error);
        if (line.find('/') == std::string::npos && line.find("..") == std::string::npos &&
            line.find("wait") == std::string::npos) {
            script += line + '\n';
        }
    }
    std::ostringstream out;
    tovrik::ScriptDriverOptions options;
    options.fileFolder = folder;
    options.settleTimeout = std::chrono::milliseconds(200);
    tovrik::ScriptDriver driver(out, options);
    driver.Run(script);
    return 0;
}
