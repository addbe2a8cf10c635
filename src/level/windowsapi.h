#pragma once

// The Windows API as the core's file layer takes it: without the min and max macros, which would break
// std::min and std::max, and without the rarely used parts that slow every build.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif
