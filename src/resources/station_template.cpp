// SPDX-License-Identifier: MIT
// The station window: a production line's golden image, serials, ports and log.
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

DialogTemplate StationTemplate()
{
    DialogTemplate d;
    d.id = IDD_STATION;
    d.title = "Station";
    d.rect = {0, 0, 320, 247};
    d.iconId = IDR_MAINFRAME;
    d.controls = {
        Label("Golden image:", {7, 9, 60, 19}),
        Make(IDC_STATION_IMAGE, K::Edit, "", {62, 7, 313, 19}),
        Label("Checksum:", {7, 24, 60, 34}),
        Make(IDC_STATION_CHECKSUM, K::Static, "", {62, 24, 200, 34}),
        Label("VID", {7, 39, 22, 49}),
        Limited(Make(IDC_STATION_VID, K::Edit, "", {24, 37, 54, 49}), 4),
        Label("PID", {60, 39, 75, 49}),
        Limited(Make(IDC_STATION_PID, K::Edit, "", {77, 37, 107, 49}), 4),
        Label("Serial format:", {7, 54, 60, 64}),
        Make(IDC_STATION_SERIAL_FORMAT, K::Edit, "", {62, 52, 160, 64}),
        Label("from", {165, 54, 185, 64}),
        Limited(Make(IDC_STATION_SERIAL_START, K::Edit, "", {187, 52, 247, 64}), 12),
        Label("Count:", {252, 54, 275, 64}),
        Limited(Make(IDC_STATION_COUNT, K::Edit, "", {277, 52, 313, 64}), 6),
        Label("Serials:", {7, 69, 60, 79}),
        Make(IDC_STATION_SERIAL_SOURCE, K::Static, "", {62, 69, 200, 79}),
        Label("Next:", {205, 69, 228, 79}),
        Make(IDC_STATION_NEXT_SERIAL, K::Static, "", {230, 69, 313, 79}),
        Label("Simulated units:", {7, 84, 70, 94}),
        Limited(Make(IDC_STATION_SIM_UNITS, K::Edit, "", {72, 82, 102, 94}), 6),
        Label("at a time:", {107, 84, 145, 94}),
        Limited(Make(IDC_STATION_SIM_PARALLEL, K::Edit, "", {147, 82, 177, 94}), 2),
        Label("Log file:", {7, 99, 60, 109}),
        Make(IDC_STATION_LOG, K::Edit, "", {62, 97, 313, 109}),
        // One row per port, or per slot of a simulated line.
        Make(IDC_STATION_SLOTS, K::ListBox, "", {7, 114, 313, 204}),
        Make(IDC_STATION_COUNTS, K::Static, "", {7, 208, 313, 218}),
        Make(IDC_STATION_STATUS, K::Static, "", {7, 223, 196, 243}),
        Make(IDC_STATION_START, K::PushButton, "Start", {203, 226, 253, 240}),
        Disabled(Make(IDC_STATION_STOP, K::PushButton, "Stop", {258, 226, 313, 240})),
    };
    return d;
}

}  // namespace tovrik
