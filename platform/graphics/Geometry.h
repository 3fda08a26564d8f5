// Points, sizes and rectangles of the drawing layer (the class library's TPoint, TSize, TRect and the
// Windows names for them), with the rectangle helpers the libraries call by name.
#pragma once

#include <algorithm>

#include "platform/rtl/Types.h"

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(Integer x, Integer y) : X(x), Y(y) {}
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  constexpr TSize() = default;
  constexpr TSize(Integer w, Integer h) : cx(w), cy(h) {}
  friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

// Right and bottom are exclusive, as everywhere in the device interface.
struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(Integer l, Integer t, Integer r, Integer b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TRect(TPoint topLeft, TPoint bottomRight)
      : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
  constexpr Integer Width() const { return Right - Left; }
  constexpr Integer Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

using POINT = TPoint;
using SIZE = TSize;
using RECT = TRect;
using PRect = TRect*;
using LPRECT = TRect*;
using LPPOINT = TPoint*;
using LPSIZE = TSize*;

constexpr TPoint Point(Integer x, Integer y) { return {x, y}; }
constexpr TRect Rect(Integer l, Integer t, Integer r, Integer b) { return {l, t, r, b}; }
constexpr TRect Bounds(Integer l, Integer t, Integer w, Integer h) { return {l, t, l + w, t + h}; }

inline bool PtInRect(const TRect& r, TPoint p) { return r.Contains(p); }
inline bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }
inline bool EqualRect(const TRect& a, const TRect& b) { return a == b; }
inline bool SetRect(TRect* r, Integer l, Integer t, Integer rr, Integer b) {
  *r = TRect(l, t, rr, b);
  return true;
}
inline bool SetRectEmpty(TRect* r) {
  *r = TRect();
  return true;
}
inline bool CopyRect(TRect* dst, const TRect* src) {
  *dst = *src;
  return true;
}
inline bool OffsetRect(TRect* r, Integer dx, Integer dy) {
  r->Left += dx;
  r->Right += dx;
  r->Top += dy;
  r->Bottom += dy;
  return true;
}
inline bool InflateRect(TRect* r, Integer dx, Integer dy) {
  r->Left -= dx;
  r->Right += dx;
  r->Top -= dy;
  r->Bottom += dy;
  return true;
}
// Empty result (all zero) when the rectangles do not meet; answers whether they do.
inline bool IntersectRect(TRect* dst, const TRect& a, const TRect& b) {
  TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom));
  if (r.IsEmpty()) r = TRect();
  *dst = r;
  return !r.IsEmpty();
}
inline bool UnionRect(TRect* dst, const TRect& a, const TRect& b) {
  if (a.IsEmpty())
    *dst = b;
  else if (b.IsEmpty())
    *dst = a;
  else
    *dst = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom));
  return !dst->IsEmpty();
}
