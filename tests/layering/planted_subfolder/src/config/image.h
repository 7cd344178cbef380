// SPDX-License-Identifier: MIT
#pragma once
// A planted violation the layering check must reject: config reaches a transport.
#include "device/sim/chip.h"
