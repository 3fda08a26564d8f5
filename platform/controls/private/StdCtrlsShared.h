// Inside the standard controls: what their units share, text measured outside painting and mouse
// messages handed on to a wrapped Qt widget.
#pragma once

#include "platform/controls/Controls.h"
#include "platform/graphics/Graphics.h"

// The size of text in a font, measured on the screen's context (a control's canvas draws only while
// it paints).
inline TSize MeasureText(TFont* font, const String& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->GetHandle());
  TSize size{0, 0};
  GetTextExtentPoint32(dc, text.c_str(), static_cast<Integer>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}
