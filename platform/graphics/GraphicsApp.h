// Start-up of the drawing layer: the Qt application object the layer needs (made once, headless
// under tests), the screen's default font and the installed font families.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

// Makes the GUI application object if there is none yet; safe to call many times. Tests call it
// before drawing; the controls layer's TApplication makes its own widgets application instead.
void InitGraphics();
inline void InitGraphicsForTests() { InitGraphics(); }

// The face forms get when they name none, as the screen's default font of the class library.
String DefaultFontName();
Integer DefaultFontHeight();
// Families installed on this system, sorted, as TScreen::Fonts lists them.
std::vector<String> InstalledFontNames();
// Layout is measured at 96 dpi whatever the screen says.
constexpr Integer ScreenPixelsPerInch = 96;
