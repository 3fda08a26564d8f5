// Cell painting of the grid library: cell text with its fast and full layouts, vertical and aligned
// text, images in cells, search-hit highlighting, progress bars, gradients, clip helpers and colours.
#include <algorithm>
#include <cmath>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

Byte ClampChannel(double v) { return static_cast<Byte>(std::clamp(v, 0.0, 255.0)); }

// The shared scratch bitmap of dithered backgrounds: grown, never shrunk.
TBitmap* ScratchBitmap(Integer width, Integer height) {
  static TBitmap* bitmap = new TBitmap();  // lives for the process, like the screen canvas
  bitmap->SetSize(std::max(bitmap->GetWidth(), width), std::max(bitmap->GetHeight(), height));
  return bitmap;
}

// A colour the device cannot show exactly is drawn through the scratch bitmap.
bool IsDitheredColor(TCanvas* canvas, TColor color) {
  const TColorRef rgb = ColorToRGB(color) & 0xFFFFFF;
  return GetNearestColor(canvas->GetHandle(), rgb) != rgb;
}

// The context takes the canvas's text colours now: a context handed out earlier may still hold others.
void SyncTextColors(TCanvas* canvas) {
  HDC dc = canvas->GetHandle();
  SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
  if (canvas->GetBrush()->GetStyle() == bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkColor(dc, ColorToRGB(canvas->GetBrush()->GetColor()));
    SetBkMode(dc, OPAQUE);
  }
}

bool HasIdentityTransform(HDC dc) {
  XFORM x;
  if (!GetWorldTransform(dc, &x)) return true;
  return x.eM11 == 1 && x.eM12 == 0 && x.eM21 == 0 && x.eM22 == 1 && x.eDx == 0 && x.eDy == 0;
}

UINT AlignmentFlags(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return DT_RIGHT;
    case taCenter:
      return DT_CENTER;
    default:
      return DT_LEFT;
  }
}

// The full layout through DrawTextEx (margins, wrapping, ellipsis, vertical layout).
void LayoutCellText(TCanvas* canvas, const TRect& rect, Integer dx, Integer dy, const String& text,
                    TAlignment alignment, TTextLayout layout, bool wordWrap, bool endEllipsis,
                    Integer leftMarg, Integer rightMarg, bool rightToLeft, bool singleLine) {
  UINT flags = DT_NOPREFIX | DT_EXPANDTABS | AlignmentFlags(alignment);
  if (wordWrap)
    flags |= DT_WORDBREAK;
  else if (singleLine)
    flags |= DT_SINGLELINE;
  if (endEllipsis) flags |= DT_END_ELLIPSIS;
  if (rightToLeft) flags |= DT_RTLREADING;
  DRAWTEXTPARAMS params;
  params.iLeftMargin = leftMarg;
  params.iRightMargin = rightMarg;
  TRect r = rect;
  if (alignment == taLeftJustify)
    r.Left += dx;
  else if (alignment == taCenter)
    r.Right -= dx;
  else
    params.iRightMargin = leftMarg + dx;

  HDC dc = canvas->GetHandle();
  SyncTextColors(canvas);
  const Integer count = static_cast<Integer>(text.size());
  if (layout != tlTop) {
    TRect calc = r;
    DrawTextEx(dc, text.c_str(), count, &calc, flags | DT_CALCRECT, &params);
    const Integer h = calc.Height();
    r.Top = layout == tlCenter ? (r.Top + r.Bottom - h) / 2 : r.Bottom - h - dy;
  } else {
    r.Top += dy;
  }
  const bool clip = r.Top < rect.Top && HasIdentityTransform(dc);
  HRGN saved = clip ? SelectClipRectEh(canvas, rect) : nullptr;
  auto restore = MakeScopeExit([&] {
    if (clip) RestoreClipRgnEh(canvas, saved);
  });
  DrawTextEx(dc, text.c_str(), count, &r, flags, &params);
}

// Runs paint with the brush clear unless fillRect, putting the brush back afterwards.
template <class Paint>
void WithBrushClearUnless(TCanvas* canvas, bool fillRect, Paint paint) {
  TBrush* brush = canvas->GetBrush();
  const TBrushStyle style = brush->GetStyle();
  const TColor color = brush->GetColor();
  auto restore = MakeScopeExit([&] {
    brush->SetColor(color);
    brush->SetStyle(style);
  });
  if (!fillRect) brush->SetStyle(bsClear);
  paint();
}

// Text drawn on a dithered colour goes through the scratch bitmap, then is copied onto the rectangle.
template <class Paint>
void PaintThroughScratch(TCanvas* canvas, const TRect& rect, Paint paint) {
  TBitmap* scratch = ScratchBitmap(rect.Width(), rect.Height());
  TCanvas* sc = scratch->GetCanvas();
  sc->Lock();
  auto unlock = MakeScopeExit([&] { sc->Unlock(); });
  sc->SetFont(canvas->GetFont());
  sc->GetBrush()->SetColor(canvas->GetBrush()->GetColor());
  sc->GetBrush()->SetStyle(bsSolid);
  const TRect work(0, 0, rect.Width(), rect.Height());
  sc->FillRect(work);
  SetBkMode(sc->GetHandle(), TRANSPARENT);
  paint(sc, work);
  canvas->CopyRect(rect, sc, work);
}

struct TTextLineEh {
  Integer Start = 0;  // 0-based
  Integer Length = 0;
};

// Lines of text as a cell shows them: one line without word wrap; with it, CR, LF or CR LF end a line
// and a line too wide breaks after its last space that still fits.
std::vector<TTextLineEh> BreakTextLines(HDC dc, const String& text, Integer maxWidth, bool wordWrap) {
  std::vector<TTextLineEh> lines;
  const Integer n = static_cast<Integer>(text.size());
  if (!wordWrap) {
    lines.push_back({0, n});
    return lines;
  }
  Integer pos = 0;
  while (pos <= n) {
    Integer end = pos;
    while (end < n && text[end] != u'\r' && text[end] != u'\n') ++end;
    // Break the paragraph [pos, end) by width.
    Integer start = pos;
    while (true) {
      const Integer len = end - start;
      Integer fit = len;
      if (len > 0)
        GetTextExtentExPoint(dc, text.c_str() + start, len, std::max(maxWidth, 0), &fit, nullptr, nullptr);
      if (fit >= len) {
        lines.push_back({start, len});
        break;
      }
      Integer cut = -1;
      for (Integer i = start + fit; i > start; --i)
        if (text[i - 1] == u' ') {
          cut = i;
          break;
        }
      if (cut < 0) cut = start + std::max(fit, 1);
      lines.push_back({start, cut - start});
      start = cut;
    }
    if (end >= n) break;
    pos = end + ((text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ? 2 : 1);
    if (pos == n) break;
  }
  return lines;
}

Integer TextExtentOf(HDC dc, const String& text, Integer start, Integer length) {
  TSize size;
  if (length <= 0) return 0;
  GetTextExtentPoint32(dc, text.c_str() + start, length, &size);
  return size.cx;
}

bool ReadsRightToLeft(const String& text) {
  if (text.empty()) return false;
  const Char c = text[0];
  return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
}

}  // namespace

// ---- Colours ----

TColor MixColorsEh(TColor colorA, TColor colorB, double weight) {
  const TColorRef a = ColorToRGB(colorA), b = ColorToRGB(colorB);
  auto mix = [weight](Byte x, Byte y) {
    return ClampChannel(x + std::trunc((static_cast<double>(y) - x) / 255.0 * weight));
  };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

TColor MixColorsPercentEh(TColor colorA, TColor colorB, Integer percent) {
  const TColorRef a = ColorToRGB(colorA), b = ColorToRGB(colorB);
  auto mix = [percent](Byte x, Byte y) {
    return ClampChannel(static_cast<double>(Round(x + percent * (static_cast<double>(y) - x) / 100.0)));
  };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

Integer ColorLuminanceEh(TColor color) {
  const TColorRef c = ColorToRGB(color);
  return (77 * GetRValue(c) + 150 * GetGValue(c) + 29 * GetBValue(c)) / 256;
}

TColor GrayColorEh(TColor color) {
  const Byte l = static_cast<Byte>(ColorLuminanceEh(color));
  return RGB(l, l, l);
}

TColor DarkerColorEh(TColor colorA, TColor colorB) {
  return ColorLuminanceEh(colorB) < ColorLuminanceEh(colorA) ? colorB : colorA;
}

TColor ColorWithLightnessEh(TColor color, Integer lightness) {
  Word h, l, s;
  ColorRGBToHLS(ColorToRGB(color) & 0xFFFFFF, h, l, s);
  const Integer newL = std::clamp(lightness, 0, 256) * HLSMAX / 256;
  return ColorHLSToRGB(h, static_cast<Word>(newL), s);
}

// ---- Clip helpers ----

HRGN SelectClipRectEh(TCanvas* canvas, const TRect& rect) {
  HDC dc = canvas->GetHandle();
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc, saved) != 1) {
    DeleteObject(saved);
    saved = nullptr;
  }
  IntersectClipRect(dc, rect.Left, rect.Top, rect.Right, rect.Bottom);
  return saved;
}

void RestoreClipRgnEh(TCanvas* canvas, HRGN savedRgn) {
  SelectClipRgn(canvas->GetHandle(), savedRgn);
  if (savedRgn) DeleteObject(savedRgn);
}

// ---- Cell text ----

void DrawCellTextEh(TCanvas* canvas, const TRect& rect, bool fillRect, Integer dx, Integer dy,
                    const String& text, TAlignment alignment, TTextLayout layout, bool wordWrap,
                    bool endEllipsis, Integer leftMarg, Integer rightMarg, bool rightToLeft,
                    bool singleLine) {
  if (IsDitheredColor(canvas, canvas->GetBrush()->GetColor())) {
    PaintThroughScratch(canvas, rect, [&](TCanvas* sc, const TRect& work) {
      LayoutCellText(sc, work, dx, dy, text, alignment, layout, wordWrap, endEllipsis, leftMarg, rightMarg,
                     rightToLeft, singleLine);
    });
    return;
  }
  const bool fullLayout =
      wordWrap || endEllipsis || leftMarg != 0 || rightMarg != 0 || text.size() > 32768 || !singleLine;
  if (fullLayout) {
    if (fillRect) canvas->FillRect(rect);
    WithBrushClearUnless(canvas, false, [&] {
      LayoutCellText(canvas, rect, dx, dy, text, alignment, layout, wordWrap, endEllipsis, leftMarg,
                     rightMarg, rightToLeft, singleLine);
    });
    return;
  }

  // The fast single-line path; left-aligned text needs no measuring of its width.
  Integer w = alignment == taLeftJustify ? 0 : canvas->TextWidth(text);
  const TFontStyles style = canvas->GetFont()->GetStyle();
  if (alignment != taLeftJustify && (style.Contains(fsBold) || style.Contains(fsItalic))) {
    TRect calc(0, 0, 0, 0);
    DrawText(canvas->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), &calc,
             DT_CALCRECT | DT_NOPREFIX);
    w = calc.Width();
  }
  Integer x;
  if (alignment == taLeftJustify)
    x = rect.Left + dx;
  else if (alignment == taRightJustify)
    x = rect.Right - w - dx - 1;
  else
    x = rect.Left < rect.Right ? rect.Left + ((rect.Right - rect.Left) >> 1) - (w >> 1) : 0;
  Integer y = rect.Top + dy;
  // A single line is as high as the font's cell, whatever its characters.
  TEXTMETRICW tm;
  GetTextMetrics(canvas->GetHandle(), &tm);
  const Integer th = tm.tmHeight;
  if (th < rect.Bottom - rect.Top - dy) {
    if (layout == tlCenter)
      y = (rect.Top + rect.Bottom - th) / 2;
    else if (layout == tlBottom)
      y = rect.Bottom - th - dy;
  }
  WithBrushClearUnless(canvas, fillRect, [&] { canvas->TextRect(rect, x, y, text); });
}

void DrawVerticalCellTextEh(TCanvas* canvas, const TRect& rect, bool fillRect, Integer dx, Integer dy,
                            const String& text, TAlignment alignment, TTextLayout layout, bool wordWrap,
                            bool endEllipsis) {
  HDC dc = canvas->GetHandle();
  const Integer saved = SaveDC(dc);
  auto restore = MakeScopeExit([&] {
    RestoreDC(dc, saved);
    canvas->Refresh();
  });
  XFORM rotate;
  rotate.eM11 = 0;
  rotate.eM12 = -1;
  rotate.eM21 = 1;
  rotate.eM22 = 0;
  if (HasIdentityTransform(dc)) {
    SetGraphicsMode(dc, GM_ADVANCED);
    SetWorldTransform(dc, &rotate);
  } else {
    ModifyWorldTransform(dc, &rotate, MWT_LEFTMULTIPLY);
  }
  const TRect turned(-rect.Top - rect.Height(), rect.Left, -rect.Top, rect.Left + rect.Width());
  DrawCellTextEh(canvas, turned, fillRect, dx, dy, text, alignment, layout, wordWrap, endEllipsis, 0, 0,
                 false, false);
}

void DrawTextAlignedEh(TCanvas* canvas, const TRect& rect, Integer dx, Integer dy, const String& text,
                       TAlignment alignment) {
  if (IsDitheredColor(canvas, canvas->GetBrush()->GetColor())) {
    PaintThroughScratch(canvas, rect, [&](TCanvas* sc, const TRect& work) {
      TRect r(dx, dy, work.Right - 1, work.Bottom - 1);
      SyncTextColors(sc);
      SetBkMode(sc->GetHandle(), TRANSPARENT);
      DrawText(sc->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), &r,
               DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | AlignmentFlags(alignment));
    });
    return;
  }
  const Integer w = canvas->TextWidth(text);
  Integer x;
  if (alignment == taLeftJustify)
    x = rect.Left + dx;
  else if (alignment == taRightJustify)
    x = rect.Right - w - 3;
  else
    x = rect.Left + (rect.Width() >> 1) - (w >> 1);
  canvas->GetBrush()->SetStyle(bsSolid);
  HDC dc = canvas->GetHandle();
  SyncTextColors(canvas);
  ExtTextOut(dc, x, rect.Top + dy, ETO_CLIPPED | ETO_OPAQUE, &rect, text.c_str(),
             static_cast<UINT>(text.size()), nullptr);
}

String MinimizeText(const String& text, TCanvas* canvas, Integer maxWidth) {
  String result = text;
  const Integer n = static_cast<Integer>(text.size());
  for (Integer i = 1; canvas->TextWidth(result) > maxWidth && i <= n; ++i)
    result = text.substr(0, static_cast<size_t>(std::max(0, n - i - 1))) + u"...";
  return result;
}

// ---- Images ----

void DrawImageInRectEh(TCustomImageList* images, TBitmap* bitmap, TCanvas* canvas, const TRect& rect,
                       Integer imageIndex, Integer dx, Integer dy, TAlignment alignment,
                       const TRect& clipRect, double zoom, bool enabled) {
  if (!images && !bitmap) return;
  TRect common;
  if (!IntersectRect(&common, rect, clipRect)) return;

  if (zoom != 1.0) {
    std::unique_ptr<TBitmap> fromList;
    TBitmap* source = bitmap;
    if (images) {
      fromList = std::make_unique<TBitmap>();
      images->GetBitmap(imageIndex, fromList.get());
      source = fromList.get();
    }
    const Integer w = static_cast<Integer>(std::trunc(source->GetWidth() * zoom));
    const Integer h = static_cast<Integer>(std::trunc(source->GetHeight() * zoom));
    const Integer x = (rect.Left + rect.Right - w) / 2, y = (rect.Top + rect.Bottom - h) / 2;
    const TRect dest(x, y, x + w, y + h);
    const bool clip = !(dest.Left >= rect.Left && dest.Top >= rect.Top && dest.Right <= rect.Right &&
                        dest.Bottom <= rect.Bottom);
    HRGN saved = clip ? SelectClipRectEh(canvas, rect) : nullptr;
    auto restore = MakeScopeExit([&] {
      if (clip) RestoreClipRgnEh(canvas, saved);
    });
    canvas->StretchDraw(dest, source);
    return;
  }

  const Integer w = images ? images->GetWidth() : bitmap->GetWidth();
  const Integer h = images ? images->GetHeight() : bitmap->GetHeight();
  Integer x;
  if (alignment == taLeftJustify)
    x = dx + rect.Left;
  else if (alignment == taRightJustify)
    x = rect.Right - w;
  else
    x = (rect.Left + rect.Right - w) / 2;
  const Integer y = dy + (rect.Top + rect.Bottom - h) / 2;
  const bool clip = !(x >= rect.Left && y >= rect.Top && x + w <= rect.Right && y + h <= rect.Bottom);
  HRGN saved = clip ? SelectClipRectEh(canvas, rect) : nullptr;
  auto restore = MakeScopeExit([&] {
    if (clip) RestoreClipRgnEh(canvas, saved);
  });
  if (images)
    images->Draw(canvas, x, y, imageIndex, enabled);
  else
    canvas->Draw(x, y, bitmap);
}

void DrawCenteredImageEh(TCanvas* canvas, const TRect& rect, TCustomImageList* images, Integer imageIndex,
                         bool selected) {
  if (!images || imageIndex < 0 || imageIndex >= images->GetCount()) return;
  const Integer x = (rect.Left + rect.Right - images->GetWidth()) / 2;
  const Integer y = (rect.Top + rect.Bottom - images->GetHeight()) / 2;
  const bool clip = images->GetWidth() > rect.Width() || images->GetHeight() > rect.Height();
  HRGN saved = clip ? SelectClipRectEh(canvas, rect) : nullptr;
  auto restore = MakeScopeExit([&] {
    if (clip) RestoreClipRgnEh(canvas, saved);
  });
  images->Draw(canvas, x, y, imageIndex, selected ? dsSelected : dsNormal, images->GetImageType(), true);
}

void DrawCenteredImageOnDCEh(HDC dc, const TRect& rect, TCustomImageList* images, Integer imageIndex,
                             bool selected) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  auto release = MakeScopeExit([&] { canvas.SetHandle(nullptr); });
  DrawCenteredImageEh(&canvas, rect, images, imageIndex, selected);
}

// ---- Search hits and wrapped text ----

void MeasureWrappedTextEh(TCanvas* canvas, Integer maxWidth, const String& text, TSize& size, bool wordWrap) {
  size = TSize{0, 0};
  if (text.empty()) return;
  HDC dc = canvas->GetHandle();
  const auto lines = BreakTextLines(dc, text, maxWidth, wordWrap);
  for (const TTextLineEh& line : lines)
    size.cx = std::max(size.cx, TextExtentOf(dc, text, line.Start, line.Length));
  size.cy = static_cast<Integer>(lines.size()) * canvas->TextHeight(u"Wg");
}

void DrawHighlightedTextEh(TCanvas* canvas, const TRect& rect, Integer leftMargin, Integer topOffset,
                           const String& text, TAlignment alignment, bool vCenter, bool wordWrap,
                           const String& searchText, bool caseInsensitive, bool wholeWords,
                           bool beginsWithOnly, TColor highlightColor, Integer& outsideCount) {
  outsideCount = 0;
  std::vector<Integer> hits;
  if (searchText.empty() ||
      !FindAllSubstringsEh(text, searchText, hits, caseInsensitive, wholeWords, beginsWithOnly) ||
      hits.empty())
    return;

  HDC dc = canvas->GetHandle();
  const auto lines = BreakTextLines(dc, text, rect.Width() - leftMargin, wordWrap);
  const Integer lineHeight = canvas->TextHeight(u"Wg");
  Integer top = topOffset;
  if (vCenter) {
    TRect calc(0, 0, rect.Width(), 0);
    DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &calc,
             DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    top = rect.Height() / 2 - calc.Height() / 2;
  }
  const bool rtl = ReadsRightToLeft(text);

  const TColor brushColor = canvas->GetBrush()->GetColor();
  const TBrushStyle brushStyle = canvas->GetBrush()->GetStyle();
  const TColor fontColor = canvas->GetFont()->GetColor();
  auto restore = MakeScopeExit([&] {
    canvas->GetBrush()->SetColor(brushColor);
    canvas->GetBrush()->SetStyle(brushStyle);
    canvas->GetFont()->SetColor(fontColor);
  });
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(highlightColor);
  canvas->GetFont()->SetColor(clWindowText);

  const Integer len = static_cast<Integer>(searchText.size());
  for (Integer hitPos : hits) {
    const Integer start = hitPos;  // 0-based positions
    size_t li = 0;
    while (li + 1 < lines.size() && start >= lines[li + 1].Start) ++li;
    const TTextLineEh& line = lines[li];
    const Integer lineWidth = TextExtentOf(dc, text, line.Start, line.Length);
    Integer spanX = TextExtentOf(dc, text, line.Start, start - line.Start);
    const Integer inLine = std::min(len, line.Start + line.Length - start);
    const Integer spanW = TextExtentOf(dc, text, start, inLine);
    if (rtl) spanX = lineWidth - spanX - spanW;
    Integer lineX;
    if (alignment == taLeftJustify)
      lineX = leftMargin;
    else if (alignment == taRightJustify)
      lineX = rect.Width() - lineWidth - leftMargin - 1;
    else
      lineX = rect.Width() / 2 - lineWidth / 2;
    const Integer x = rect.Left + lineX + spanX;
    const Integer y = rect.Top + top + static_cast<Integer>(li) * lineHeight;
    if (x >= rect.Right || y >= rect.Bottom) {
      ++outsideCount;
      continue;
    }
    const TRect span(x, y, x + spanW, y + lineHeight);
    canvas->TextRect(span, x, y, text.substr(static_cast<size_t>(start), static_cast<size_t>(inLine)));
  }
}

// ---- Progress bar and gradient ----

void DrawProgressBarEh(TCanvas* canvas, const TRect& rect, TColor barColor, double value, double minValue,
                       double maxValue, TColor frameColor, TColor backColor,
                       const TProgressBarParamsEh* params) {
  const TProgressBarParamsEh defaults;
  const TProgressBarParamsEh& p = params ? *params : defaults;
  if (backColor == clDefault) backColor = canvas->GetBrush()->GetColor();
  if (backColor != clNone) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(backColor));
    canvas->FillRect(rect);
  }

  // The fraction runs from minValue to maxValue; an empty range is full once the value reaches it.
  const double range = maxValue - minValue;
  double fraction;
  if (range > 0)
    fraction = (value - minValue) / range;
  else
    fraction = value >= maxValue ? 1.0 : 0.0;
  const double shown = std::clamp(fraction, 0.0, 1.0);
  const Integer indent = p.Indent;
  const Integer barWidth =
      shown > 0 ? static_cast<Integer>(std::trunc(shown * (rect.Width() - 4 * indent))) : 0;
  TRect bar(rect.Left + indent, rect.Top + indent, rect.Right - indent, rect.Bottom - indent);
  if (fraction < 1.0 && rect.Left + indent + barWidth < rect.Right) bar.Right = rect.Left + indent + barWidth;
  TRect full = bar;
  full.Right = rect.Right - indent;

  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(barColor);
  canvas->GetPen()->SetStyle(psSolid);
  canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(frameColor));
  if (p.FrameFigureType == pbfftRectangle) {
    if (p.FrameSizeType == pbfstVal) {
      canvas->Rectangle(bar);
    } else {
      canvas->FillRect(bar);
      canvas->GetBrush()->SetStyle(bsClear);
      canvas->Rectangle(full);
    }
  } else if (p.FrameSizeType == pbfstVal) {
    canvas->RoundRect(bar.Left, bar.Top, bar.Right, bar.Bottom, 10, 5);
  } else {
    const TColor frame = canvas->GetPen()->GetColor();
    canvas->GetPen()->SetColor(barColor);
    canvas->RoundRect(bar.Left, bar.Top, bar.Right, bar.Bottom, 5, 5);
    canvas->GetPen()->SetColor(frame);
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->RoundRect(full.Left, full.Top, full.Right, full.Bottom, 5, 5);
  }

  if (!p.ShowText) return;
  const Integer decimals = -static_cast<Integer>(p.TextDecimalPlaces);
  const String text = p.TextType == pbttAsPercent ? FloatToStr(RoundTo(fraction * 100, decimals)) + u"%"
                                                  : FloatToStr(RoundTo(value, decimals));
  if (text.empty()) return;
  if (params) {
    if (!p.FontName.empty()) canvas->GetFont()->SetName(p.FontName);
    canvas->GetFont()->SetColor(p.FontColor);
    canvas->GetFont()->SetSize(p.FontSize);
    canvas->GetFont()->SetStyle(p.FontStyle);
  }
  canvas->GetBrush()->SetStyle(bsClear);
  TSize size = canvas->TextExtent(text);
  if (!params && size.cy >= rect.Height() && frameColor != barColor) {
    canvas->GetFont()->SetSize(canvas->GetFont()->GetSize() - 1);
    size = canvas->TextExtent(text);
  }
  Integer x;
  if (p.TextAlignment == taLeftJustify)
    x = rect.Left + indent + 3;
  else if (p.TextAlignment == taRightJustify)
    x = rect.Right - size.cx - indent - 3;
  else
    x = rect.Left + (rect.Width() >> 1) - size.cx / 2;
  x = std::max(x, rect.Left + 1);
  const Integer y = rect.Top + (rect.Height() >> 1) - size.cy / 2;
  canvas->TextRect(rect, x, y, text);
}

void FillVertGradientRectEh(TCanvas* canvas, const TRect& rect, TColor topColor, TColor bottomColor) {
  const Integer h = rect.Height();
  if (h <= 0 || rect.Width() <= 0) return;
  const TColorRef top = ColorToRGB(topColor), bottom = ColorToRGB(bottomColor);
  // A one-row rectangle takes the top colour: there is no step to divide by.
  const double steps = std::max(h - 1, 1);
  auto channel = [steps](Byte a, Byte b, Integer i) {
    return ClampChannel(static_cast<double>(Round(a - i * (static_cast<double>(a) - b) / steps)));
  };
  TBrush* brush = canvas->GetBrush();
  const TColor brushColor = brush->GetColor();
  const TBrushStyle brushStyle = brush->GetStyle();
  auto restore = MakeScopeExit([&] {
    brush->SetColor(brushColor);
    brush->SetStyle(brushStyle);
  });
  for (Integer i = 0; i < h; ++i) {
    const TColor c =
        RGB(channel(GetRValue(top), GetRValue(bottom), i), channel(GetGValue(top), GetGValue(bottom), i),
            channel(GetBValue(top), GetBValue(bottom), i));
    if (rect.Width() == 1) {
      canvas->SetPixel(rect.Left, rect.Top + i, c);
    } else {
      brush->SetStyle(bsSolid);
      brush->SetColor(c);
      canvas->FillRect(TRect(rect.Left, rect.Top + i, rect.Right, rect.Top + i + 1));
    }
  }
}
