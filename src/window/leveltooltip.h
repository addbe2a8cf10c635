#pragma once

// The level list's tool tip: the level's field as the grid shows it, with the level's text under it.

#include <QString>

#include <string>

struct TFieldPictures;

// Rich text for the level file Path: the field drawn by the field painter at full size, and the trailer
// text, if any, under it. A file that cannot be read gives a line saying why.
QString LevelToolTip(const std::string& Path, const TFieldPictures& Pictures);
