// Tool types of the grid library: the bookmark list, the ORDER BY parser, picture placement, the
// library manager and working-time calendar, the special row, and the shared value, text, field and
// window routines.
#include "gridlib/base/ToolCtrlsEh.h"

#include <algorithm>
#include <cmath>

#include "platform/controls/Forms.h"
#include "platform/controls/Mask.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSource.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/QuickSort.h"
#include "platform/rtl/ScopeGuard.h"

// ======================================================================================
// Bookmark list
// ======================================================================================

// A descendant's notifications are gone by now and this class's own do nothing: the bookmarks only go.
TBMListEh::~TBMListEh() = default;

TBookmark TBMListEh::GetItem(Integer index) const {
  if (index < 0 || index >= GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return list_[static_cast<size_t>(index)];
}

void TBMListEh::SetItem(Integer index, const TBookmark& item) {
  if (index < 0 || index >= GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  list_[static_cast<size_t>(index)] = item;
  ClearCache();
}

void TBMListEh::ClearCache() {
  cache_.clear();
  cacheIndex_ = -1;
  cacheFind_ = false;
}

Integer TBMListEh::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  return CompareDataSetBookmarksEh(GetDataSet(), a, b);
}

bool TBMListEh::Find(const TBookmark& item, Integer& index) {
  if (cacheIndex_ >= 0 && CompareBookmarks(item, cache_) == 0) {
    index = cacheIndex_;
    return cacheFind_;
  }
  bool found = false;
  const Integer count = GetCount();
  if (count == 0 || CompareBookmarks(list_.front(), item) > 0) {
    index = 0;
  } else if (CompareBookmarks(list_.back(), item) >= 0) {
    Integer lo = 0;
    Integer hi = count - 1;
    while (hi >= lo) {
      const Integer mid = static_cast<Integer>((static_cast<UInt64>(lo) + static_cast<UInt64>(hi)) / 2);
      const Integer c = CompareBookmarks(list_[static_cast<size_t>(mid)], item);
      if (c < 0) {
        lo = mid + 1;
      } else {
        hi = mid - 1;
        if (c == 0) {
          lo = mid;
          found = true;
        }
      }
    }
    index = lo;
  } else {
    index = count;
  }
  cache_ = item;
  cacheIndex_ = index;
  cacheFind_ = found;
  return found;
}

Integer TBMListEh::IndexOf(const TBookmark& item) {
  Integer index = -1;
  return Find(item, index) ? index : -1;
}

TBookmark TBMListEh::GetCurrentRowBookmark() {
  if (!linkActive_ || !GetDataSet()) RaiseError(SDataSetClosed);
  return GetDataSet()->GetBookmark();
}

bool TBMListEh::GetCurrentRowSelected() {
  if (list_.empty()) return false;
  Integer index = 0;
  return Find(GetCurrentRowBookmark(), index);
}

void TBMListEh::SetCurrentRowSelected(bool value) {
  const TBookmark current = GetCurrentRowBookmark();
  Integer index = 0;
  const bool found = Find(current, index);
  if (value == found) return;
  if (value)
    InsertItem(index, current);
  else
    DeleteItem(index);
}

void TBMListEh::AddItem(const TBookmark& item) { InsertItem(GetCount(), item); }

void TBMListEh::InsertItem(Integer index, const TBookmark& item) {
  if (index < 0 || index > GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  list_.insert(list_.begin() + index, item);
  // The cache holds an index into the list: it is stale after any insertion, updating or not,
  // and a stale hit would insert duplicates or delete the wrong bookmark.
  ClearCache();
  if (!Updating()) Changed();
}

void TBMListEh::DeleteItem(Integer index) {
  if (index < 0 || index >= GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  list_.erase(list_.begin() + index);
  ClearCache();
  if (!Updating()) Changed();
}

void TBMListEh::Changed() { ClearCache(); }

void TBMListEh::RaiseError(const String& msg) { throw Exception(msg); }

bool TBMListEh::DeleteBookmark(const TBookmark& item) {
  Integer index = 0;
  if (!Find(item, index)) return false;
  DeleteItem(index);
  return true;
}

void TBMListEh::AppendBookmark(const TBookmark& item) {
  Integer index = 0;
  if (!Find(item, index)) InsertItem(index, item);
}

void TBMListEh::Clear() {
  if (list_.empty()) return;
  BeginUpdate();
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        for (Integer i = GetCount() - 1; i >= 0; --i) DeleteItem(i);
      },
      [&] { EndUpdate(); });
  Changed();
  BookmarksChanged();
}

void TBMListEh::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) Changed();
}

void TBMListEh::SetLinkActive(bool value) {
  Clear();
  SelectionStateChanged();
  linkActive_ = value;
}

void TBMListEh::QuickSortItems(void* data, const TBMListCompareEh& compare) {
  if (GetCount() < 2) return;
  QuickSortRange(
      0, GetCount() - 1, [&](Integer a, Integer b) { return compare(this, data, a, b); },
      [&](Integer a, Integer b) { std::swap(list_[static_cast<size_t>(a)], list_[static_cast<size_t>(b)]); });
  ClearCache();
}

void TBMListEh::Resort() {
  QuickSortItems(nullptr, [](TBMListEh* list, void*, Integer i, Integer j) {
    return list->CompareBookmarks(list->list_[static_cast<size_t>(i)], list->list_[static_cast<size_t>(j)]);
  });
}

bool TBMListEh::Refresh(bool deleteInvalid) {
  TDataSet* dataSet = GetDataSet();
  bool removed = false;
  struct Finish {
    TBMListEh* list;
    TDataSet* dataSet;
    bool& removed;
    ~Finish() noexcept(false) {
      list->SelectionStateChanged();
      if (dataSet) dataSet->UpdateCursorPos();
      if (removed) {
        list->Changed();
        list->BookmarksChanged();
      }
    }
  };
  {
    Finish finish{this, dataSet, removed};
    dataSet->CheckBrowseMode();
    if (deleteInvalid) {
      for (Integer i = GetCount() - 1; i >= 0; --i) {
        if (IsDataSetBookmarkValidEh(dataSet, list_[static_cast<size_t>(i)])) continue;
        DeleteItem(i);
        removed = true;
      }
    }
    Resort();
  }
  return removed;
}

void TBMListEh::SelectAll() {
  if (!linkActive_) return;
  TDataSet* dataSet = GetDataSet();
  dataSet->DisableControls();
  BeginUpdate();
  // Going back to the current row, EnableControls and EndUpdate move the cursor, repaint and tell the
  // listeners: each may raise, and each runs whatever happened before it.
  TryFinally(
      [&] {
        const TBookmark current = dataSet->GetBookmark();
        TryFinally(
            [&] {
              dataSet->First();
              while (!dataSet->GetEof()) {
                SetCurrentRowSelected(true);
                dataSet->Next();
              }
            },
            [&] {
              if (!current.empty()) dataSet->GotoBookmark(current);
            });
      },
      [&] { TryFinally([&] { dataSet->EnableControls(); }, [&] { EndUpdate(); }); });
}

void TBMListEh::Delete() {
  TDataSet* dataSet = GetDataSet();
  dataSet->DisableControls();
  // EnableControls repaints the grids and SelectionStateChanged tells the listeners; either may raise.
  TryFinally(
      [&] {
        for (Integer i = GetCount() - 1; i >= 0; --i) {
          dataSet->GotoBookmark(list_[static_cast<size_t>(i)]);
          dataSet->Delete();
          DeleteItem(i);
        }
      },
      [&] {
        dataSet->EnableControls();
        SelectionStateChanged();
      });
}

// ======================================================================================
// ORDER BY list
// ======================================================================================

TOrderByList::~TOrderByList() {
  if (!GetOwnsObjects()) return;
  ClearFreeItems();
}

String TOrderByList::GetToken(const String& exp, Integer& fromIndex) const {
  const auto length = static_cast<Integer>(exp.size());
  auto at = [&](Integer i) { return exp[static_cast<size_t>(i - 1)]; };
  while (fromIndex <= length && at(fromIndex) == u' ') ++fromIndex;
  if (fromIndex > length) return String();
  const Char first = at(fromIndex);
  if (first == u',' || first == u';') {
    ++fromIndex;
    return String(1, first);
  }
  String token;
  if (first == u'[') {
    ++fromIndex;
    while (fromIndex <= length && at(fromIndex) != u']' && at(fromIndex) != 0) token += at(fromIndex++);
    if (fromIndex <= length && at(fromIndex) == u']') ++fromIndex;
    return token;
  }
  while (fromIndex <= length) {
    const Char c = at(fromIndex);
    if (c == 0 || c == u' ' || c == u',' || c == u';') break;
    token += c;
    ++fromIndex;
  }
  return token;
}

void TOrderByList::ClearFreeItems() {
  for (Integer i = 0; i < GetCount(); ++i) delete GetItem(i);
  const bool owns = GetOwnsObjects();
  SetOwnsObjects(false);
  Clear();
  SetOwnsObjects(owns);
}

void TOrderByList::ParseOrderByStr(const String& orderByStr) {
  std::vector<std::unique_ptr<TOrderByItemEh>> parsed;
  Integer pos = 1;
  String token = GetToken(orderByStr, pos);
  while (!token.empty()) {
    const Integer fieldIndex = FindFieldIndex(token);
    if (fieldIndex == -1) throw Exception(u" Field - \"" + token + u"\" not found.");
    bool desc = false;
    for (;;) {
      const String next = GetToken(orderByStr, pos);
      if (next.empty() || next == u"," || next == u";") break;
      if (SameText(next, u"DESC"))
        desc = true;
      else if (!SameText(next, u"ASC"))
        throw Exception(u" Invalid token - \"" + next + u"\"");
    }
    auto item = std::make_unique<TOrderByItemEh>();
    SetFieldIndex(item.get(), fieldIndex);
    item->Desc = desc;
    parsed.push_back(std::move(item));
    token = GetToken(orderByStr, pos);
  }
  ClearFreeItems();
  for (auto& item : parsed) Add(item.release());
}

// ======================================================================================
// Picture placement
// ======================================================================================

TRect TPictureEh::GetDestRect(const TRect& srcRect, TImagePlacementEh placement) {
  const Integer W = srcRect.Width();
  const Integer H = srcRect.Height();
  const Integer w = GetWidth();
  const Integer h = GetHeight();
  if (placement == ipReduceFitEh) placement = (W < w || H < h) ? ipFitEh : ipCenterCenterEh;

  Integer width = w;
  Integer height = h;
  if (placement == ipFillEh) {
    if (w <= 0 || h <= 0) {
      width = W;
      height = H;
    } else {
      const double r = static_cast<double>(h) / w;
      width = static_cast<Integer>(std::trunc(H / r));
      height = H;
      if (width < W) {
        height = static_cast<Integer>(std::trunc(r * W));
        width = W;
      }
    }
  } else if (placement == ipFitEh) {
    if (w <= 0 || h <= 0) {
      width = W;
      height = H;
    } else {
      const double r = static_cast<double>(w) / h;
      height = static_cast<Integer>(std::trunc(W / r));
      width = W;
      if (H < height) {
        width = static_cast<Integer>(std::trunc(H * r));
        height = H;
      }
    }
  } else if (placement == ipStretchEh) {
    width = W;
    height = H;
  }

  const Integer dx = W - width;
  const Integer dy = H - height;
  Integer x = 0;
  Integer y = 0;
  switch (placement) {
    case ipTopLeftEh:
      break;
    case ipTopCenterEh:
      x = dx / 2;
      break;
    case ipTopRightEh:
      x = dx;
      break;
    case ipCenterLeftEh:
      y = dy / 2;
      break;
    case ipCenterCenterEh:
      x = dx / 2;
      y = dy / 2;
      break;
    case ipCenterRightEh:
      x = dx;
      y = dy / 2;
      break;
    case ipBottomLeftEh:
      y = dy;
      break;
    case ipBottomCenterEh:
      x = dx / 2;
      y = dy;
      break;
    case ipBottomRightEh:
      x = dx;
      y = dy;
      break;
    case ipFillEh:
      if (height == H)
        x = dx / 2;
      else
        y = dy / 2;
      break;
    case ipFitEh:
      if (width == W)
        y = dy / 2;
      else
        x = dx / 2;
      break;
    default:
      break;
  }
  return TRect(srcRect.Left + x, srcRect.Top + y, srcRect.Left + x + width, srcRect.Top + y + height);
}

void TPictureEh::PaintTo(TCanvas* canvas, const TRect& destRect, TImagePlacementEh placement, TPoint,
                         const TRect&) {
  TGraphic* graphic = GetGraphic();
  if (!graphic || graphic->GetEmpty()) return;
  if (placement != ipTileEh) {
    canvas->StretchDraw(GetDestRect(destRect, placement), graphic);
    return;
  }
  const Integer w = GetWidth();
  const Integer h = GetHeight();
  if (w <= 0 || h <= 0) return;
  for (Integer top = destRect.Top; top < destRect.Bottom; top += h)
    for (Integer left = destRect.Left; left < destRect.Right; left += w)
      canvas->StretchDraw(TRect(left, top, left + w, top + h), graphic);
}

void TCacheAlphaBitmapEh::Capture() {
  if (capture_) throw Exception(u"CacheAlphaBitmap have captured");
  capture_ = true;
}

void TCacheAlphaBitmapEh::DrawHorzLine(TPoint p, Integer lineWidth, TColor color) {
  const Integer width = GetWidth();
  if (p.Y < 0 || p.Y >= GetHeight() || p.X >= width) return;
  const TColorRef rgb = ColorToRGB(color);
  auto* row = static_cast<Byte*>(GetScanLine(p.Y));
  const Integer last = std::min(p.X + lineWidth, width - 1);
  for (Integer x = std::max(p.X, 0); x <= last; ++x) {
    Byte* pixel = row + 4 * x;
    pixel[0] = GetBValue(rgb);
    pixel[1] = GetGValue(rgb);
    pixel[2] = GetRValue(rgb);
    pixel[3] = 255;
  }
}

namespace {

std::unique_ptr<TCacheAlphaBitmapEh>& CacheAlphaBitmapSlot() {
  static std::unique_ptr<TCacheAlphaBitmapEh> bitmap;
  return bitmap;
}

}  // namespace

TCacheAlphaBitmapEh* GetCacheAlphaBitmapEh(Integer width, Integer height) {
  auto& bitmap = CacheAlphaBitmapSlot();
  if (!bitmap) {
    bitmap = std::make_unique<TCacheAlphaBitmapEh>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetAlphaFormat(afDefined);
    SetBkMode(bitmap->GetCanvas()->GetHandle(), TRANSPARENT);
  }
  if (bitmap->GetWidth() < width || bitmap->GetHeight() < height)
    bitmap->SetSize(std::max(bitmap->GetWidth(), width), std::max(bitmap->GetHeight(), height));
  return bitmap.get();
}

bool IsCacheAlphaBitmapCapturedEh() {
  const auto& bitmap = CacheAlphaBitmapSlot();
  return bitmap && bitmap->GetCaptured();
}

// ======================================================================================
// Library manager and working-time calendar
// ======================================================================================

namespace {

std::unique_ptr<TGridLibManager>& GlobalManagerSlot() {
  static std::unique_ptr<TGridLibManager> manager = std::make_unique<TGridLibManager>();
  return manager;
}

std::unique_ptr<TWorkingTimeCalendarEh>& GlobalCalendarSlot() {
  static std::unique_ptr<TWorkingTimeCalendarEh> calendar = std::make_unique<TWorkingTimeCalendarEh>(nullptr);
  return calendar;
}

// Every calendar repaints on a theme change; one such message in the queue is enough.
void AskCalendarsToRepaint() {
  if (Application) PostMessageOnce(Application->GetHandle(), WM_THEMECHANGED, 0, 0);
}

}  // namespace

TGridLibManager::TGridLibManager() : useAlphaFormatInAlphaBlend_(ThemesEnabled()) {}

void TGridLibManager::SetDateTimeCalendarPickerHighlightHolidays(bool value) {
  if (value == highlightHolidays_) return;
  highlightHolidays_ = value;
  AskCalendarsToRepaint();
}

void TGridLibManager::SetWeekWorkingDays(TWeekDaysEh value) {
  if (value == weekWorkingDays_) return;
  weekWorkingDays_ = value;
  AskCalendarsToRepaint();
}

TGridLibManager* TGridLibManager::SetAsGlobal() {
  auto& slot = GlobalManagerSlot();
  if (slot.get() == this) return this;
  TGridLibManager* previous = slot.release();
  slot.reset(this);
  return previous;
}

TGridLibManager* GetGridLibManager() { return GlobalManagerSlot().get(); }

bool TWorkingTimeCalendarEh::IsWorkday(TDateTime date) {
  // DayOfWeek counts from Sunday = 1; the working days count from Monday = 0.
  const int mondayBased = (DayOfWeek(date) + 5) % 7;
  return GetGridLibManager()->GetWeekWorkingDays().Contains(static_cast<TWeekDayEh>(mondayBased));
}

void TWorkingTimeCalendarEh::GetWorkingTime(TDateTime, TTimeRangesEh& timeRanges) {
  timeRanges.assign(1, TTimeRangeEh{EncodeTime(8, 0, 0, 0), EncodeTime(17, 0, 0, 0)});
}

TWorkingTimeCalendarEh* TWorkingTimeCalendarEh::SetAsGlobal() {
  auto& slot = GlobalCalendarSlot();
  if (slot.get() == this) return this;
  TWorkingTimeCalendarEh* previous = slot.release();
  slot.reset(this);
  return previous;
}

TWorkingTimeCalendarEh* GetWorkingTimeCalendarEh() { return GlobalCalendarSlot().get(); }

// ======================================================================================
// Special row
// ======================================================================================

TSpecRowEh::TSpecRowEh(TPersistent* owner)
    : cellsStrings_(std::make_unique<TStringList>()),
      font_(std::make_unique<TFont>()),
      owner_(owner),
      shortCut_(ShortCut(VK_DELETE, TShiftState{ssAlt})) {
  copyingDefaultFont_ = true;
  font_->Assign(DefaultFont());
  copyingDefaultFont_ = false;
  font_->OnChange = TNotifyEvent(this, &TSpecRowEh::FontChanged);
}

TSpecRowEh::~TSpecRowEh() = default;

void TSpecRowEh::Published(TPropBuilder<TSpecRowEh>& p) {
  p.Str(u"CellsText", &TSpecRowEh::GetCellsText, &TSpecRowEh::SetCellsText);
  p.IntIdent(u"Color", TypeInfoColor(), &TSpecRowEh::GetColor, &TSpecRowEh::SetColor)
      .Stored(&TSpecRowEh::GetColorAssigned);
  p.Object(
       u"Font", [](const TSpecRowEh* row) { return const_cast<TSpecRowEh*>(row)->GetFont(); },
       &TSpecRowEh::SetFont)
      .Stored(&TSpecRowEh::GetFontAssigned);
  p.Int(u"ShortCut", &TSpecRowEh::GetShortCut, &TSpecRowEh::SetShortCut).Default(32814);
  p.Bool(u"ShowIfNotInKeyList", &TSpecRowEh::GetShowIfNotInKeyList, &TSpecRowEh::SetShowIfNotInKeyList)
      .Default(1);
  p.Var(u"Value", &TSpecRowEh::GetValue, &TSpecRowEh::SetValue)
      .Stored(std::function<bool(const TObject*)>(
          [](const TObject* o) { return !VarIsNull(static_cast<const TSpecRowEh*>(o)->GetValue()); }));
  p.Bool(u"Visible", &TSpecRowEh::GetVisible, &TSpecRowEh::SetVisible).Default(0);
}

void TSpecRowEh::Changed() {
  if (OnChanged && updateCount_ == 0) OnChanged(this);
}

void TSpecRowEh::EndUpdate() {
  --updateCount_;
  Changed();
}

void TSpecRowEh::SetCellsText(const String& value) {
  if (value == cellsText_) return;
  cellsText_ = value;
  SplitCellsText();
  Changed();
}

void TSpecRowEh::SplitCellsText() {
  cellsStrings_->BeginUpdate();
  cellsStrings_->Clear();
  // A zero character ends the text, as it would end a zero-terminated one.
  const String s = cellsText_.substr(0, cellsText_.find(u'\0'));
  size_t i = 0;
  while (i < s.size() && s[i] >= 1 && s[i] <= u' ') ++i;
  while (i < s.size()) {
    String cell;
    if (s[i] == u'"') {
      ++i;
      while (i < s.size()) {
        if (s[i] == u'"') {
          if (i + 1 < s.size() && s[i + 1] == u'"') {
            cell += u'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        cell += s[i++];
      }
    } else {
      while (i < s.size() && s[i] >= u' ' && s[i] != u';') cell += s[i++];
    }
    cellsStrings_->Add(cell);
    while (i < s.size() && s[i] >= 1 && s[i] <= 31) ++i;
    if (i < s.size() && s[i] == u';') {
      ++i;
      while (i < s.size() && s[i] >= 1 && s[i] <= 31) ++i;
    }
  }
  cellsStrings_->EndUpdate();
}

String TSpecRowEh::GetCellText(Integer index) const {
  if (index < 0 || index >= cellsStrings_->GetCount()) return String();
  return cellsStrings_->Get(index);
}

void TSpecRowEh::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  colorAssigned_ = true;
  Changed();
}

TColor TSpecRowEh::DefaultColor() const {
  if (auto* control = dynamic_cast<TCustomControl*>(owner_)) return control->GetColor();
  return color_;
}

TFont* TSpecRowEh::DefaultFont() const {
  if (auto* control = dynamic_cast<TControl*>(owner_)) return control->GetFont();
  return font_.get();
}

TFont* TSpecRowEh::GetFont() {
  TFont* defaultFont = DefaultFont();
  if (!fontAssigned_ && defaultFont != font_.get() && defaultFont->GetHandle() != font_->GetHandle()) {
    const TNotifyEvent saved = font_->OnChange;
    font_->OnChange = nullptr;
    font_->Assign(defaultFont);
    font_->OnChange = saved;
  }
  return font_.get();
}

void TSpecRowEh::SetFont(TFont* value) { font_->Assign(value); }

void TSpecRowEh::FontChanged(TObject*) {
  if (copyingDefaultFont_) return;
  Changed();
  fontAssigned_ = true;
}

void TSpecRowEh::SetShowIfNotInKeyList(bool value) {
  if (value == showIfNotInKeyList_) return;
  showIfNotInKeyList_ = value;
  Changed();
}

void TSpecRowEh::SetValue(const Variant& value) {
  if (VarCompareValue(value, value_) == vrEqual && VarType(value) == VarType(value_)) return;
  value_ = value;
  Changed();
}

void TSpecRowEh::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed();
}

bool TSpecRowEh::LocateKey(const Variant& keyValue) const {
  return visible_ && VarEqualsEh(value_, keyValue);
}

void TSpecRowEh::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSpecRowEh*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  BeginUpdate();
  TryFinally(
      [&] {
        SetCellsText(other->GetCellsText());
        SetColor(other->GetColor());
        if (other->fontAssigned_) SetFont(other->font_.get());
        SetShortCut(other->GetShortCut());
        SetShowIfNotInKeyList(other->GetShowIfNotInKeyList());
        SetValue(other->GetValue());
        SetVisible(other->GetVisible());
      },
      [&] { EndUpdate(); });
}

// ======================================================================================
// Value storage formats
// ======================================================================================

// The Cyrillic letter "Р" is no delimiter: it would split every Russian word that has it.
const String WordDelimitersEh = u" .;,:(){}\"'/\\<>!?[]-+*=\t\u2018\u2019\u201C\u201D\u00A0\u201E";

namespace {

TFormatSettings StorageFormatSettings() {
  TFormatSettings settings = FormatSettings;
  settings.DecimalSeparator = u'.';
  settings.DateSeparator = u'-';
  settings.ShortDateFormat = u"YYYY/MM/DD";
  settings.TimeSeparator = u':';
  settings.ShortTimeFormat = u"HH:NN:SS";
  return settings;
}

}  // namespace

void VarToStorageStrEh(const Variant& value, String& text) {
  TFormatSettingsGuard guard(StorageFormatSettings());
  const TVarType type = VarType(value);
  if (type == varCurrency)
    text = CurrToStr(value.AsCurrency());
  else if (type == varDate)
    text = DateTimeToStr(value.AsDateTime());
  else
    text = VarToStr(value);
}

void StorageStrToVarEh(const String& text, TVarType varType, Variant& value) {
  value = Variant::Null();
  TFormatSettingsGuard guard(StorageFormatSettings());
  value = VarAsType(Variant(text), varType);
}

String FloatToDotStrEh(Extended value) {
  TFormatSettings settings = FormatSettings;
  settings.DecimalSeparator = u'.';
  return FloatToStr(value, settings);
}

// ======================================================================================
// Arrays and variants
// ======================================================================================

namespace {

bool SameArrayShape(const Variant& v1, const Variant& v2) {
  return VarArrayDimCount(v1) == VarArrayDimCount(v2) && VarArrayLowBound(v1, 1) == VarArrayLowBound(v2, 1) &&
         VarArrayHighBound(v1, 1) == VarArrayHighBound(v2, 1);
}

TVariantRelationship CompareScalarsEh(const Variant& v1, const Variant& v2) {
  const bool null1 = VarIsNull(v1);
  const bool null2 = VarIsNull(v2);
  if (null1 && null2) return vrEqual;
  if (null1) return vrLessThan;
  if (null2) return vrGreaterThan;
  return VarCompareValue(v1, v2);
}

}  // namespace

bool VarEqualsEh(const Variant& v1, const Variant& v2) {
  try {
    const bool array1 = VarIsArray(v1);
    const bool array2 = VarIsArray(v2);
    if (array1 != array2) return false;
    if (array1) {
      if (!SameArrayShape(v1, v2)) return false;
      const int low = VarArrayLowBound(v1, 1);
      const int high = VarArrayHighBound(v1, 1);
      if (high < low) return false;
      for (int i = low; i <= high; ++i)
        if (!(v1.GetElement(i) == v2.GetElement(i))) return false;
      return true;
    }
    if (VarIsEmpty(v1) != VarIsEmpty(v2)) return false;
    return v1 == v2;
  } catch (const std::exception&) {
    return false;
  }
}

TVariantRelationship VarCompareValuesEh(const Variant& v1, const Variant& v2) {
  const bool array1 = VarIsArray(v1);
  const bool array2 = VarIsArray(v2);
  if (array1 != array2) return vrNotEqual;
  if (array1 && SameArrayShape(v1, v2)) {
    const int low = VarArrayLowBound(v1, 1);
    const int high = VarArrayHighBound(v1, 1);
    if (high < low) return vrNotEqual;
    for (int i = low; i <= high; ++i) {
      const TVariantRelationship r = CompareScalarsEh(v1.GetElement(i), v2.GetElement(i));
      if (r != vrEqual) return r;
    }
    return vrEqual;
  }
  if (array1) return vrNotEqual;
  return CompareScalarsEh(v1, v2);
}

String VarToStrWithDateTimeEh(const Variant& value) {
  if (VarType(value) == varDate) return DateTimeToStr(value.AsDateTime());
  return VarToStr(value);
}

String VarArrayToStrEh(const Variant& value) {
  if (!VarIsArray(value)) return VarToStr(value);
  String text = u"[";
  for (int i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i) {
    if (i > VarArrayLowBound(value, 1)) text += u", ";
    text += VarArrayToStrEh(value.GetElement(i));
  }
  return text + u"]";
}

bool VarIsNumberEh(const Variant& value) {
  const TVarType type = VarType(value);
  return (type >= varSmallint && type <= varDate) || (type >= varShortInt && type <= varInt64) ||
         type == varFMTBcd;
}

void VarToDisplayTextEh(const Variant& value, TField* field, const String& displayFormat, String& text) {
  text.clear();
  if (VarIsNull(value) || VarIsEmpty(value)) return;
  auto* numeric = dynamic_cast<TNumericField*>(field);
  const String fieldFormat = numeric ? numeric->GetDisplayFormat() : String();
  switch (field->GetDataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      if (!displayFormat.empty())
        text = FormatFloat(displayFormat, value.AsDouble());
      else if (!fieldFormat.empty())
        text = FormatFloat(fieldFormat, value.AsDouble());
      else
        text = IntToStr(value.AsInt64());
      return;
    case ftFloat:
    case ftCurrency: {
      if (!displayFormat.empty()) {
        text = FormatFloat(displayFormat, value.AsDouble());
        return;
      }
      if (!fieldFormat.empty()) {
        text = FormatFloat(fieldFormat, value.AsDouble());
        return;
      }
      auto* floatField = dynamic_cast<TFloatField*>(field);
      const Integer precision = floatField ? floatField->GetPrecision() : 15;
      if (floatField && floatField->GetCurrency())
        text = FloatToStrF(value.AsDouble(), ffCurrency, precision, FormatSettings.CurrencyDecimals);
      else
        text = FloatToStrF(value.AsDouble(), ffGeneral, precision, 0);
      return;
    }
    case ftBCD:
    case ftFMTBcd: {
      if (!displayFormat.empty()) {
        text = FormatFloat(displayFormat, value.AsDouble());
        return;
      }
      if (!fieldFormat.empty()) {
        text = FormatCurr(fieldFormat, value.AsCurrency());
        return;
      }
      auto* bcdField = dynamic_cast<TBCDField*>(field);
      if (bcdField && bcdField->GetCurrency())
        text = CurrToStrF(value.AsCurrency(), ffCurrency, FormatSettings.CurrencyDecimals);
      else
        text = CurrToStrF(value.AsCurrency(), ffGeneral, 0);
      return;
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
      String format = displayFormat;
      if (format.empty()) {
        if (field->GetDataType() == ftDate)
          format = FormatSettings.ShortDateFormat;
        else if (field->GetDataType() == ftTime)
          format = FormatSettings.LongTimeFormat;
      }
      DateTimeToString(text, format, value.AsDateTime());
      return;
    }
    default:
      text = VarToStr(value);
      return;
  }
}

void ApplyEditMaskEh(const String& editMask, const String& text, String& result) {
  if (editMask.empty()) {
    result = text;
    return;
  }
  TEditMaskEngine engine(editMask);
  engine.SetText(text);
  const String& editText = engine.GetEditText();
  if (engine.GetMaskSave()) {
    result = editText;
    return;
  }
  result.clear();
  for (Integer i = 0; i < engine.GetMaxChars(); ++i)
    if (!engine.IsLiteral(i)) result += editText[static_cast<size_t>(i)];
}

TDateTime TruncMillisecondsEh(TDateTime dateTime) { return RecodeMilliSecond(dateTime, 0); }

void ReplaceTimeEh(TDateTime& dateTime, TDateTime time) {
  const double days = std::trunc(dateTime);
  const double fraction = std::fabs(time - std::trunc(time));
  dateTime = dateTime >= 0 ? days + fraction : days - fraction;
}

// ======================================================================================
// Text search
// ======================================================================================

TLocateSubTextRoutineEh LocateSubTextRoutineEh = FindSubstringEh;
TShowDBGridEhFindDialogProc ShowDBGridEhFindDialogProc;

namespace {

bool IsWordDelimiterAt(const String& text, Integer pos) {
  if (pos < 1 || pos > static_cast<Integer>(text.size())) return true;
  return WordDelimitersEh.find(text[static_cast<size_t>(pos - 1)]) != String::npos;
}

}  // namespace

Integer FindSubstringEh(const String& subText, const String& text, bool ignoreCase, Integer startPos,
                        bool wholeWords) {
  const String sub = ignoreCase ? AnsiUpperCase(subText) : subText;
  const String body = ignoreCase ? AnsiUpperCase(text) : text;
  if (sub.empty()) return 0;
  Integer from = std::max<Integer>(startPos, 1);
  for (;;) {
    const Integer hit = PosEx(sub, body, from);
    if (hit == 0 || !wholeWords) return hit;
    const Integer after = hit + static_cast<Integer>(sub.size());
    if (IsWordDelimiterAt(body, hit - 1) && IsWordDelimiterAt(body, after)) return hit;
    if (after > static_cast<Integer>(body.size())) return 0;
    from = after;
  }
}

bool FindAllSubstringsEh(const String& text, const String& subText, std::vector<Integer>& positions,
                         bool caseInsensitive, bool wholeWords, bool beginsWithOnly) {
  positions.clear();
  const String body = caseInsensitive ? AnsiUpperCase(text) : text;
  const String sub = caseInsensitive ? AnsiUpperCase(subText) : subText;
  Integer from = 1;
  for (;;) {
    const Integer hit = caseInsensitive ? LocateSubTextRoutineEh(sub, body, true, from, wholeWords)
                                        : FindSubstringEh(sub, body, false, from, wholeWords);
    if (hit == 0) break;
    if (beginsWithOnly) {
      if (hit != 1) return false;
      positions.push_back(0);
      return true;
    }
    positions.push_back(hit - 1);
    from = hit + 1;
  }
  return !positions.empty();
}

Integer LocateTextInStringsEh(TStrings* strings, const String& text, TLocateOptions options) {
  const size_t length = text.size();
  for (int i = 0; i < strings->GetCount(); ++i) {
    const String item = strings->Get(i);
    if (item.size() < length) continue;
    if (!options.Contains(loPartialKey) && item.size() != length) continue;
    const String head = item.substr(0, length);
    const int c = options.Contains(loCaseInsensitive) ? AnsiCompareText(head, text) : CompareStr(head, text);
    if (c == 0) return i;
  }
  return -1;
}

void FormatHasAmPmEh(const String& format, TCalendarDateTimeUnitsEh& units) {
  units = {};
  const String f = AnsiUpperCase(format);
  size_t i = 0;
  while (i < f.size()) {
    const Char c = f[i];
    if (c == u'"' || c == u'\'') {
      const size_t close = f.find(c, i + 1);
      i = close == String::npos ? f.size() : close + 1;
      continue;
    }
    switch (c) {
      case u'Y':
        units.Include(cdtuYearEh);
        break;
      case u'M':
        units.Include(cdtuMonthEh);
        break;
      case u'D':
        units.Include(cdtuDayEh);
        break;
      case u'H':
        units.Include(cdtuHourEh);
        break;
      case u'N':
        units.Include(cdtuMinuteEh);
        break;
      case u'S':
        units.Include(cdtuSecondEh);
        break;
      case u'A':
        for (const Char* token : {u"AM/PM", u"A/P", u"AMPM"}) {
          const String t(token);
          if (f.compare(i, t.size(), t) == 0) {
            units.Include(cdtuAmPmEh);
            i += t.size() - 1;
            break;
          }
        }
        break;
      default:
        break;
    }
    ++i;
  }
}

void GetLocaleTimeFlagsEh(THoursTimeFormatEh& hoursFormat, TAmPmPosEh& amPmPos) {
  hoursFormat = LocaleInfo().TwentyFourHourTime ? htf24hEh : htfAmPm12hEh;
  amPmPos = appAmPmSuffixEh;
}

// ======================================================================================
// Fields
// ======================================================================================

bool FieldListCanModifyEh(TList* fields) {
  for (int i = 0; i < fields->GetCount(); ++i)
    if (!static_cast<TField*>(fields->Get(i))->CanModify()) return false;
  return true;
}

bool FieldsCanModifyEh(const TFieldsArrEh& fields) {
  return std::all_of(fields.begin(), fields.end(), [](TField* f) { return f->CanModify(); });
}

void GetFieldListByNamesEh(TList* list, TDataSet* dataSet, TComponent* component, const String& fieldNames) {
  for (const String& name : SplitFieldNames(fieldNames)) {
    TField* field = dataSet->FindField(name);
    if (!field) DatabaseErrorFmt(SFieldNotFound, {name}, component);
    if (list) list->Add(field);
  }
}

void GetFieldsArrByNamesEh(TDataSet* dataSet, TComponent* control, const String& fieldNames,
                           TFieldsArrEh& fields) {
  TList list;
  GetFieldListByNamesEh(&list, dataSet, control, fieldNames);
  fields.clear();
  for (int i = 0; i < list.GetCount(); ++i) fields.push_back(static_cast<TField*>(list.Get(i)));
}

void GetFieldsValuesEh(TDataSet*, const TFieldsArrEh& fields, Variant& value) {
  if (fields.size() < 2) {
    value = fields.empty() ? Variant::Null() : fields.front()->GetValue();
    return;
  }
  std::vector<Variant> values;
  for (TField* field : fields) values.push_back(field->GetValue());
  value = VarArrayOf(values);
}

void SetFieldsValuesEh(TDataSet* dataSet, const String& fieldNames, const Variant& value) {
  if (VarEqualsEh(value, Variant::Null())) {
    for (const String& name : SplitFieldNames(fieldNames)) dataSet->FieldByName(name)->Clear();
    return;
  }
  dataSet->SetFieldValues(fieldNames, value);
}

bool IsNumericFieldTypeEh(TFieldType fieldType) {
  switch (fieldType) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case TFieldType::ftExtended:
    case TFieldType::ftSingle:
      return true;
    default:
      return false;
  }
}

bool IsStringFieldTypeEh(TFieldType fieldType) {
  switch (fieldType) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftOraClob:
    case ftVariant:
    case ftGuid:
    case ftFixedWideChar:
    case ftWideMemo:
      return true;
    default:
      return false;
  }
}

// ======================================================================================
// Graphic providers
// ======================================================================================

namespace {

std::vector<TClass>& GraphicProviders() {
  static std::vector<TClass> providers{TBMPGraphicProviderEh::StaticClass()};
  return providers;
}

}  // namespace

TClass TBMPGraphicProviderEh::GetImageClassForStream(const Byte* start, size_t size) const {
  if (size >= 2 && start[0] == 0x42 && start[1] == 0x4D) return TBitmap::StaticClass();
  return nullptr;
}

void RegisterGraphicProviderEh(TClass providerClass) {
  auto& providers = GraphicProviders();
  if (std::find(providers.begin(), providers.end(), providerClass) != providers.end()) return;
  providers.insert(providers.begin(), providerClass);
}

TClass FindGraphicProviderEh(const Byte* start, size_t size) {
  for (TClass providerClass : GraphicProviders()) {
    std::unique_ptr<TGraphicProviderEh> provider(providerClass->Create<TGraphicProviderEh>());
    if (TClass graphicClass = provider->GetImageClassForStream(start, size)) return graphicClass;
  }
  return nullptr;
}

Integer GraphicProviderCountEh() { return static_cast<Integer>(GraphicProviders().size()); }

TGraphic* LoadGraphicFromFieldEh(TField* field) {
  auto* blob = dynamic_cast<TBlobField*>(field);
  if (!blob) return nullptr;
  TMemoryStream stream;
  blob->SaveToStream(&stream);
  stream.SetPosition(0);
  const auto* bytes = static_cast<const Byte*>(stream.Memory());
  const Int64 size = stream.GetSize();
  Int64 offset = 0;
  if (blob->GetGraphicHeader() && size > 7) {
    const Word count = static_cast<Word>(bytes[0] | (bytes[1] << 8));
    const Word type = static_cast<Word>(bytes[2] | (bytes[3] << 8));
    const Cardinal length = static_cast<Cardinal>(bytes[4]) | (static_cast<Cardinal>(bytes[5]) << 8) |
                            (static_cast<Cardinal>(bytes[6]) << 16) | (static_cast<Cardinal>(bytes[7]) << 24);
    if (count == 1 && type == 0x0100 && static_cast<Int64>(length) + 8 == size) offset = 8;
  }
  stream.SetPosition(offset);
  TClass graphicClass =
      FindGraphicProviderEh(bytes ? bytes + offset : nullptr, static_cast<size_t>(size - offset));
  if (!graphicClass) graphicClass = TBitmap::StaticClass();
  std::unique_ptr<TGraphic> graphic(graphicClass->Create<TGraphic>());
  try {
    graphic->LoadFromStream(&stream);
  } catch (const EInvalidGraphic&) {
    // Content nobody reads leaves an empty graphic.
  }
  return graphic.release();
}

void LoadPictureFromFieldEh(TField* field, TPicture* picture) {
  std::unique_ptr<TGraphic> graphic(LoadGraphicFromFieldEh(field));
  picture->SetGraphic(graphic.get());
}

TPicture* CreatePictureFromFieldEh(TField* field) {
  auto picture = std::make_unique<TPicture>();
  LoadPictureFromFieldEh(field, picture.get());
  return picture.release();
}

// ======================================================================================
// Window routines
// ======================================================================================

void PlacePopupAtRectEh(const TRect& rect, TWinControl* popup, TAlignment align, TPoint& pos) {
  const TRect work = Screen->WorkAreaOfRect(rect);
  Integer height = popup->GetHeight();
  Integer width = popup->GetWidth();
  const bool fitsBelow = rect.Bottom + height <= work.Bottom;
  const bool fitsAbove = rect.Top - height >= work.Top;
  const bool above = (!fitsBelow && fitsAbove) ||
                     (!fitsBelow && !fitsAbove && rect.Top - work.Top > work.Bottom - rect.Bottom);
  Integer y;
  if (above) {
    if (!fitsAbove) height = rect.Top - work.Top;
    y = rect.Top - height;
    popup->Perform(WM_USER + 100, sgcpToTop, 0);
  } else {
    if (!fitsBelow) height = work.Bottom - rect.Bottom;
    y = rect.Bottom;
    popup->Perform(WM_USER + 100, sgcpToBottom, 0);
  }
  width = std::min(width, work.Width());
  Integer x = rect.Left;
  if (align == taRightJustify)
    x -= width - rect.Width();
  else if (align == taCenter)
    x -= (width - rect.Width()) / 2;
  if (x + width > work.Right) {
    x = work.Right - width;
    popup->Perform(WM_USER + 100, sgcpToLeft, 0);
  } else if (x < work.Left) {
    x = work.Left;
    popup->Perform(WM_USER + 100, sgcpToRight, 0);
  } else {
    popup->Perform(WM_USER + 100, align == taRightJustify ? sgcpToLeft : sgcpToRight, 0);
  }
  popup->SetBounds(popup->GetLeft(), popup->GetTop(), width, height);
  pos = TPoint(x, y);
}

void GetControlScreenRectEh(TControl* control, TRect& rect) {
  const TPoint origin = control->GetClientOrigin();
  rect = TRect(origin.X, origin.Y, origin.X + control->GetWidth(), origin.Y + control->GetHeight());
}

void PlacePopupUnderControlEh(TControl* control, TWinControl* popup, TAlignment align, TPoint& pos) {
  TRect rect(control->GetLeft(), control->GetTop(), control->GetLeft() + control->GetWidth(),
             control->GetTop() + control->GetHeight());
  if (TWinControl* parent = control->GetParent()) {
    const TPoint topLeft = parent->ClientToScreen(TPoint(rect.Left, rect.Top));
    rect = TRect(topLeft.X, topLeft.Y, topLeft.X + rect.Width(), topLeft.Y + rect.Height());
  }
  PlacePopupAtRectEh(rect, popup, align, pos);
}

bool IsDoubleClickEh(TPoint firstPos, TPoint secondPos, Integer interval) {
  return interval <= static_cast<Integer>(GetDoubleClickTime()) &&
         std::abs(firstPos.X - secondPos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
         std::abs(firstPos.Y - secondPos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

namespace {

HWND ClickWindowOf(TControl* control) {
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) return windowed->GetHandle();
  return control->GetParent() ? control->GetParent()->GetHandle() : nullptr;
}

bool PendingClickOf(HWND wnd, TMsg& msg) {
  if (!PeekMessage(&msg, wnd, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE)) return false;
  return msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK;
}

}  // namespace

bool RemovePendingClickInClientEh(TControl* control) {
  HWND wnd = ClickWindowOf(control);
  TMsg msg;
  if (!wnd || !PendingClickOf(wnd, msg)) return false;
  const TPoint windowPoint(static_cast<SmallInt>(msg.lParam & 0xFFFF),
                           static_cast<SmallInt>((msg.lParam >> 16) & 0xFFFF));
  TPoint clientPoint = windowPoint;
  if (!dynamic_cast<TWinControl*>(control)) {
    TWinControl* parent = control->GetParent();
    if (parent->ControlAtPos(windowPoint, false) != control) return false;
    clientPoint = TPoint(windowPoint.X - control->GetLeft(), windowPoint.Y - control->GetTop());
  }
  if (!PtInRect(control->GetClientRect(), clientPoint)) return false;
  return RemovePendingClick(wnd);
}

bool RemovePendingClickEh(TControl* control) {
  HWND wnd = ClickWindowOf(control);
  TMsg msg;
  if (!wnd || !PendingClickOf(wnd, msg)) return false;
  if (!dynamic_cast<TWinControl*>(control)) {
    const TPoint point(static_cast<SmallInt>(msg.lParam & 0xFFFF),
                       static_cast<SmallInt>((msg.lParam >> 16) & 0xFFFF));
    if (control->GetParent()->ControlAtPos(point, false) != control) return false;
  }
  return RemovePendingClick(wnd);
}

bool IsMouseButtonDownEh(TMouseButton button) {
  const Integer vk = button == mbLeft ? VK_LBUTTON : (button == mbRight ? VK_RBUTTON : VK_MBUTTON);
  return GetAsyncKeyState(vk) < 0;
}

TShiftState GetShiftStateEh() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

void PostMessageOnceEh(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (Application) PostMessageOnce(Application->GetHandle(), msg, wParam, lParam);
}

void PerformForComponentsEh(TComponent* component, TClass classType, UINT msg, WPARAM wParam, LPARAM lParam) {
  for (int i = 0; i < component->GetComponentCount(); ++i) {
    TComponent* child = component->GetComponent(i);
    if (child->InheritsFrom(classType))
      if (auto* control = dynamic_cast<TControl*>(child)) control->Perform(msg, wParam, lParam);
    PerformForComponentsEh(child, classType, msg, wParam, lParam);
  }
}

TPoint InterpolatePointEh(TPoint p1, TPoint p2, double fraction) {
  return TPoint(p1.X + static_cast<Integer>(std::trunc((p2.X - p1.X) * fraction)),
                p1.Y + static_cast<Integer>(std::trunc((p2.Y - p1.Y) * fraction)));
}

TSizeGripPosition MirrorSizeGripPositionEh(TSizeGripPosition position) {
  switch (position) {
    case sgpTopLeft:
      return sgpTopRight;
    case sgpTopRight:
      return sgpTopLeft;
    case sgpBottomRight:
      return sgpBottomLeft;
    default:
      return sgpBottomRight;
  }
}

void QuickSortByCallbacksEh(void* data, Integer l, Integer r,
                            const std::function<int(void*, Integer, Integer)>& compare,
                            const std::function<void(void*, Integer, Integer)>& exchange) {
  QuickSortRange(
      l, r, [&](Integer a, Integer b) { return compare(data, a, b); },
      [&](Integer a, Integer b) { exchange(data, a, b); });
}

bool PointInRectEh(const TRect& rect, TPoint point) {
  return point.X >= rect.Left && point.X < rect.Right && point.Y >= rect.Top && point.Y < rect.Bottom;
}

int CompareStringsItemsEh(void* strings, Integer i, Integer j) {
  auto* list = static_cast<TStrings*>(strings);
  return CompareStr(list->Get(i), list->Get(j));
}
