// The bottom layer of the grid library: memory stream growth, list, bookmark, locale and variant
// routines shared by every other unit of the library.
#include "gridlib/base/GridLibCore.h"

#include <cstdio>
#include <cstdlib>

#include "platform/controls/Forms.h"
#include "platform/controls/StdEdits.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Utf.h"

void* TMemoryStreamEh::Realloc(Int64& newCapacity) {
  // Rounding by division, not by a bit mask: a step that is no power of two must never round down
  // below what the caller asked for.
  const Int64 step = 2 * static_cast<Int64>(halfMemoryDelta_);
  if (step > 0 && newCapacity > 0 && newCapacity != GetSize())
    newCapacity = (newCapacity + step - 1) / step * step;
  if (newCapacity == GetCapacity()) return memory_;
  if (newCapacity == 0) {
    std::free(memory_);
    return nullptr;
  }
  void* block = std::realloc(memory_, static_cast<size_t>(newCapacity));
  if (!block) throw EStreamError(u"Out of memory while expanding memory stream");
  return block;
}

TRect AddRectSidesEh(const TRect& rect, Integer left, Integer top, Integer right, Integer bottom) {
  return TRect(rect.Left + left, rect.Top + top, rect.Right + right, rect.Bottom + bottom);
}

void MoveRectToEh(TRect& rect, Integer x, Integer y) {
  const Integer width = rect.Right - rect.Left;
  const Integer height = rect.Bottom - rect.Top;
  rect = TRect(x, y, x + width, y + height);
}

void MoveRectToPointEh(TRect& rect, TPoint point) { MoveRectToEh(rect, point.X, point.Y); }

void EmptyRectEh(TRect& rect) { rect = TRect(0, 0, 0, 0); }

bool IsRectEmptyEh(const TRect& rect) { return !(rect.Left < rect.Right && rect.Top < rect.Bottom); }

UInt64 GetTickCountEh() { return GetTickCount64(); }

TPoint PointFromLParamEh(Integer lparam) {
  const auto bits = static_cast<Cardinal>(lparam);
  return TPoint(static_cast<SmallInt>(bits & 0xFFFF), static_cast<SmallInt>(bits >> 16));
}

LPARAM SmallPointToLParamEh(TPoint point) {
  return static_cast<LPARAM>((static_cast<Cardinal>(static_cast<Word>(point.Y)) << 16) |
                             static_cast<Word>(point.X));
}

TPoint LParamToSmallPointEh(LPARAM lparam) { return PointFromLParamEh(static_cast<Integer>(lparam)); }

LPARAM ObjectToLParamEh(TObject* object) { return reinterpret_cast<LPARAM>(object); }

void RemovePendingMessageEh(HWND wnd, UINT msg) {
  // A quit request taken out would have to go back in; leaving it where it is keeps the order too.
  if (msg == WM_QUIT) return;
  RemovePendingMessage(wnd, msg);
}

Integer GetFirstDayOfWeekEh() { return LocaleInfo().FirstDayOfWeek; }

bool CharInSetEh(Char c, const TSysCharSet& set) { return CharInSet(c, set); }

bool IsLeadByteEh(Char c) { return IsLeadByte(c); }

String VarToWideStrEh(const Variant& value) { return VarToWideStr(value); }

Integer LocaleCompareWideStrEh(const String& s1, const String& s2, Integer n, bool ignoreCase) {
  const String a = n > 0 ? s1.substr(0, static_cast<size_t>(n)) : s1;
  const String b = n > 0 ? s2.substr(0, static_cast<size_t>(n)) : s2;
  const int c = ignoreCase ? AnsiCompareText(a, b) : AnsiCompareStr(a, b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Integer LocaleCompareStrEh(const String& s1, const String& s2, Integer n, bool ignoreCase) {
  return LocaleCompareWideStrEh(s1, s2, n, ignoreCase);
}

String StrFromPWideCharEh(const Char* text) { return text ? String(text) : String(); }

Char* WideStrCopyEh(Char* dest, const Char* source) {
  Char* out = dest;
  while ((*out++ = *source++) != 0) {
  }
  return dest;
}

Integer TextLenEh(const String& text) { return static_cast<Integer>(text.size()); }

Integer NextCharPosEh(const String&, Integer pos) { return pos + 1; }

TColor RGBEh(Byte red, Byte green, Byte blue) { return RGB(red, green, blue); }

DWORD GetMessageTimeEh() { return GetMessageTime(); }

void CopyMessageEh(const TMessage& source, TMessage& dest) {
  dest.Msg = source.Msg;
  dest.WParam = source.WParam;
  dest.LParam = source.LParam;
  dest.Result = source.Result;
}

String AnsiUpperCaseEh(const String& s) { return AnsiUpperCase(s); }
String AnsiLowerCaseEh(const String& s) { return AnsiLowerCase(s); }
Integer AnsiCompareStrEh(const String& s1, const String& s2) { return AnsiCompareStr(s1, s2); }
Integer AnsiCompareTextEh(const String& s1, const String& s2) { return AnsiCompareText(s1, s2); }

Integer CompareDataSetBookmarksEh(TDataSet* dataSet, const TBookmark& bookmark1, const TBookmark& bookmark2) {
  return dataSet->CompareBookmarks(bookmark1, bookmark2);
}

bool IsDataSetBookmarkValidEh(TDataSet* dataSet, const TBookmark& bookmark) {
  if (bookmark.empty()) return false;
  return dataSet->BookmarkValid(bookmark);
}

TDataSet* GetDataSetOfSourcePropEh(TComponent* component, const TPropInfo* propInfo) {
  if (!component || !propInfo || propInfo->Kind() != tkClass) return nullptr;
  try {
    auto* source = dynamic_cast<TDataSource*>(GetObjectProp(component, propInfo));
    return source ? source->GetDataSet() : nullptr;
  } catch (const std::exception&) {
    return nullptr;
  }
}

namespace {

// AdjustClientRect is protected; the routine asks it on any control, as the library always has.
struct TAdjustClientRectAccess : TWinControl {
  using TWinControl::AdjustClientRect;
};

}  // namespace

TRect GetAdjustedClientRectEh(TWinControl* control) {
  TRect rect = control->HandleAllocated() ? control->GetClientRect()
                                          : TRect(0, 0, control->GetWidth(), control->GetHeight());
  void (TWinControl::*adjust)(TRect&) = &TAdjustClientRectAccess::AdjustClientRect;
  (control->*adjust)(rect);
  return rect;
}

void VarArrayRedimEh(Variant& value, Integer highBound) { VarArrayRedim(value, highBound); }

void GetCursorPosEh(TPoint& pos) {
  if (!GetCursorPos(&pos)) pos = TPoint(0, 0);
}

void RecreateWndEh(TWinControl* control) { control->RecreateWnd(); }

HCURSOR LoadCursorCheckedEh(HINSTANCE instance, const String& cursorName) {
  HCURSOR cursor = nullptr;
  try {
    cursor = LoadCursor(instance, cursorName.c_str());
  } catch (const EOutOfResources&) {
    cursor = nullptr;
  }
  if (!cursor) throw EOutOfResources(u"Cannot load cursor resource");
  return cursor;
}

Integer LoadRegisterCursorEh(const String& cursorName) {
  const HCURSOR freeMarker = Screen->GetCursors(0);
  for (Integer i = 1; i < 32768; ++i) {
    // A slot nobody registered answers no cursor, or the default one.
    const HCURSOR taken = Screen->GetCursors(i);
    if (taken && taken != freeMarker) continue;
    Screen->SetCursors(i, LoadCursorCheckedEh(0, cursorName));
    return i;
  }
  throw Exception(u"LoadRegisterCursorEh could not register cursor - \"" + cursorName + u"\"");
}

void RefObjectToVariantEh(TObject* object, Variant& value) { value = Variant::FromObject(object); }

TObject* RefObjectFromVariantEh(const Variant& value) {
  if (!VarIsObject(value)) throw EIntfCastError(u"Interface not supported");
  return static_cast<TObject*>(value.AsObject());
}

// ---- Window, device-context and text routines ----

void SetLayoutEh(HDC dc, DWORD layout) { SetLayout(dc, layout); }

void OutputDebugStringEh(const String& text) { std::fprintf(stderr, "%s\n", StringToUtf8(text).c_str()); }

namespace {

// The screen's measuring context lives as long as the program; the canvas lets go of it first.
struct TScreenCanvasHolder {
  std::unique_ptr<TCanvas> canvas;
  HDC dc = nullptr;
  ~TScreenCanvasHolder() {
    if (!canvas) return;
    canvas->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
  }
};

TScreenCanvasHolder& ScreenCanvasHolder() {
  static TScreenCanvasHolder holder;
  return holder;
}

}  // namespace

TCanvas* GetScreenCanvasEh() {
  TScreenCanvasHolder& holder = ScreenCanvasHolder();
  if (!holder.canvas) {
    holder.dc = GetDC(nullptr);
    holder.canvas = std::make_unique<TCanvas>();
    holder.canvas->SetHandle(holder.dc);
  }
  return holder.canvas.get();
}

void WriteTextEh(TCanvas* canvas, const String& text, const TRect& rect) {
  TWriteTextParamsEh params;
  params.Opaque = canvas->GetBrush()->GetStyle() != bsClear;
  WriteTextExEh(canvas, text, rect, params);
}

void WriteTextExEh(TCanvas* canvas, const String& text, const TRect& rect, const TWriteTextParamsEh& params) {
  UINT flags = DT_EXPANDTABS | DT_NOPREFIX;
  if (params.Alignment == taRightJustify)
    flags |= DT_RIGHT;
  else if (params.Alignment == taCenter)
    flags |= DT_CENTER;
  else
    flags |= DT_LEFT;
  if (params.WrapMode == 1)
    flags |= DT_WORDBREAK;
  else if (params.WrapMode == 2)
    flags |= DT_SINGLELINE;
  if (params.EndEllipsis) flags |= DT_END_ELLIPSIS;
  if (params.RightToLeft) flags |= DT_RTLREADING;
  if (!params.Opaque) canvas->GetBrush()->SetStyle(bsClear);
  // The context takes the canvas's colours now: a context handed out earlier may still hold others.
  HDC dc = canvas->GetHandle();
  SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
  if (canvas->GetBrush()->GetStyle() == bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkColor(dc, ColorToRGB(canvas->GetBrush()->GetColor()));
    SetBkMode(dc, OPAQUE);
  }

  TRect drawRect = rect;
  if (params.Layout != 0) {
    TRect calcRect = rect;
    DrawTextEx(dc, text.c_str(), static_cast<Integer>(text.size()), &calcRect, flags | DT_CALCRECT, nullptr);
    const Integer h = calcRect.Bottom - calcRect.Top;
    if (params.Layout == 1)
      drawRect.Top = (drawRect.Top + drawRect.Bottom - h) / 2;
    else
      drawRect.Top = drawRect.Bottom - h;
  }
  DrawTextEx(dc, text.c_str(), static_cast<Integer>(text.size()), &drawRect, flags, nullptr);
}

void GetTextExtentExEh(TCanvas* canvas, const String& text, TSize& size, std::vector<Integer>& extents) {
  extents.assign(text.size(), 0);
  Integer fit = 0;
  size = TSize();
  GetTextExtentExPoint(canvas->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), 10000, &fit,
                       extents.empty() ? nullptr : extents.data(), &size);
}

Integer DrawTextWEh(HDC dc, const String& text, TRect& rect, UINT format) {
  return DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &rect, format);
}

Integer DrawTextExWEh(HDC dc, const String& text, TRect& rect, UINT format, DRAWTEXTPARAMS* params) {
  return DrawTextEx(dc, text.c_str(), static_cast<Integer>(text.size()), &rect, format, params);
}

Integer DrawTextExEh(HDC dc, const String& text, TRect& rect, UINT format) {
  return DrawTextEx(dc, text.c_str(), static_cast<Integer>(text.size()), &rect, format, nullptr);
}

bool ExtTextOutEh(HDC dc, Integer x, Integer y, UINT options, const TRect* rect, const String& text,
                  const Integer* dx) {
  return ExtTextOut(dc, x, y, options, rect, text.c_str(), static_cast<UINT>(text.size()), dx);
}

bool PolyPolylineEh(TCanvas* canvas, const std::vector<TPoint>& points, const std::vector<DWORD>& counts,
                    Integer polylines) {
  // A count list longer than the points would read past them.
  DWORD needed = 0;
  for (Integer i = 0; i < polylines && i < static_cast<Integer>(counts.size()); ++i) needed += counts[i];
  if (polylines > static_cast<Integer>(counts.size()) || needed > points.size())
    throw EInvalidOperation(u"PolyPolylineEh: more points counted than given");
  if (polylines <= 0) return true;
  return PolyPolyline(canvas->GetHandle(), points.data(), counts.data(), polylines);
}

void LogicalPointsToDeviceEh(HDC dc, TPoint& p1, TPoint& p2) {
  TPoint points[2] = {p1, p2};
  LPtoDP(dc, points, 2);
  p1 = points[0];
  p2 = points[1];
}

Integer GetFontSizeEh(TFont* font, TCanvas*) { return font->GetSize(); }

namespace {

TCanvas* MeasuringCanvasOf(TCanvas* canvas) {
  return canvas && canvas->HandleAllocated() ? canvas : GetScreenCanvasEh();
}

}  // namespace

Integer GetFontTextHeightEh(TCanvas* canvas, TFont* font, bool withExtLeading) {
  TCanvas* target = MeasuringCanvasOf(canvas);
  // The caller's canvas keeps its own font.
  TFont saved;
  saved.Assign(target->GetFont());
  target->SetFont(font);
  TTextMetric tm;
  GetTextMetrics(target->GetHandle(), &tm);
  target->SetFont(&saved);
  return tm.tmHeight + (withExtLeading ? tm.tmExternalLeading : 0);
}

void GetCanvasTextMetricsEh(TCanvas* canvas, TTextMetric& textMetric) {
  TCanvas* target = MeasuringCanvasOf(canvas);
  if (target != canvas && canvas) {
    TFont saved;
    saved.Assign(target->GetFont());
    target->SetFont(canvas->GetFont());
    GetTextMetrics(target->GetHandle(), &textMetric);
    target->SetFont(&saved);
    return;
  }
  GetTextMetrics(target->GetHandle(), &textMetric);
}

void SetDropShadowStyleEh(TCreateParams& params, bool wanted) {
  if (wanted)
    params.WindowClassStyle |= CS_DROPSHADOW;
  else
    params.WindowClassStyle &= ~static_cast<DWORD>(CS_DROPSHADOW);
}

LRESULT SendMessageEh(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return SendMessage(wnd, msg, wParam, lParam);
}
bool InvalidateRectEh(HWND wnd, const TRect* rect, bool erase) { return InvalidateRect(wnd, rect, erase); }
bool ValidateRectEh(HWND wnd, const TRect* rect) { return ValidateRect(wnd, rect); }
bool ScrollWindowExEh(HWND wnd, Integer dx, Integer dy, const TRect* scroll, const TRect* clip, HRGN update,
                      TRect* updateRect, UINT flags) {
  return ScrollWindowEx(wnd, dx, dy, scroll, clip, update, updateRect, flags) != 0;
}
HWND SetFocusWindowEh(HWND wnd) { return SetFocus(wnd); }
bool IsChildWindowEh(HWND parent, HWND wnd) { return IsChild(parent, wnd); }

void PostQuitMessageEh(Integer) {
  if (Application) Application->Terminate();
}

void EditGetSelEh(HWND editWnd, Integer& selStart, Integer& selEnd) {
  // The platform's edits keep their selection themselves; other windows answer the message.
  if (auto* edit = dynamic_cast<TCustomEdit*>(FindControl(editWnd))) {
    selStart = edit->GetSelStart();
    selEnd = selStart + edit->GetSelLength();
    return;
  }
  DWORD start = 0;
  DWORD end = 0;
  SendMessage(editWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  selStart = static_cast<Integer>(start);
  selEnd = static_cast<Integer>(end);
}

void EditSetSelEh(HWND editWnd, Integer selStart, Integer selEnd) {
  if (auto* edit = dynamic_cast<TCustomEdit*>(FindControl(editWnd))) {
    edit->SetSelStart(selStart);
    edit->SetSelLength(selEnd - selStart);
    return;
  }
  SendMessage(editWnd, EM_SETSEL, static_cast<WPARAM>(selStart), static_cast<LPARAM>(selEnd));
}

Integer CharIndexAtCaretEh(TWinControl* edit) {
  Integer selStart = 0;
  Integer selEnd = 0;
  EditGetSelEh(edit->GetHandle(), selStart, selEnd);
  return static_cast<Integer>(static_cast<SmallInt>(selEnd & 0xFFFF));
}

void LoadBitmapFromResourceEh(TBitmap* bitmap, const String& resourceName) {
  bitmap->LoadFromResourceName(0, resourceName);
}

HBITMAP LoadBitmapEh(const String& resourceName) {
  TBitmap bitmap;
  bitmap.LoadFromResourceName(0, resourceName);
  return bitmap.ReleaseHandle();
}
