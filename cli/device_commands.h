// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "device_access.h"

namespace tovrik::cli {

// The device commands. Each returns its exit status (exit_codes.h), prints
// its result on `out` and its complaints, one line each, on `err`.
int ListDevices(const DeviceOptions& options, bool json, std::ostream& out, std::ostream& err);
int ReadDevice(const DeviceOptions& options, const std::string& file, std::optional<int> size,
               bool all, std::ostream& out, std::ostream& err);
int WriteDevice(const DeviceOptions& options, const std::string& file, std::ostream& out,
                std::ostream& err);
int VerifyDevice(const DeviceOptions& options, const std::string& file, bool json,
                 std::ostream& out, std::ostream& err);
int EraseDevice(const DeviceOptions& options, bool all, std::ostream& out, std::ostream& err);
int ShowDevice(const DeviceOptions& options, bool json, std::ostream& out, std::ostream& err);
int DiffDevice(const DeviceOptions& options, const std::string& file, bool json, std::ostream& out,
               std::ostream& err);
int SetDevice(const DeviceOptions& options, const std::vector<std::string>& assignments,
              std::ostream& out, std::ostream& err);
// The backups of the chosen chip's ids, newest first: time, size, serial
// string, whether each equals the chip now.
int ListBackups(const DeviceOptions& options, std::ostream& out, std::ostream& err);
// Writes `file` back (else the backup an unfinished write names, else the
// newest with the chip's serial string), verified, keeping a backup first;
// exit 2 with the candidates when none qualifies.
int RestoreDevice(const DeviceOptions& options, const std::string& file, std::ostream& out,
                  std::ostream& err);

// The image commands that share the pages with them.
int ShowImage(const std::string& file, bool json, std::ostream& out, std::ostream& err);
int DiffImages(const std::string& before, const std::string& after, bool json, std::ostream& out,
               std::ostream& err);
int SetImage(const std::string& input, const std::string& output,
             const std::vector<std::string>& assignments, std::ostream& out, std::ostream& err);

}  // namespace tovrik::cli
