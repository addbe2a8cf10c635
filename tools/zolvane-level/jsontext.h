#pragma once

// Text from a level file in quotes, for JSON and for the terminal. A trailer's bytes are meant as UTF-8
// but may be anything: every byte that is not part of a well-formed sequence becomes one U+FFFD, as in the
// editor's caption.

#include <string>
#include <string_view>

// A JSON string: quotes, backslashes and control characters escaped, U+FFFD written as \ufffd, so that
// the result is valid UTF-8 whatever Text holds.
std::string JsonString(std::string_view Text);

// The same with U+FFFD written as the character itself, for people to read.
std::string ShownString(std::string_view Text);
