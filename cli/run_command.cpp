#include "run_command.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "script/script_driver.h"
#include "image_commands.h"

namespace tovrik::cli {

int RunScript(const std::string& scriptPath, const std::string& workdir, std::ostream& out,
              std::ostream& err, ScriptDriverOptions options)
{
    std::error_code ec;
    if (std::filesystem::is_directory(scriptPath, ec)) {
        err << "error: " << scriptPath << " is a directory\n";
        return kExitUsage;
    }
    std::ifstream file(scriptPath, std::ios::binary);
    std::stringstream script;
    if (!file || !(script << file.rdbuf())) {
        err << "error: cannot read " << scriptPath << '\n';
        return kExitUsage;
    }
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
    const int status = driver.Run(script.str());
    out.flush();
    if (status != ScriptDriver::kExitOk) {
        err << "error: line " << driver.Error().line << ": " << driver.Error().reason << '\n';
    }
    return status;
}

}  // namespace tovrik::cli
