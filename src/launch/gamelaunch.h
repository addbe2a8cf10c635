#pragma once

#include <string>

// Starts Program with the single argument Argument and WorkDir as its working directory, without waiting
// for it and without leaving a zombie behind. Returns 0 once the program runs, otherwise the operating
// system's error code for the failed start (on POSIX the errno of chdir or exec: 2 for a missing program,
// 13 for one that may not be run). Owner is the window that owns the start on Windows (HWND), or nullptr.
int StartProgram(const std::string& Program, const std::string& Argument, const std::string& WorkDir,
                 void* Owner = nullptr);
