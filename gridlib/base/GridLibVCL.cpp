// The bottom layer of the grid library: memory stream growth, list, bookmark, locale and variant
// routines shared by every other unit of the library.
#include "gridlib/base/GridLibVCL.h"

#include <cstdlib>

#include "platform/controls/Forms.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Format.h"

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
    if (Screen->GetCursors(i) != freeMarker) continue;
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
