#pragma once

#include <QImage>

#include <string>

// Loads a BMP file. Throws EToolkitError with the toolkit's words:
//   a file that cannot be opened:        Cannot open file "FULLPATH". <the system's reason>
//   a file cut short inside its headers or pixel rows:  Stream read error
//   anything else that is not a bitmap:  Bitmap image is not valid
// An empty file (0 bytes) loads as an empty (null, 0 x 0) picture.
QImage LoadBitmapFile(const std::string& FileName);
