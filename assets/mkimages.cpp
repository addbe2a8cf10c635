// Draws the editor's pictures: the brick and power-up pictures, the tool pictures and the application
// icon, written as BMP files. Everything is drawn here from shapes and a tiny pixel font, so a picture is
// changed by changing this program and rebuilding.
//
//   zolvane-mkimages OUTDIR                        writes every picture into OUTDIR
//   zolvane-mkimages --contact-sheet FILE.bmp      writes one sheet of all pictures, enlarged 4x
//
// The catalogue pictures are opaque 24-bit BMPs: the palettes and the grid copy every pixel, so their
// background is the palettes' black. Tool pictures and the icon carry an alpha channel (32-bit BMP).

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double Pi = std::numbers::pi;

struct Rgba {
    double R = 0, G = 0, B = 0, A = 1;
};

Rgba rgb(int R, int G, int B)
{
    return {R / 255.0, G / 255.0, B / 255.0, 1};
}

Rgba mix(const Rgba& A, const Rgba& B, double T)
{
    return {A.R + (B.R - A.R) * T, A.G + (B.G - A.G) * T, A.B + (B.B - A.B) * T, A.A + (B.A - A.A) * T};
}

Rgba lighter(const Rgba& C, double T)
{
    return mix(C, rgb(255, 255, 255), T);
}
Rgba darker(const Rgba& C, double T)
{
    return mix(C, rgb(0, 0, 0), T);
}

class Canvas {
public:
    Canvas(int W, int H, Rgba Background = {0, 0, 0, 0}) : Width(W), Height(H), Pixels(std::size_t(W * H), Background)
    {
    }

    int Width;
    int Height;

    Rgba& at(int X, int Y) { return Pixels[std::size_t(Y * Width + X)]; }
    const Rgba& at(int X, int Y) const { return Pixels[std::size_t(Y * Width + X)]; }
    bool contains(int X, int Y) const { return X >= 0 && Y >= 0 && X < Width && Y < Height; }

    void set(int X, int Y, const Rgba& C)
    {
        if (contains(X, Y))
            at(X, Y) = C;
    }

    // Source-over blending with an extra coverage factor.
    void blend(int X, int Y, const Rgba& C, double Coverage = 1)
    {
        if (!contains(X, Y))
            return;
        const double A = std::clamp(C.A * Coverage, 0.0, 1.0);
        if (A <= 0)
            return;
        Rgba& D = at(X, Y);
        const double OutA = A + D.A * (1 - A);
        auto channel = [&](double S, double T) { return (S * A + T * D.A * (1 - A)) / OutA; };
        D = {channel(C.R, D.R), channel(C.G, D.G), channel(C.B, D.B), OutA};
    }

    void fillRect(int X, int Y, int W, int H, const Rgba& C)
    {
        for (int Yy = Y; Yy < Y + H; ++Yy)
            for (int Xx = X; Xx < X + W; ++Xx)
                set(Xx, Yy, C);
    }

    // Anti-aliased shape: Inside(x, y) is sampled 4x4 per pixel; Colour(x, y) gives the paint at a pixel.
    void paint(const std::function<bool(double, double)>& Inside, const std::function<Rgba(double, double)>& Colour)
    {
        for (int Y = 0; Y < Height; ++Y)
            for (int X = 0; X < Width; ++X) {
                int Hits = 0;
                for (int Sy = 0; Sy < 4; ++Sy)
                    for (int Sx = 0; Sx < 4; ++Sx)
                        Hits += Inside(X + (Sx + 0.5) / 4, Y + (Sy + 0.5) / 4) ? 1 : 0;
                if (Hits > 0)
                    blend(X, Y, Colour(X + 0.5, Y + 0.5), Hits / 16.0);
            }
    }

    void paint(const std::function<bool(double, double)>& Inside, const Rgba& C)
    {
        paint(Inside, [C](double, double) { return C; });
    }

    void draw(const Canvas& Source, int Left, int Top, int Scale = 1)
    {
        for (int Y = 0; Y < Source.Height * Scale; ++Y)
            for (int X = 0; X < Source.Width * Scale; ++X)
                blend(Left + X, Top + Y, Source.at(X / Scale, Y / Scale));
    }

private:
    std::vector<Rgba> Pixels;
};

std::uint8_t byteOf(double V)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(V, 0.0, 1.0) * 255));
}

void put16(std::vector<std::uint8_t>& Out, unsigned V)
{
    Out.push_back(static_cast<std::uint8_t>(V));
    Out.push_back(static_cast<std::uint8_t>(V >> 8));
}

void put32(std::vector<std::uint8_t>& Out, std::uint32_t V)
{
    put16(Out, V & 0xFFFF);
    put16(Out, V >> 16);
}

// Bottom-up BMP. 24-bit pictures use the plain 40-byte header; 32-bit ones a version 4 header with
// bit fields, which is how a BMP says that its fourth byte is alpha.
bool writeBmp(const std::string& FileName, const Canvas& Image, bool WithAlpha)
{
    const int BytesPerPixel = WithAlpha ? 4 : 3;
    const int RowSize = (Image.Width * BytesPerPixel + 3) / 4 * 4;
    const std::uint32_t InfoSize = WithAlpha ? 108 : 40;
    const std::uint32_t DataOffset = 14 + InfoSize;
    const auto DataSize = static_cast<std::uint32_t>(RowSize * Image.Height);

    std::vector<std::uint8_t> Out;
    Out.push_back('B');
    Out.push_back('M');
    put32(Out, DataOffset + DataSize);
    put32(Out, 0);
    put32(Out, DataOffset);
    put32(Out, InfoSize);
    put32(Out, static_cast<std::uint32_t>(Image.Width));
    put32(Out, static_cast<std::uint32_t>(Image.Height));
    put16(Out, 1);
    put16(Out, unsigned(BytesPerPixel * 8));
    put32(Out, WithAlpha ? 3 : 0); // BI_BITFIELDS : BI_RGB
    put32(Out, DataSize);
    put32(Out, 2835); // 72 dpi
    put32(Out, 2835);
    put32(Out, 0);
    put32(Out, 0);
    if (WithAlpha) {
        put32(Out, 0x00FF0000);
        put32(Out, 0x0000FF00);
        put32(Out, 0x000000FF);
        put32(Out, 0xFF000000);
        put32(Out, 0x73524742); // 'sRGB'
        for (int I = 0; I < 12; ++I)
            put32(Out, 0); // end points and gamma, unused with sRGB
    }
    for (int Y = Image.Height - 1; Y >= 0; --Y) {
        for (int X = 0; X < Image.Width; ++X) {
            const Rgba& P = Image.at(X, Y);
            // 24-bit pictures have no alpha: composite onto black, the palettes' background.
            const double A = WithAlpha ? 1 : P.A;
            Out.push_back(byteOf(P.B * A));
            Out.push_back(byteOf(P.G * A));
            Out.push_back(byteOf(P.R * A));
            if (WithAlpha)
                Out.push_back(byteOf(P.A));
        }
        for (int Pad = Image.Width * BytesPerPixel; Pad < RowSize; ++Pad)
            Out.push_back(0);
    }
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(Out.data()), static_cast<std::streamsize>(Out.size()));
    File.close();
    return bool(File);
}

// ---------------------------------------------------------------------------------------------------------
// Bricks, 15 x 9

// Ordinary bricks: the variant picks the colour family; the hit count is told twice, by as many studs along
// the top face and by how deep the colour is. The studs sit in the top three rows because that is the part
// of a doubled brick a power-up badge leaves showing (the badge covers the cell from 7, 7 on).
Canvas drawBrick(const Rgba& Base, int Hits)
{
    Canvas C(15, 9, rgb(0, 0, 0));
    const Rgba Body = darker(Base, 0.18 * (Hits - 1));
    for (int Y = 0; Y < 9; ++Y)
        for (int X = 0; X < 15; ++X) {
            // soft vertical light, brightest just below the top edge
            const double T = (Y - 1) / 7.0;
            C.set(X, Y, T < 0.5 ? lighter(Body, 0.12 * (1 - 2 * T)) : darker(Body, 0.22 * (2 * T - 1)));
        }
    const Rgba Outline = darker(Body, 0.6);
    for (int X = 0; X < 15; ++X) {
        C.set(X, 0, Outline);
        C.set(X, 8, darker(Body, 0.72));
    }
    for (int Y = 0; Y < 9; ++Y) {
        C.set(0, Y, Outline);
        C.set(14, Y, darker(Body, 0.72));
    }
    for (int X = 1; X < 14; ++X) {
        C.set(X, 1, lighter(Body, 0.2));
        C.set(X, 7, darker(Body, 0.38));
    }
    for (int Y = 1; Y < 8; ++Y) {
        C.set(1, Y, lighter(Body, 0.2));
        C.set(13, Y, darker(Body, 0.3));
    }

    // studs, 3 pixels wide on a 4-pixel pitch, centred: a bright button with its shadow below and to the
    // right, so neighbours stay apart even at the palettes' own size
    const int First = 6 - 2 * (Hits - 1);
    for (int Stud = 0; Stud < Hits; ++Stud) {
        const int Left = First + 4 * Stud;
        for (int X = Left; X < Left + 3; ++X) {
            C.set(X, 2, lighter(Body, X == Left ? 0.95 : 0.8));
            C.set(X, 3, lighter(Body, 0.5));
            C.set(X + 1, 4, darker(Body, 0.35));
        }
        for (int Y = 2; Y <= 3; ++Y)
            C.set(Left + 3, Y, darker(Body, 0.35));
    }

    // the corners sit back a little, so the brick reads as a block and not as a flat label
    for (auto [X, Y] : std::array<std::pair<int, int>, 4>{{{0, 0}, {14, 0}, {0, 8}, {14, 8}}})
        C.set(X, Y, darker(Body, 0.85));
    return C;
}

// The fixed brick: brushed steel with a bright sheen and four rivets.
Canvas drawFixedBrick()
{
    Canvas C(15, 9, rgb(0, 0, 0));
    for (int Y = 0; Y < 9; ++Y)
        for (int X = 0; X < 15; ++X) {
            // steel: a vertical ramp with a diagonal sheen band and a faint brushed stripe pattern
            double V = 0.78 - 0.05 * Y;
            const double Diagonal = (X - 2.0 * Y) - 1.0;
            V += 0.22 * std::exp(-Diagonal * Diagonal / 6.0);
            V += (Y % 2 == 0) ? 0.03 : -0.02;
            const Rgba Steel = {V * 0.93, V * 0.96, V * 1.04, 1};
            C.set(X, Y, Steel);
        }
    for (int X = 0; X < 15; ++X) {
        C.set(X, 0, rgb(235, 240, 248));
        C.set(X, 8, rgb(52, 56, 64));
    }
    for (int Y = 0; Y < 9; ++Y) {
        C.set(0, Y, rgb(215, 220, 230));
        C.set(14, Y, rgb(60, 64, 72));
    }
    C.set(14, 0, rgb(150, 155, 165));
    C.set(0, 8, rgb(120, 125, 135));
    // rivets: a dark shadow to the lower right and a bright head
    for (auto [X, Y] : std::array<std::pair<int, int>, 4>{{{2, 2}, {12, 2}, {2, 6}, {12, 6}}}) {
        C.set(X + 1, Y, rgb(70, 74, 82));
        C.set(X, Y + 1, rgb(70, 74, 82));
        C.set(X + 1, Y + 1, rgb(45, 48, 55));
        C.set(X, Y, rgb(250, 252, 255));
    }
    return C;
}

// ---------------------------------------------------------------------------------------------------------
// Power-ups, 23 x 11: a capsule with its letter

const std::array<const char*, 5> GlyphS = {".####", "#....", ".###.", "....#", "####."};
const std::array<const char*, 5> GlyphE = {"#####", "#....", "####.", "#....", "#####"};
const std::array<const char*, 5> GlyphL = {"#....", "#....", "#....", "#....", "#####"};
const std::array<const char*, 5> GlyphF = {"#####", "#....", "####.", "#....", "#...."};
const std::array<const char*, 5> GlyphI = {"#####", "..#..", "..#..", "..#..", "#####"};
const std::array<const char*, 5> GlyphW = {"#...#", "#...#", "#.#.#", "#.#.#", ".#.#."};

// Cells are copied opaquely over the brick, so a power-up covers its whole rectangle. Its edge is two
// rings, a pale halo outside a dark keyline: whatever the brick beneath, one of the two stands out from it.
// Inside them a capsule of the power-up's colour with darker end caps carries the letter.
Canvas drawPowerUp(const Rgba& Base, const std::array<const char*, 5>& Glyph, const Rgba& Ink)
{
    const Rgba Halo = lighter(Base, 0.72);
    const Rgba Keyline = darker(Base, 0.72);
    Canvas C(23, 11, Halo);
    C.fillRect(1, 1, 21, 9, Keyline);
    for (int Y = 2; Y < 9; ++Y)
        for (int X = 2; X < 21; ++X) {
            // lit from above: bright top, the colour itself in the middle, deep at the bottom
            const double T = (Y - 2) / 6.0;
            const Rgba Body = T < 0.45 ? lighter(Base, 0.35 * (1 - T / 0.45)) : darker(Base, 0.35 * (T - 0.45) / 0.55);
            const bool Cap = X <= 4 || X >= 18;
            C.set(X, Y, Cap ? darker(Body, 0.3) : Body);
        }
    // the seams between the caps and the body
    for (int Y = 2; Y < 9; ++Y) {
        C.set(5, Y, darker(Base, 0.5));
        C.set(17, Y, darker(Base, 0.5));
    }
    // the rings' corners turn in, so the badge reads rounded without leaving the rectangle
    for (auto [X, Y] : std::array<std::pair<int, int>, 4>{{{0, 0}, {22, 0}, {0, 10}, {22, 10}}})
        C.set(X, Y, Keyline);
    for (auto [X, Y] : std::array<std::pair<int, int>, 4>{{{2, 2}, {20, 2}, {2, 8}, {20, 8}}})
        C.set(X, Y, Keyline);

    // the letter, with an edge one pixel to the lower right so it stands off the capsule: a shadow under
    // light ink, a highlight under dark ink
    const bool DarkInk = Ink.R + Ink.G + Ink.B < Base.R + Base.G + Base.B;
    const Rgba Shadow = DarkInk ? lighter(Base, 0.6) : darker(Base, 0.7);
    for (int Pass = 0; Pass < 2; ++Pass)
        for (int Gy = 0; Gy < 5; ++Gy)
            for (int Gx = 0; Gx < 5; ++Gx)
                if (Glyph[std::size_t(Gy)][Gx] == '#') {
                    if (Pass == 0)
                        C.blend(9 + Gx + 1, 3 + Gy + 1, Shadow, 0.8);
                    else
                        C.set(9 + Gx, 3 + Gy, Ink);
                }
    return C;
}

// ---------------------------------------------------------------------------------------------------------
// Tool pictures, 16 x 16, and the icon, 32 x 32

// A rectangle of half extents Hw, Hh centred at (Cx, Cy) and turned by Angle (radians).
std::function<bool(double, double)> turnedRect(double Cx, double Cy, double Hw, double Hh, double Angle)
{
    return [=](double X, double Y) {
        const double Dx = X - Cx, Dy = Y - Cy;
        const double U = Dx * std::cos(Angle) + Dy * std::sin(Angle);
        const double V = -Dx * std::sin(Angle) + Dy * std::cos(Angle);
        return std::abs(U) <= Hw && std::abs(V) <= Hh;
    };
}

std::function<bool(double, double)> polygon(std::vector<std::pair<double, double>> Points)
{
    return [Points = std::move(Points)](double X, double Y) {
        bool In = false;
        for (std::size_t I = 0, J = Points.size() - 1; I < Points.size(); J = I++) {
            const auto [Xi, Yi] = Points[I];
            const auto [Xj, Yj] = Points[J];
            if ((Yi > Y) != (Yj > Y) && X < (Xj - Xi) * (Y - Yi) / (Yj - Yi) + Xi)
                In = !In;
        }
        return In;
    };
}

std::function<bool(double, double)> circle(double Cx, double Cy, double R)
{
    return [=](double X, double Y) { return (X - Cx) * (X - Cx) + (Y - Cy) * (Y - Cy) <= R * R; };
}

std::vector<std::pair<double, double>> starPoints(double Cx, double Cy, double Outer, double Inner)
{
    std::vector<std::pair<double, double>> P;
    for (int I = 0; I < 10; ++I) {
        const double A = -Pi / 2 + I * Pi / 5;
        const double R = (I % 2 == 0) ? Outer : Inner;
        P.emplace_back(Cx + R * std::cos(A), Cy + R * std::sin(A));
    }
    return P;
}

Canvas drawEraser()
{
    Canvas C(16, 16);
    const double A = -Pi / 4;
    C.paint(turnedRect(8, 8.5, 7.2, 3.8, A), rgb(70, 60, 80));
    // rubber half (lower left) and the blue sleeve half (upper right)
    C.paint(turnedRect(5.6, 10.9, 3.4, 2.9, A),
            [](double, double Y) { return mix(rgb(255, 190, 200), rgb(235, 120, 140), (Y - 6) / 9); });
    C.paint(turnedRect(10.3, 6.2, 3.6, 2.9, A),
            [](double, double Y) { return mix(rgb(140, 190, 255), rgb(50, 100, 210), (Y - 2) / 9); });
    C.paint(turnedRect(8, 8.5, 0.5, 2.9, A), rgb(255, 255, 255));
    // a few crumbs
    C.set(2, 14, rgb(235, 120, 140));
    C.set(4, 15, rgb(235, 120, 140));
    return C;
}

Canvas drawPencil()
{
    Canvas C(16, 16);
    const double A = -Pi / 4;
    C.paint(turnedRect(9.4, 6.6, 5.2, 2.6, A), rgb(110, 20, 20));
    C.paint(turnedRect(9.4, 6.6, 5.0, 1.8, A), [](double X, double Y) {
        // the body is lit along one long side
        const double Side = (X + Y - 16) / 3.0;
        return Side < 0 ? rgb(240, 70, 60) : rgb(190, 30, 30);
    });
    // silver ferrule and pink rubber at the far end
    C.paint(turnedRect(13.3, 2.7, 1.1, 2.4, A), rgb(200, 200, 210));
    C.paint(turnedRect(14.5, 1.5, 0.9, 2.2, A), rgb(250, 150, 170));
    // sharpened wood and graphite tip
    C.paint(polygon({{3.2, 10.3}, {5.6, 12.8}, {1.2, 14.8}}), rgb(110, 70, 40));
    C.paint(polygon({{3.6, 10.6}, {5.3, 12.4}, {1.5, 14.5}}), rgb(240, 200, 140));
    C.paint(polygon({{2.2, 12.8}, {3.2, 13.8}, {1.0, 15.0}}), rgb(40, 40, 50));
    return C;
}

Canvas drawNewSheet()
{
    Canvas C(16, 16);
    const auto Sheet = polygon({{3, 1}, {10.5, 1}, {14, 4.5}, {14, 15}, {3, 15}});
    C.paint(Sheet, rgb(60, 100, 150));
    C.paint(polygon({{4, 2}, {10, 2}, {13, 5}, {13, 14}, {4, 14}}),
            [](double X, double Y) { return mix(rgb(235, 248, 255), rgb(160, 205, 240), (X + Y) / 28); });
    // the turned-down corner
    C.paint(polygon({{10, 1.5}, {10, 5}, {13.5, 5}}), rgb(120, 165, 210));
    // a red and yellow star at the upper left
    C.paint(polygon(starPoints(5, 5.2, 5.2, 2.3)), rgb(210, 30, 30));
    C.paint(polygon(starPoints(5, 5.4, 3.4, 1.4)), rgb(255, 220, 40));
    return C;
}

Canvas drawFloppy()
{
    Canvas C(16, 16);
    const auto Body = polygon({{1, 1}, {13, 1}, {15, 3}, {15, 15}, {1, 15}});
    C.paint(Body, rgb(50, 20, 80));
    C.paint(polygon({{2, 2}, {12.6, 2}, {14, 3.4}, {14, 14}, {2, 14}}),
            [](double, double Y) { return mix(rgb(170, 110, 230), rgb(100, 50, 160), Y / 15); });
    // metal shutter with its window
    C.paint([](double X, double Y) { return X >= 4 && X <= 12 && Y >= 1 && Y <= 6; }, rgb(205, 210, 220));
    C.paint([](double X, double Y) { return X >= 9 && X <= 11 && Y >= 2 && Y <= 5; }, rgb(70, 60, 90));
    // white label
    C.paint([](double X, double Y) { return X >= 3.5 && X <= 12.5 && Y >= 8.5 && Y <= 14; }, rgb(250, 250, 255));
    for (int Y : {10, 12})
        for (int X = 5; X <= 11; ++X)
            C.set(X, Y, rgb(170, 160, 200));
    return C;
}

Canvas drawRunButton()
{
    Canvas C(16, 16);
    C.paint(circle(8, 8, 7.6), rgb(20, 90, 30));
    C.paint(circle(8, 8, 6.7), [](double X, double Y) {
        const double T = std::clamp(((X - 3) + (Y - 2)) / 20.0, 0.0, 1.0);
        return mix(rgb(130, 230, 120), rgb(30, 140, 45), T);
    });
    C.paint(polygon({{4.2, 6.6}, {8, 6.6}, {8, 3.8}, {12.4, 8}, {8, 12.2}, {8, 9.4}, {4.2, 9.4}}), rgb(255, 255, 255));
    return C;
}

// Shape tools. The cell: one square painted into a faint patch of grid.
Canvas drawCellShape()
{
    Canvas C(16, 16);
    for (int Line : {2, 13})
        for (int I = 0; I < 16; ++I) {
            C.set(Line, I, rgb(150, 160, 180));
            C.set(I, Line, rgb(150, 160, 180));
        }
    C.paint([](double X, double Y) { return X >= 4 && X <= 12 && Y >= 4 && Y <= 12; }, rgb(120, 30, 20));
    C.paint([](double X, double Y) { return X >= 5 && X <= 11 && Y >= 5 && Y <= 11; },
            [](double X, double Y) { return mix(rgb(255, 140, 100), rgb(200, 50, 30), (X + Y - 10) / 12); });
    return C;
}

// The rectangle: a hollow outline with solid corner marks, the corners a drag spans.
Canvas drawRectangleShape()
{
    Canvas C(16, 16);
    const auto Frame = [](double X, double Y) {
        const bool Outer = X >= 1 && X <= 15 && Y >= 3 && Y <= 13;
        const bool Inner = X > 3 && X < 13 && Y > 5 && Y < 11;
        return Outer && !Inner;
    };
    C.paint(Frame, [](double X, double Y) { return mix(rgb(120, 180, 255), rgb(30, 80, 190), (X + Y - 4) / 24); });
    C.paint([&](double X, double Y) { return X > 1.8 && X < 14.2 && Y > 3.8 && Y < 12.2 && Frame(X, Y); },
            [](double X, double Y) { return mix(rgb(170, 210, 255), rgb(60, 120, 230), (X + Y - 4) / 24); });
    for (auto [X, Y] : std::array<std::pair<int, int>, 2>{{{0, 2}, {13, 11}}})
        C.fillRect(X, Y, 3, 3, rgb(20, 40, 100));
    return C;
}

// The fill: a paint bucket tipped to the left, paint running from its lip.
Canvas drawBucket()
{
    Canvas C(16, 16);
    // Shapes are given upright around the bucket's middle and turned into place.
    const double Cx = 9.2, Cy = 8.6, A = -0.6;
    const auto turned = [=](std::function<bool(double, double)> Upright) {
        return [=](double X, double Y) {
            const double Dx = X - Cx, Dy = Y - Cy;
            return Upright(Dx * std::cos(A) + Dy * std::sin(A), -Dx * std::sin(A) + Dy * std::cos(A));
        };
    };
    const auto Handle = [](double X, double Y) {
        const double D = std::hypot(X, Y + 2.4);
        return Y < -2.4 && D >= 4.0 && D <= 5.1;
    };
    C.paint(turned(Handle), rgb(60, 60, 70));
    C.paint(turned(polygon({{-5.2, -3.0}, {5.2, -3.0}, {4.0, 5.6}, {-4.0, 5.6}})), rgb(40, 50, 70));
    C.paint(turned(polygon({{-4.3, -2.4}, {4.3, -2.4}, {3.2, 4.7}, {-3.2, 4.7}})),
            [](double X, double Y) { return mix(rgb(235, 238, 245), rgb(125, 135, 155), (X + Y - 8) / 14); });
    const auto Mouth = [](double Rx, double Ry) {
        return [=](double X, double Y) { return X * X / (Rx * Rx) + (Y + 2.6) * (Y + 2.6) / (Ry * Ry) <= 1; };
    };
    C.paint(turned(Mouth(4.47, 1.34)), rgb(40, 50, 70));
    C.paint(turned(Mouth(3.6, 0.95)), rgb(40, 150, 230));
    // the paint running down from the lower lip, and its drop
    C.paint(polygon({{1.6, 5.0}, {4.4, 6.0}, {3.0, 11.6}, {1.0, 11.6}}), rgb(40, 150, 230));
    C.paint(circle(1.9, 13.4, 1.7), rgb(40, 150, 230));
    C.set(1, 13, rgb(190, 230, 255));
    return C;
}

// The mirror: a shape and its mirror image either side of a dashed middle line.
Canvas drawMirror()
{
    Canvas C(16, 16);
    C.paint(polygon({{0.5, 3}, {6.5, 8}, {0.5, 13}}), rgb(120, 50, 10));
    C.paint(polygon({{1.5, 5.2}, {5.0, 8}, {1.5, 10.8}}),
            [](double, double Y) { return mix(rgb(255, 200, 90), rgb(230, 120, 20), (Y - 5) / 6); });
    C.paint(polygon({{15.5, 3}, {9.5, 8}, {15.5, 13}}), rgb(120, 50, 10));
    C.paint(polygon({{14.5, 5.2}, {11.0, 8}, {14.5, 10.8}}),
            [](double, double Y) { return mix(rgb(255, 230, 170), rgb(240, 170, 80), (Y - 5) / 6); });
    for (int Y = 0; Y < 16; ++Y)
        if (Y % 4 != 3) {
            C.set(7, Y, rgb(30, 40, 80));
            C.set(8, Y, rgb(90, 110, 200));
        }
    return C;
}

// Pick: an eyedropper, its bulb at the top right and a drop of colour at the tip.
Canvas drawEyedropper()
{
    Canvas C(16, 16);
    const double A = -Pi / 4;
    C.paint(turnedRect(7.0, 9.0, 5.0, 1.6, A), rgb(40, 50, 70));
    C.paint(turnedRect(7.0, 9.0, 4.6, 0.9, A),
            [](double X, double Y) { return mix(rgb(230, 245, 255), rgb(150, 190, 220), (X - Y + 6) / 12); });
    C.paint(turnedRect(11.6, 4.4, 1.4, 2.6, A), rgb(60, 60, 70));
    C.paint(circle(13.0, 3.0, 2.8), rgb(110, 20, 30));
    C.paint(circle(13.0, 3.0, 2.1),
            [](double X, double Y) { return mix(rgb(240, 90, 90), rgb(170, 30, 40), (X + Y - 12) / 6); });
    C.paint(circle(2.6, 13.4, 1.6), rgb(40, 150, 230));
    return C;
}

// Select: a dashed frame of dark and light dashes, as the field outlines a selection, and the pointer that
// drags it.
Canvas drawSelection()
{
    Canvas C(16, 16);
    for (int Y = 1; Y <= 11; ++Y)
        for (int X = 1; X <= 12; ++X) {
            const bool OnFrame = X <= 2 || X >= 11 || Y <= 2 || Y >= 10;
            if (OnFrame)
                C.set(X, Y, ((X + Y) / 3) % 2 == 0 ? rgb(30, 40, 80) : rgb(150, 190, 255));
        }
    const auto Arrow = polygon({{8, 7}, {8, 15.6}, {10.1, 13.5}, {11.7, 16}, {13.4, 15.2}, {11.8, 12.7}, {14.8, 12.7}});
    C.paint(Arrow, rgb(20, 20, 30));
    C.paint(polygon({{9, 9.4}, {9, 13.3}, {10.4, 11.9}, {12.2, 14.6}, {12.5, 14.4}, {10.8, 11.7}, {12.6, 11.7}}),
            rgb(255, 255, 255));
    return C;
}

// The application icon: a paddle, a ball and a wall of the catalogue's bricks on a night-blue tile.
Canvas drawIcon(const std::vector<Canvas>& Bricks)
{
    Canvas C(32, 32);
    const auto Tile = [](double X, double Y) {
        const double Dx = std::max({0.0, 4 - X, X - 28}), Dy = std::max({0.0, 4 - Y, Y - 28});
        return X >= 0 && Y >= 0 && X <= 32 && Y <= 32 && Dx * Dx + Dy * Dy <= 16;
    };
    C.paint(Tile, [](double, double Y) { return mix(rgb(30, 40, 90), rgb(10, 12, 35), Y / 32); });
    // three rows of bricks cut down to 9 x 5 each
    for (int Row = 0; Row < 3; ++Row)
        for (int Col = 0; Col < 3; ++Col) {
            const Canvas& B = Bricks[std::size_t(Row * 3 + Col)];
            for (int Y = 0; Y < 5; ++Y)
                for (int X = 0; X < 9; ++X) {
                    const int Sx = X < 4 ? X : X + 6, Sy = Y < 2 ? Y : Y + 4;
                    C.set(3 + Col * 9 + X, 4 + Row * 5 + Y, B.at(Sx, Sy));
                }
        }
    C.paint(circle(19, 22, 2.2),
            [](double X, double Y) { return mix(rgb(255, 255, 255), rgb(170, 180, 200), (X + Y - 38) / 5 + 0.5); });
    C.paint(turnedRect(14, 27.5, 6, 1.4, 0),
            [](double, double Y) { return mix(rgb(255, 220, 120), rgb(220, 130, 20), (Y - 26) / 3); });
    return C;
}

struct Picture {
    std::string FileName;
    Canvas Image;
    bool Alpha;
};

std::vector<Picture> drawAll()
{
    // variant colour families: ember red, cobalt blue, jade green
    const std::array<Rgba, 3> Families = {rgb(222, 62, 44), rgb(44, 112, 226), rgb(40, 170, 84)};
    std::vector<Picture> All;
    std::vector<Canvas> Bricks;
    for (int Hits = 1; Hits <= 3; ++Hits)
        for (int Variant = 1; Variant <= 3; ++Variant) {
            char Name[32];
            std::snprintf(Name, sizeof Name, "brick%03d.bmp", 3 * (Hits - 1) + Variant);
            Bricks.push_back(drawBrick(Families[std::size_t(Variant - 1)], Hits));
            All.push_back({Name, Bricks.back(), false});
        }
    All.push_back({"brick_fixed.bmp", drawFixedBrick(), false});
    const Rgba White = rgb(255, 255, 255);
    All.push_back({"pu_blue.bmp", drawPowerUp(rgb(40, 100, 235), GlyphS, White), false});
    All.push_back({"pu_vio.bmp", drawPowerUp(rgb(150, 60, 210), GlyphE, White), false});
    All.push_back({"pu_yellow.bmp", drawPowerUp(rgb(245, 200, 30), GlyphL, rgb(90, 50, 0)), false});
    All.push_back({"pu_grey.bmp", drawPowerUp(rgb(150, 155, 165), GlyphF, White), false});
    All.push_back({"pu_green.bmp", drawPowerUp(rgb(40, 175, 70), GlyphI, White), false});
    All.push_back({"pu_braun.bmp", drawPowerUp(rgb(150, 90, 45), GlyphW, White), false});
    All.push_back({"tool_erase.bmp", drawEraser(), true});
    All.push_back({"tool_draw.bmp", drawPencil(), true});
    All.push_back({"tool_new.bmp", drawNewSheet(), true});
    All.push_back({"tool_save.bmp", drawFloppy(), true});
    All.push_back({"tool_run.bmp", drawRunButton(), true});
    All.push_back({"tool_cell.bmp", drawCellShape(), true});
    All.push_back({"tool_rectangle.bmp", drawRectangleShape(), true});
    All.push_back({"tool_fill.bmp", drawBucket(), true});
    All.push_back({"tool_mirror.bmp", drawMirror(), true});
    All.push_back({"tool_pick.bmp", drawEyedropper(), true});
    All.push_back({"tool_select.bmp", drawSelection(), true});
    All.push_back({"zolvane.bmp", drawIcon(Bricks), true});
    return All;
}

// All pictures enlarged 4x, plus a patch of grid drawn the way the editor draws it (bricks doubled into
// 30 x 18 cells, power-ups at their own size at +7, +7), so the pictures can be judged in place.
Canvas contactSheet(const std::vector<Picture>& All)
{
    const int Scale = 4, Gap = 12;
    Canvas Sheet(Gap + 10 * (15 * Scale + Gap), 600, rgb(128, 128, 128));
    int X = Gap, Y = Gap, RowHeight = 0;
    auto place = [&](const Canvas& Image, int S) {
        if (X + Image.Width * S + Gap > Sheet.Width) {
            X = Gap;
            Y += RowHeight + Gap;
            RowHeight = 0;
        }
        for (int Yy = 0; Yy < Image.Height * S; ++Yy)
            for (int Xx = 0; Xx < Image.Width * S; ++Xx)
                Sheet.set(X + Xx, Y + Yy, ((Xx / 8 + Yy / 8) % 2) ? rgb(150, 150, 150) : rgb(110, 110, 110));
        Sheet.draw(Image, X, Y, S);
        X += Image.Width * S + Gap;
        RowHeight = std::max(RowHeight, Image.Height * S);
    };
    for (std::size_t I = 0; I < All.size(); ++I) {
        if (I == 10 || I == 16) {
            X = Sheet.Width;
        }
        place(All[I].Image, Scale);
    }

    // grid patch: 8 x 4 cells, shown 2x
    Canvas Grid(8 * 31 + 1, 4 * 19 + 1, rgb(192, 192, 192));
    const int Layout[4][8][2] = {
        {{10, 0}, {7, 0}, {8, 1}, {9, 0}, {9, 0}, {8, 2}, {7, 0}, {10, 0}},
        {{4, 0}, {5, 3}, {6, 0}, {0, 0}, {0, 4}, {6, 0}, {5, 5}, {4, 0}},
        {{1, 6}, {2, 0}, {3, 0}, {10, 0}, {10, 0}, {3, 0}, {2, 0}, {1, 0}},
        {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {3, 0}, {2, 0}, {1, 2}, {0, 0}},
    };
    for (int R = 0; R < 4; ++R)
        for (int Col = 0; Col < 8; ++Col) {
            const int Left = 1 + Col * 31, Top = 1 + R * 19;
            Grid.fillRect(Left, Top, 30, 18, rgb(255, 255, 255));
            const auto [Brick, PowerUp] = std::pair{Layout[R][Col][0], Layout[R][Col][1]};
            if (Brick > 0)
                Grid.draw(All[std::size_t(Brick - 1)].Image, Left, Top, 2);
            if (PowerUp > 0)
                Grid.draw(All[std::size_t(10 + PowerUp - 1)].Image, Left + 7, Top + 7);
        }
    X = Sheet.Width;
    place(Grid, 2);

    Canvas Cropped(Sheet.Width, Y + RowHeight + Gap);
    Cropped.draw(Sheet, 0, 0);
    return Cropped;
}

} // namespace

int main(int Argc, char** Argv)
{
    const std::vector<Picture> All = drawAll();
    if (Argc == 3 && std::strcmp(Argv[1], "--contact-sheet") == 0) {
        if (!writeBmp(Argv[2], contactSheet(All), false)) {
            std::cerr << "cannot write " << Argv[2] << '\n';
            return 1;
        }
        return 0;
    }
    if (Argc != 2) {
        std::cerr << "usage: " << Argv[0] << " OUTDIR | --contact-sheet FILE.bmp\n";
        return 2;
    }
    const std::string Dir = Argv[1];
    for (const Picture& P : All)
        if (!writeBmp(Dir + "/" + P.FileName, P.Image, P.Alpha)) {
            std::cerr << "cannot write " << Dir << "/" << P.FileName << '\n';
            return 1;
        }
    return 0;
}
