// tovrik-cli: the scriptable front end.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

#include "image_commands.h"
#include "run_command.h"

#ifdef TOVRIK_CLI_HIDAPI
#include "device/hidapi/hidapi_transport.h"
#endif
#ifdef TOVRIK_CLI_VENDOR_LIBRARY
#include "vendor_library_option.h"
#endif

int main(int argc, char** argv)
{
    CLI::App app{"Tovrik configuration tool, command line"};
    // Paths like /work/a.bin stay paths on Windows too, not /w-style options.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);

    auto* image = app.add_subcommand("image", "Decode, encode and produce EEPROM images");
    image->require_subcommand(1);

    std::string decodeFile;
    auto* decode = image->add_subcommand(
        "decode", "Load an EEPROM image file through a simulated chip and print it as JSON");
    decode->add_option("FILE", decodeFile, "EEPROM image (.bin)")->required();

    std::string encodeInput;
    std::string encodeOutput;
    auto* encode = image->add_subcommand(
        "encode", "Save a JSON description onto a blank 256-byte EEPROM and write its bytes");
    encode->add_option("JSON", encodeInput, "JSON description, - for standard input")->required();
    encode->add_option("-o,--output", encodeOutput, "EEPROM image file to write")->required();

    std::string factoryOutput;
    auto* factory = image->add_subcommand(
        "factory", "Write the simulated chip's factory EEPROM image (256 bytes)");
    factory->add_option("-o,--output", factoryOutput, "EEPROM image file to write")->required();

    std::string scriptFile;
    std::string workdir;
    auto* run = app.add_subcommand(
        "run", "Run a script of the tool against a simulated chip (see docs/scripting.md)");
    run->add_option("SCRIPT", scriptFile, "script file")->required();
    run->add_option("--workdir", workdir,
                    "folder for the script's file names (default: the script's folder)");
    std::string device = "sim";
    run->add_option("--device", device,
                    "sim: the simulated chip (default); hidapi: a real chip through hidapi "
                    "(see docs/hardware.md)")
        ->check(CLI::IsMember({"sim", "hidapi"}));
#ifdef TOVRIK_CLI_VENDOR_LIBRARY
    std::string vendorLibrary;
    run->add_option("--vendor-library", vendorLibrary,
                    "reach the chip through the chip maker's device library, the DLL at this "
                    "path (see docs/hardware.md); the run then has no simulated chip")
        ->excludes("--device");
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return tovrik::cli::kExitUsage;
    }

    if (decode->parsed()) {
        return tovrik::cli::DecodeImage(decodeFile, std::cout, std::cerr);
    }
    if (encode->parsed()) {
        return tovrik::cli::EncodeImage(encodeInput, encodeOutput, std::cin, std::cout, std::cerr);
    }
    if (factory->parsed()) {
        return tovrik::cli::WriteFactoryImage(factoryOutput, std::cerr);
    }
    if (run->parsed()) {
        tovrik::ScriptDriverOptions options;
#ifdef TOVRIK_CLI_VENDOR_LIBRARY
        if (!vendorLibrary.empty()) {
            std::string error;
            if (!tovrik::cli::UseVendorLibrary(vendorLibrary, options, error)) {
                std::cerr << "error: " << error << '\n';
                return tovrik::cli::kExitUsage;
            }
            return tovrik::cli::RunScript(scriptFile, workdir, std::cout, std::cerr,
                                          std::move(options));
        }
#endif
        if (device == "hidapi") {
#ifdef TOVRIK_CLI_HIDAPI
            auto transport = tovrik::MakeHidapiTransport();
            options.deviceTransport = transport.get();
            options.openFailureMessage = [&transport](const std::string& path) {
                return transport->OpenFailureMessage(path);
            };
            return tovrik::cli::RunScript(scriptFile, workdir, std::cout, std::cerr,
                                          std::move(options));
#else
            std::cerr << "error: this build has no hidapi transport (TOVRIK_HIDAPI=OFF)\n";
            return tovrik::cli::kExitUsage;
#endif
        }
        return tovrik::cli::RunScript(scriptFile, workdir, std::cout, std::cerr);
    }
    return tovrik::cli::kExitUsage;
}
