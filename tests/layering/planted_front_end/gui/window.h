// SPDX-License-Identifier: MIT
#pragma once
// A planted violation the layering check must reject: one front end includes another.
#include "cli/commands.h"
