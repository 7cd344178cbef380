// SPDX-License-Identifier: MIT
#pragma once
// Allowed by this tree's own table, which lets platform include app.
#include "app/shell.h"
