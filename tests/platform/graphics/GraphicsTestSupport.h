// Helpers of the drawing tests: a white bitmap to draw on, pixel probes and ink boxes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/GraphicsApp.h"

class GraphicsTest : public ::testing::Test {
 public:
  void SetUp() override { InitGraphicsForTests(); }

  static std::unique_ptr<TBitmap> White(Integer w, Integer h) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->GetCanvas()->GetBrush()->SetColor(clWhite);
    b->GetCanvas()->FillRect(TRect(0, 0, w, h));
    return b;
  }
  // The device pixel, whatever mapping the canvas has (rows are B, G, R and A but for pf24bit).
  static TColor At(TBitmap* b, Integer x, Integer y) {
    const auto* row = static_cast<const Byte*>(b->GetScanLine(y));
    const Byte* p = row + (b->GetPixelFormat() == pf24bit ? 3 : 4) * x;
    return static_cast<TColor>(RGB(p[2], p[1], p[0]));
  }
  static bool Dark(TColor c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 160; }
  // The box of the non-white pixels inside the area; empty when there are none.
  static TRect Ink(TBitmap* b, const TRect& area) {
    TRect box;
    bool any = false;
    for (Integer y = area.Top; y < area.Bottom; ++y)
      for (Integer x = area.Left; x < area.Right; ++x) {
        if ((At(b, x, y) & 0xFFFFFF) == 0xFFFFFF) continue;
        if (!any) box = TRect(x, y, x + 1, y + 1);
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
        any = true;
      }
    return box;
  }
  static TRect Ink(TBitmap* b) { return Ink(b, TRect(0, 0, b->GetWidth(), b->GetHeight())); }
};

inline std::string Describe(const TRect& r) {
  return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom) + ")";
}
