// SPDX-License-Identifier: MIT
#include "run_command.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <vector>

#include "platform/safe_file.h"
#include "script/script_driver.h"
#include "image_commands.h"

namespace tovrik::cli {

int RunScript(const std::string& scriptPath, const std::string& workdir, std::ostream& out,
              std::ostream& err, ScriptDriverOptions options)
{
    std::error_code ec;
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!ReadFileBounded(scriptPath, kMaxTextFileBytes, bytes, reason)) {
        err << "error: " << reason << '\n';
        return kExitUsage;
    }
    const std::string script(bytes.begin(), bytes.end());
    const std::filesystem::path folder =
        !workdir.empty() ? std::filesystem::path(workdir)
                         : std::filesystem::absolute(scriptPath, ec).parent_path();
    // The tool's own messages name files as the script wrote them, so the
    // script runs in its folder rather than having its names rewritten.
    std::filesystem::current_path(folder, ec);
    if (ec) {
        err << "error: cannot change to the folder " << folder.string() << '\n';
        return kExitUsage;
    }

    ScriptDriver driver(out, std::move(options));
    if (!driver.BuildError().empty()) {
        err << "error: " << driver.BuildError() << '\n';
        return kExitUsage;
    }
    const int status = driver.Run(script);
    out.flush();
    if (status != ScriptDriver::kExitOk) {
        err << "error: line " << driver.Error().line << ": " << driver.Error().reason << '\n';
    }
    return status;
}

}  // namespace tovrik::cli
