// SPDX-License-Identifier: MIT
// A planted violation the layering check must reject: the shell asks which system it is.
#if defined(_WIN32)
int shellSystem = 1;
#endif
