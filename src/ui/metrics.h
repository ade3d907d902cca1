#pragma once
// Sizes given in twips (1/1440 inch; 15 to a pixel at 96 dots per inch),
// turned into pixels for this screen.

#include <QFont>
#include <QRect>

namespace vt::ui {

// Pixels for `twips`, scaled up on screens with more than 96 logical dots
// per inch (Qt already scales device pixels where the desktop asks it to).
int Twips(int twips);
QRect TwipsRect(int left, int top, int width, int height);

// The platform's default sans font at `points`, standing in for MS Sans Serif.
QFont SansFont(double points, bool bold = false);

// Courier New at `points` (or the font the system puts in its place) when
// its characters are all one width, else the first monospaced font found.
QFont FixedFont(double points);

// Whether every character of `font` takes the same width.
bool Monospaced(const QFont& font);

}  // namespace vt::ui
