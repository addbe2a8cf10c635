#pragma once

#include <stdexcept>
#include <string>

// The silent abort: ends the current operation; the error reporting swallows it without a message.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// An error raised by the toolkit itself (bitmaps, image lists, ...), with the toolkit's English text.
class EToolkitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
