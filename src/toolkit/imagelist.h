#pragma once

#include <QIcon>
#include <QImage>

#include <vector>

// A list of pictures of one fixed size, as toolbars and palettes use them. Every image is opaque: a
// picture's pixels are copied onto the list's black background, with no mask and no transparent colour.
class TImageList {
public:
    TImageList(int Width, int Height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // A picture of exactly the list's size becomes one image. A wider one is cut into as many images as
    // whole widths fit into it (a taller one keeps its top rows); the index of the first, leftmost piece
    // is returned. A picture narrower or lower than the list's size throws EToolkitError
    // "Invalid image size" and adds nothing.
    int Add(const QImage& Image);

    // Throws EToolkitError "List index out of bounds (Index)" for an index outside 0 .. Count() - 1.
    const QImage& Image(int Index) const;
    QIcon Icon(int Index) const;

private:
    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;
};
