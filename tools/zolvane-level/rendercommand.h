#pragma once

// zolvane-level render: level files drawn as the editor's grid shows them, each written in the picture
// format its name asks for.

#include "levelcli.h"

#include <iosfwd>
#include <string>

extern const char* const RenderHelp;

// The render command with its arguments parsed; the files are Parsed.Positional.
int RenderLevelFiles(const TParsed& Parsed, const std::string& DefaultImagesDir, std::ostream& Err);
