// SPDX-License-Identifier: MIT
#pragma once
// A planted violation the layering check must reject: platform includes app.
#include "app/shell.h"
