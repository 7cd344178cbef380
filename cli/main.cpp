// SPDX-License-Identifier: MIT
// tovrik-cli: the command-line front end.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

#include "device_access.h"
#include "device_commands.h"
#include "doctor.h"
#include "exit_codes.h"
#include "image_commands.h"
#include "run_command.h"
#include "station.h"

#ifdef TOVRIK_CLI_HIDAPI
#include "device/hidapi/hidapi_transport.h"
#endif
#ifdef TOVRIK_CLI_VENDOR_LIBRARY
#include "win32/vendor_library_option.h"
#endif

namespace {

constexpr const char* kVersion = "2.0.1.2";

}  // namespace

int main(int argc, char** argv)
{
    using namespace tovrik::cli;
    CLI::App app{"Tovrik configuration tool, command line"};
    // Paths like /work/a.bin stay paths on Windows too, not /w-style options.
    app.allow_windows_style_options(false);
    app.footer(kExitCodesHelp);
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("tovrik-cli ") + kVersion);

    // --- image ---
    auto* image =
        app.add_subcommand("image", "Decode, encode, show, compare and edit EEPROM images");
    image->require_subcommand(1);

    std::string decodeFile;
    auto* decode = image->add_subcommand(
        "decode", "Load an EEPROM image file through a simulated chip and print it as JSON");
    decode->add_option("FILE", decodeFile, "EEPROM image (.bin)")->required();

    std::string encodeInput;
    std::string encodeOutput;
    auto* encode = image->add_subcommand(
        "encode",
        "Save a JSON description (as image decode prints it) onto a blank 256-byte "
        "EEPROM and write its bytes");
    encode->add_option("JSON", encodeInput, "JSON description, - for standard input")->required();
    encode->add_option("-o,--output", encodeOutput, "EEPROM image file to write")->required();

    std::string factoryOutput;
    auto* factory = image->add_subcommand(
        "factory", "Write the simulated chip's factory EEPROM image (256 bytes)");
    factory->add_option("-o,--output", factoryOutput, "EEPROM image file to write")->required();

    bool json = false;
    std::string imageA;
    std::string imageB;
    auto* imageShow = image->add_subcommand(
        "show", "Every setting of the four configuration pages after loading FILE");
    imageShow->add_option("FILE", imageA, "EEPROM image (.bin)")->required();
    imageShow->add_flag("--json", json, "print JSON");
    auto* imageDiff = image->add_subcommand(
        "diff", "The settings that differ between two images; exit 1 when some do");
    imageDiff->add_option("A", imageA, "EEPROM image (.bin)")->required();
    imageDiff->add_option("B", imageB, "EEPROM image (.bin)")->required();
    imageDiff->add_flag("--json", json, "print JSON");

    std::vector<std::string> assignments;
    std::string setOutput;
    auto* imageSet = image->add_subcommand(
        "set", "Set USB page values (vid, pid, manufacturer, product, serial, ucq, interval)");
    imageSet->add_option("IN", imageA, "EEPROM image (.bin)")->required();
    imageSet->add_option("-o,--output", setOutput, "EEPROM image file to write")->required();
    imageSet->add_option("KEY=VALUE", assignments, "values to set")->required();

    // --- device ---
    auto* device = app.add_subcommand("device", "Read, write, compare and show a chip's EEPROM");
    device->require_subcommand(1);
    DeviceOptions deviceOptions;
    const auto deviceCommand = [&](const char* name, const char* help) {
        CLI::App* command = device->add_subcommand(name, help);
        AddDeviceOptions(*command, deviceOptions);
        return command;
    };
    auto* list = deviceCommand("list", "Every attached chip with the ids (or at --path)");
    list->add_flag("--json", json, "print JSON");

    std::string deviceFile;
    std::optional<int> readSize;
    bool all = false;
    auto* read =
        deviceCommand("read", "Copy the EEPROM (the first 256 bytes by default) into FILE");
    read->add_option("-o,--output", deviceFile, "file to write")->required();
    auto* sizeOption = read->add_option("--size", readSize, "bytes to read");
    read->add_flag("--all", all, "the whole fitted EEPROM")->excludes(sizeOption);

    auto* write = deviceCommand(
        "write", "Write FILE from address 0 and verify it, keeping a backup of what it replaces");
    write->add_option("FILE", deviceFile, "EEPROM image (.bin)")->required();

    auto* verify = deviceCommand("verify", "Compare the EEPROM with FILE; exit 1 when they differ");
    verify->add_option("FILE", deviceFile, "EEPROM image (.bin)")->required();
    verify->add_flag("--json", json, "print JSON");

    auto* erase = deviceCommand("erase", "Set the first 256 bytes (or all) to 0xFF");
    erase->add_flag("--all", all, "the whole fitted EEPROM");

    auto* deviceShow =
        deviceCommand("show", "Every setting of the four configuration pages after a load");
    deviceShow->add_flag("--json", json, "print JSON");

    auto* deviceDiff = deviceCommand(
        "diff", "The settings that writing FILE would change; exit 1 when some differ");
    deviceDiff->add_option("FILE", deviceFile, "EEPROM image (.bin)")->required();
    deviceDiff->add_flag("--json", json, "print JSON");

    auto* deviceSet = deviceCommand("set", "Set USB page values and save them into the EEPROM");
    deviceSet->add_option("KEY=VALUE", assignments, "values to set")->required();

    // --- station ---
    StationOptions station;
    auto* stationCommand = app.add_subcommand(
        "station", "Program every chip that appears with GOLDEN, each with its own serial number");
    AddStationOptions(*stationCommand, station);

    // --- doctor ---
    DoctorOptions doctor;
    auto* doctorCommand = app.add_subcommand(
        "doctor", "Check that this user can reach the chip: bus, device node, udev rule");
    doctorCommand->add_option("--vid", doctor.vid, "vendor id, hexadecimal (default 1209)");
    doctorCommand->add_option("--pid", doctor.pid, "product id, hexadecimal (default 0001)");

    // --- run ---
    std::string scriptFile;
    std::string workdir;
    auto* run = app.add_subcommand(
        "run", "Run a script of the tool against a simulated chip (see docs/scripting.md)");
    run->add_option("SCRIPT", scriptFile, "script file")->required();
    run->add_option("--workdir", workdir,
                    "folder for the script's file names (default: the script's folder)");
    std::string runDevice = "sim";
    run->add_option("--device", runDevice,
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
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return kExitUsage;
    }

    std::ostream& out = std::cout;
    std::ostream& err = std::cerr;
#ifdef TOVRIK_CLI_VENDOR_LIBRARY
    if (!deviceOptions.vendorLibrary.empty()) {
        std::string error;
        if (!UseVendorLibrary(deviceOptions.vendorLibrary, deviceOptions, error)) {
            err << "tovrik-cli: " << error << '\n';
            return kExitUsage;
        }
    }
#endif
    if (decode->parsed()) {
        return DecodeImage(decodeFile, out, err);
    }
    if (encode->parsed()) {
        return EncodeImage(encodeInput, encodeOutput, std::cin, out, err);
    }
    if (factory->parsed()) {
        return WriteFactoryImage(factoryOutput, err);
    }
    if (imageShow->parsed()) {
        return ShowImage(imageA, json, out, err);
    }
    if (imageDiff->parsed()) {
        return DiffImages(imageA, imageB, json, out, err);
    }
    if (imageSet->parsed()) {
        return SetImage(imageA, setOutput, assignments, out, err);
    }
    if (list->parsed()) {
        return ListDevices(deviceOptions, json, out, err);
    }
    if (read->parsed()) {
        return ReadDevice(deviceOptions, deviceFile, readSize, all, out, err);
    }
    if (write->parsed()) {
        return WriteDevice(deviceOptions, deviceFile, out, err);
    }
    if (verify->parsed()) {
        return VerifyDevice(deviceOptions, deviceFile, json, out, err);
    }
    if (erase->parsed()) {
        return EraseDevice(deviceOptions, all, out, err);
    }
    if (deviceShow->parsed()) {
        return ShowDevice(deviceOptions, json, out, err);
    }
    if (deviceDiff->parsed()) {
        return DiffDevice(deviceOptions, deviceFile, json, out, err);
    }
    if (deviceSet->parsed()) {
        return SetDevice(deviceOptions, assignments, out, err);
    }
    if (stationCommand->parsed()) {
        return RunStation(station, out, err);
    }
    if (doctorCommand->parsed()) {
        return RunDoctor(doctor, out, err);
    }
    if (run->parsed()) {
        tovrik::ScriptDriverOptions options;
#ifdef TOVRIK_CLI_VENDOR_LIBRARY
        std::unique_ptr<tovrik::HidTransport> system;
        if (!vendorLibrary.empty()) {
            std::string error;
            if (!UseVendorLibrary(vendorLibrary, options, system, error)) {
                err << "error: " << error << '\n';
                return kExitUsage;
            }
            return RunScript(scriptFile, workdir, out, err, std::move(options));
        }
#endif
        if (runDevice == "hidapi") {
#ifdef TOVRIK_CLI_HIDAPI
            auto transport = tovrik::MakeHidapiTransport();
            options.deviceTransport = transport.get();
            options.openFailureMessage = [&transport](const std::string& path) {
                return transport->OpenFailureMessage(path);
            };
            return RunScript(scriptFile, workdir, out, err, std::move(options));
#else
            err << "error: this build has no hidapi transport (TOVRIK_HIDAPI=OFF)\n";
            return kExitUsage;
#endif
        }
        return RunScript(scriptFile, workdir, out, err);
    }
    return kExitUsage;
}
