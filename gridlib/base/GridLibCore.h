// The bottom layer of the grid library: the library's own control base, a memory stream with a tunable
// growth step, a non-owning object list, objects carried in variants and small shared routines.
#pragma once

#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"
#include "platform/controls/Controls.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variant.h"

class TDataSource;

// The common ancestor of the library's own controls.
class TCustomControlEh : public TCustomControl {
  KIV_CLASS(TCustomControlEh, TCustomControl)
 public:
  explicit TCustomControlEh(TComponent* owner) : TCustomControl(owner) {}
};

// A memory stream whose capacity grows in steps of twice HalfMemoryDelta (8192 bytes by default).
class TMemoryStreamEh : public TMemoryStream {
  KIV_CLASS(TMemoryStreamEh, TMemoryStream)
 public:
  TMemoryStreamEh() = default;

  Integer GetHalfMemoryDelta() const { return halfMemoryDelta_; }
  // Any positive step works; zero or less means the capacity follows the size exactly.
  void SetHalfMemoryDelta(Integer value) { halfMemoryDelta_ = value; }

 protected:
  void* Realloc(Int64& newCapacity) override;

 private:
  Integer halfMemoryDelta_ = 4096;
};

// A list of object references; the parameterless constructor does not own them.
class TObjectListEh : public TObjectList {
  KIV_CLASS(TObjectListEh, TObjectList)
 public:
  TObjectListEh() : TObjectList(false) {}
  explicit TObjectListEh(bool ownsObjects) : TObjectList(ownsObjects) {}
};

// A plain list of field references.
class TFieldListEh : public TList {
  KIV_CLASS(TFieldListEh, TList)
 public:
  TField* GetField(int index) const { return static_cast<TField*>(Get(index)); }
};

// Answers the object that a wrapper carries.
class IObjectRefInterface : public IInterface {
 public:
  virtual TObject* GetRefObject() = 0;
};

// Carries an object reference; freeing the wrapper never frees the object.
class TInterfacedObjectWrapper : public TObject, public IObjectRefInterface {
  KIV_CLASS(TInterfacedObjectWrapper, TObject)
 public:
  explicit TInterfacedObjectWrapper(TObject* refObject) : refObject_(refObject) {}
  TObject* GetRefObject() override { return refObject_; }

 private:
  TObject* refObject_;
};

// ---- Small routines ----

inline void EmptyProcEh() {}
template <class T>
void FreeObjectEh(T*& object) {
  FreeAndNil(object);
}

TRect AddRectSidesEh(const TRect& rect, Integer left, Integer top, Integer right, Integer bottom);
void MoveRectToEh(TRect& rect, Integer x, Integer y);
void MoveRectToPointEh(TRect& rect, TPoint point);
void EmptyRectEh(TRect& rect);
// True unless Left < Right and Top < Bottom.
bool IsRectEmptyEh(const TRect& rect);

UInt64 GetTickCountEh();
// x is the sign-extended low word, y the arithmetically shifted high word.
TPoint PointFromLParamEh(Integer lparam);
LPARAM SmallPointToLParamEh(TPoint point);
TPoint LParamToSmallPointEh(LPARAM lparam);
LPARAM ObjectToLParamEh(TObject* object);
// Removes one waiting message of that number for the window; a quit message so removed is posted again.
void RemovePendingMessageEh(HWND wnd, UINT msg);
// 0 = Monday ... 6 = Sunday.
Integer GetFirstDayOfWeekEh();
bool CharInSetEh(Char c, const TSysCharSet& set);
bool IsLeadByteEh(Char c);
String VarToWideStrEh(const Variant& value);
// Locale-aware comparison of the first n characters (0: the whole strings); -1, 0 or 1.
Integer LocaleCompareWideStrEh(const String& s1, const String& s2, Integer n, bool ignoreCase);
Integer LocaleCompareStrEh(const String& s1, const String& s2, Integer n, bool ignoreCase);
String StrFromPWideCharEh(const Char* text);
Char* WideStrCopyEh(Char* dest, const Char* source);
Integer TextLenEh(const String& text);
Integer NextCharPosEh(const String& text, Integer pos);
TColor RGBEh(Byte red, Byte green, Byte blue);
DWORD GetMessageTimeEh();
inline Char MiddleDotCharEh() { return u'\u00B7'; }
void CopyMessageEh(const TMessage& source, TMessage& dest);

String AnsiUpperCaseEh(const String& s);
String AnsiLowerCaseEh(const String& s);
Integer AnsiCompareStrEh(const String& s1, const String& s2);
Integer AnsiCompareTextEh(const String& s1, const String& s2);

// The dataset's CompareBookmarks: negative, 0 or positive.
Integer CompareDataSetBookmarksEh(TDataSet* dataSet, const TBookmark& bookmark1, const TBookmark& bookmark2);
// False for an empty bookmark, else the dataset's BookmarkValid.
bool IsDataSetBookmarkValidEh(TDataSet* dataSet, const TBookmark& bookmark);
// The dataset of the data source held in a class-typed property; nil when the property is missing,
// of another kind or class, or reading it raises.
TDataSet* GetDataSetOfSourcePropEh(TComponent* component, const TPropInfo* propInfo);
// The control's client rectangle passed through its AdjustClientRect.
TRect GetAdjustedClientRectEh(TWinControl* control);

void VarArrayRedimEh(Variant& value, Integer highBound);
void GetCursorPosEh(TPoint& pos);
void RecreateWndEh(TWinControl* control);

// Raises EOutOfResources "Cannot load cursor resource" when there is no such cursor.
HCURSOR LoadCursorCheckedEh(HINSTANCE instance, const String& cursorName);
// Puts the cursor into the first free slot of the screen's cursor table and answers its index.
Integer LoadRegisterCursorEh(const String& cursorName);

// ---- Window, device-context and text routines ----

void SetLayoutEh(HDC dc, DWORD layout);
// Writes the text to the diagnostic output (standard error).
void OutputDebugStringEh(const String& text);
// The shared measuring canvas of the screen, made on first use.
TCanvas* GetScreenCanvasEh();

// How WriteTextExEh lays text out; the defaults are those of WriteTextEh.
struct TWriteTextParamsEh {
  TAlignment Alignment = taLeftJustify;
  Byte Layout = 0;    // 0 top, 1 centre, 2 bottom (the values of TTextLayout)
  Byte WrapMode = 0;  // 0 none, 1 word break, 2 single line
  bool Opaque = true;
  bool RightToLeft = false;
  bool EndEllipsis = false;
};
// Left aligned, top, no wrapping, opaque unless the canvas brush is clear.
void WriteTextEh(TCanvas* canvas, const String& text, const TRect& rect);
void WriteTextExEh(TCanvas* canvas, const String& text, const TRect& rect, const TWriteTextParamsEh& params);
// extents gets the cumulative pixel width after each character; size the whole text's size.
void GetTextExtentExEh(TCanvas* canvas, const String& text, TSize& size, std::vector<Integer>& extents);
Integer DrawTextWEh(HDC dc, const String& text, TRect& rect, UINT format);
Integer DrawTextExWEh(HDC dc, const String& text, TRect& rect, UINT format, DRAWTEXTPARAMS* params);
Integer DrawTextExEh(HDC dc, const String& text, TRect& rect, UINT format);
bool ExtTextOutEh(HDC dc, Integer x, Integer y, UINT options, const TRect* rect, const String& text,
                  const Integer* dx);
bool PolyPolylineEh(TCanvas* canvas, const std::vector<TPoint>& points, const std::vector<DWORD>& counts,
                    Integer polylines);
// The two corner points of a rectangle from logical to device units.
void LogicalPointsToDeviceEh(HDC dc, TPoint& p1, TPoint& p2);
// The font's Size in points; the canvas is not used.
Integer GetFontSizeEh(TFont* font, TCanvas* canvas);
// A nil canvas or one without a context is replaced by the screen canvas.
Integer GetFontTextHeightEh(TCanvas* canvas, TFont* font, bool withExtLeading);
void GetCanvasTextMetricsEh(TCanvas* canvas, TTextMetric& textMetric);

// CS_DROPSHADOW in the window-class style when wanted, cleared otherwise.
void SetDropShadowStyleEh(TCreateParams& params, bool wanted);
LRESULT SendMessageEh(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool InvalidateRectEh(HWND wnd, const TRect* rect, bool erase);
bool ValidateRectEh(HWND wnd, const TRect* rect);
bool ScrollWindowExEh(HWND wnd, Integer dx, Integer dy, const TRect* scroll, const TRect* clip, HRGN update,
                      TRect* updateRect, UINT flags);
HWND SetFocusWindowEh(HWND wnd);
bool IsChildWindowEh(HWND parent, HWND wnd);
// Ends the application's message loop.
void PostQuitMessageEh(Integer exitCode);
void EditGetSelEh(HWND editWnd, Integer& selStart, Integer& selEnd);
void EditSetSelEh(HWND editWnd, Integer selStart, Integer selEnd);
// The caret of an edit stands at the end of its selection (EM_GETSEL).
Integer CharIndexAtCaretEh(TWinControl* edit);
// A bitmap resource of the program into the bitmap.
void LoadBitmapFromResourceEh(TBitmap* bitmap, const String& resourceName);
// A new bitmap handle of the resource; the caller deletes it.
HBITMAP LoadBitmapEh(const String& resourceName);

// An object carried in a variant; the variant never frees it.
void RefObjectToVariantEh(TObject* object, Variant& value);
// Raises EIntfCastError "Interface not supported" for a variant that carries no object reference.
TObject* RefObjectFromVariantEh(const Variant& value);
