#pragma once

#include <string>

// The operating system's text for an error code; 0 means the calling thread's last error. Empty when the
// system has no text for the code.
std::string SystemErrorText(int Code);
