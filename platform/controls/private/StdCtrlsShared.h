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

// A control over a Qt widget lets the widget have the mouse too (the press that checks a box, the
// click on a combo box): TControl's mouse handlers end without the default handling.
inline bool IsMouseMessage(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      return true;
    default:
      return false;
  }
}
