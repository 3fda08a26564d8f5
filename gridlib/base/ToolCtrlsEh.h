// Tool types of the grid library shared by grids, editors and drop-downs: the library interfaces, the
// bookmark list, the ORDER BY list, picture placement, the library manager, the working-time calendar,
// the special row of drop-down lists, and the value, text, field and window routines.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "gridlib/base/DynVarsEh.h"
#include "gridlib/base/GridLibCore.h"
#include "platform/classes/StringList.h"
#include "platform/controls/ActnList.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Themes.h"

class TMemoryRecordEh;
class TMemTableFilterItemEh;
class TBMListEh;
class TCustomImageList;

// ---- Library interfaces ----

// The distinct values of a column for filter and lookup drop-downs.
class IMemTableDataFieldValueListEh : public IInterface {
 public:
  virtual TStrings* GetValues() = 0;
  virtual void SetFilter(const String& filter) = 0;
};

// An editor whose drop-down closes, taking the chosen value when Accept is true.
class IComboEditEh : public IInterface {
 public:
  virtual void CloseUp(bool accept) = 0;
};

class ISideOwnedComponentEh : public IInterface {
 public:
  virtual bool IsSideParentedBy(TComponent* component) = 0;
  virtual void SetSideParent(TComponent* component) = 0;
};

class ISideOwnerEh : public IInterface {
 public:
  virtual bool IsSideParentableProperty(const String& propName) = 0;
  virtual bool IsSideParentableClass(TClass cls) = 0;
};

enum TCalendarDateTimeUnitEh {
  cdtuYearEh,
  cdtuMonthEh,
  cdtuDayEh,
  cdtuHourEh,
  cdtuMinuteEh,
  cdtuSecondEh,
  cdtuAmPmEh
};
using TCalendarDateTimeUnitsEh = TSet<TCalendarDateTimeUnitEh>;

// The closing callback of a popup: accepted or not.
using TCloseUpCallbackEh = std::function<void(bool accept)>;

// The date-time popup as the date editors drive it.
class IPopupDateTimePickerEh : public IInterface {
 public:
  virtual TDateTime GetDateTime() = 0;
  virtual TCalendarDateTimeUnitsEh GetTimeUnits() = 0;
  virtual bool CanDropDown() = 0;
  virtual bool WantFocus() = 0;
  virtual void CloseUp(bool accept) = 0;
  virtual void SetTimeUnits(TCalendarDateTimeUnitsEh units) = 0;
  virtual void SetFont(TFont* font, bool flag) = 0;
  virtual void DropDown(TPoint position, TCloseUpCallbackEh closeCallback, TDateTime dateTime) = 0;
  virtual void UpdateSize() = 0;
};

// The closing call of a popup window: the popup and whether its value was accepted.
using TCloseWinCallbackProcEh = std::function<void(TObject* sender, bool accept)>;

// The drop-down calculator as the numeric editors drive it.
class IPopupCalculatorEh : public IInterface {
 public:
  virtual bool GetEnterCanClose() = 0;
  virtual bool GetFlat() = 0;
  // A number, or a variant that is no number after an error.
  virtual Variant GetValue() = 0;
  virtual bool WantFocus() = 0;
  virtual void SetFlat(bool value) = 0;
  virtual void SetValue(const Variant& value) = 0;
  virtual void SetTextHeight(const Variant& value) = 0;
  // Shows the popup at the screen point; the callback runs when it closes.
  virtual void Show(TPoint pos, TCloseWinCallbackProcEh closeCallback) = 0;
  virtual void Hide() = 0;
};

enum TDropDownAlign { daLeft, daRight, daCenter };

class TObjectListEh;
// The call that a drop-down form makes when it closes.
using TDropDownFormCallbackProcEh =
    std::function<void(TObject* dropDownForm, bool accept, TDynVarsEh* dynParams, TObject* sysParams)>;

class IDropDownFormEh : public IInterface {
 public:
  virtual bool Execute(TControl* relativePosControl, TControl* downStateControl, TDropDownAlign align,
                       TDynVarsEh* dynParams) = 0;
  virtual bool GetReadOnly() = 0;
  virtual void ExecuteNomodal(const TRect& relativePosRect, TControl* downStateControl, TDropDownAlign align,
                              TDynVarsEh* dynParams, TObject* sysParams,
                              TDropDownFormCallbackProcEh callbackProc) = 0;
  virtual void Close() = 0;
  virtual void SetReadOnly(bool value) = 0;
};

enum TMTViewEventTypeEh {
  mtRowInsertedEh,
  mtRowChangedEh,
  mtRowDeletedEh,
  mtRowMovedEh,
  mtViewDataChangedEh
};

class IMTEventReceiverEh : public IInterface {
 public:
  virtual void MTEvent(Integer rowNum, TMTViewEventTypeEh event, Integer oldRowNum) = 0;
};

enum TEditButtonDrawBackTimeEh { edbtAlwaysEh, edbtNeverEh, edbtWhenHotEh };

class IEditButtonsOwnerEh : public IInterface {
 public:
  virtual TEditButtonDrawBackTimeEh GetEditButtonDrawBackTime() = 0;
};

enum TAggrFunctionEh { agfSumEh, agfCountEh, agfAvg, agfMin, agfMax };
using TAggrFunctionsEh = TSet<TAggrFunctionEh>;
using TAggrResultArr = std::vector<Variant>;

// The in-memory table as grids, their grouping, footers and drop-downs use it; operations in the
// table's interface order.
class IMemTableEh : public IInterface {
 public:
  virtual Integer FetchRecords(Integer count) = 0;
  virtual Integer GetInstantReadCurRow() = 0;
  virtual bool ReservedFlag() = 0;
  virtual bool GetTreeNodeExpanded() = 0;
  virtual bool GetTreeNodeHasVisibleChildren() = 0;
  virtual Integer GetTreeNodeLevel() = 0;
  virtual Integer GetPrevVisibleTreeNodeLevel() = 0;
  virtual Integer GetNextVisibleTreeNodeLevel() = 0;
  virtual TMemoryRecordEh* GetActiveRecord() = 0;
  virtual Integer InstantReadIndexOfBookmark(const TBookmark& bookmark) = 0;
  virtual Integer InstantReadRowCount() = 0;
  virtual Integer InstantReadViewRow() = 0;
  virtual bool SupportsInOperator() = 0;
  virtual bool GetViewAsTreeList() = 0;
  virtual TMemTableFilterItemEh* ApplyExtraFilter(const String& filterText,
                                                  TFilterRecordEvent filterEvent) = 0;
  virtual bool UpdateExtraFilter(TMemTableFilterItemEh* item, const String& filterText,
                                 TFilterRecordEvent filterEvent) = 0;
  virtual bool RemoveExtraFilter(TMemTableFilterItemEh* item) = 0;
  virtual bool ParentHasNextVisibleSibling(Integer level) = 0;
  virtual bool ParentHasPriorVisibleSibling(Integer level) = 0;
  virtual bool LocateMemRecord(TMemoryRecordEh* rec) = 0;
  virtual Integer SetTreeNodeExpandedAtRow(Integer rowNum, bool expanded) = 0;
  virtual std::shared_ptr<IMemTableDataFieldValueListEh> CreateFieldValueList(const String& fieldName) = 0;
  virtual bool MoveRecords(TBMListEh* bookmarkList, Integer toRecNo, Integer treeLevel, bool checkOnly) = 0;
  virtual String GetLikeWildcardForOneCharacter() = 0;
  virtual String GetLikeWildcardForSeveralCharacters() = 0;
  virtual bool BookmarkInVisibleView(const TBookmark& bookmark) = 0;
  virtual void GetAggregatedValuesForRange(const TBookmark& fromBookmark, const TBookmark& toBookmark,
                                           const String& fieldName, TAggrResultArr& resultArr,
                                           TAggrFunctionsEh aggrFuncs) = 0;
  virtual void MTDisableControls() = 0;
  virtual void MTEnableControls(bool forceUpdateState) = 0;
  virtual void InstantReadEnter(Integer rowNum) = 0;
  virtual void InstantReadLeave() = 0;
  virtual void RegisterEventReceiver(TComponent* receiver) = 0;
  virtual void UnregisterEventReceiver(TComponent* receiver) = 0;
  virtual void AbortFilter() = 0;
};

// ---- Bookmark list ----

// The bookmarks of selected rows, kept in the dataset's bookmark order for binary search, with a
// one-entry cache of the last search. Descendants answer the dataset.
class TBMListEh : public TObject {
  KIV_CLASS(TBMListEh, TObject)
 public:
  TBMListEh() = default;
  ~TBMListEh() override;

  Integer GetCount() const { return static_cast<Integer>(list_.size()); }
  // Plain element access: no re-sorting, no notification.
  TBookmark GetItem(Integer index) const;
  void SetItem(Integer index, const TBookmark& item);
  bool GetCurrentRowSelected();
  TDataSet* DataSet() const { return GetDataSet(); }

  // Where the bookmark is, or where it would be inserted.
  bool Find(const TBookmark& item, Integer& index);
  Integer IndexOf(const TBookmark& item);
  TBookmark GetCurrentRowBookmark();
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
  // Removes the bookmarks the dataset no longer accepts when asked, re-sorts; true when some went.
  bool Refresh(bool deleteInvalid);
  void SelectAll();
  // Deletes every bookmarked record from the dataset, last first.
  void Delete();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  void SetLinkActive(bool value);
  bool GetLinkActive() const { return linkActive_; }

  virtual TDataSet* GetDataSet() const { return nullptr; }
  virtual void AddItem(const TBookmark& item);
  // Sorts with compare(list, data, i, j); nothing for fewer than two items.
  using TBMListCompareEh = std::function<int(TBMListEh* list, void* data, Integer i, Integer j)>;
  virtual void QuickSortItems(void* data, const TBMListCompareEh& compare);
  virtual void InsertItem(Integer index, const TBookmark& item);
  virtual void BookmarksChanged() {}
  virtual void Changed();
  [[noreturn]] virtual void RaiseError(const String& msg);
  virtual void Resort();
  virtual void SetCurrentRowSelected(bool value);
  virtual void SelectionStateChanged() {}
  virtual bool DeleteBookmark(const TBookmark& item);
  virtual void AppendBookmark(const TBookmark& item);
  virtual void Clear();
  virtual void DeleteItem(Integer index);

 private:
  void ClearCache();

  TBookmark cache_;
  bool cacheFind_ = false;
  Integer cacheIndex_ = -1;
  bool linkActive_ = false;
  Integer updateCount_ = 0;
  std::vector<TBookmark> list_;
};

// ---- ORDER BY list ----

class TOrderByItemEh : public TObject {
  KIV_CLASS(TOrderByItemEh, TObject)
 public:
  Integer FieldIndex = -1;
  Integer MTFieldIndex = -1;
  bool Desc = false;
  bool CaseIns = false;
  Integer ExtObjIndex = 0;
  TFieldType DataType = ftUnknown;
};

// Parses "Name, Date DESC" into items; descendants resolve the names to field indexes.
class TOrderByList : public TObjectListEh {
  KIV_CLASS(TOrderByList, TObjectListEh)
 public:
  TOrderByList() = default;
  explicit TOrderByList(bool ownsObjects) : TObjectListEh(ownsObjects) {}
  ~TOrderByList() override;

  TOrderByItemEh* GetItem(Integer index) const { return static_cast<TOrderByItemEh*>(Get(index)); }
  void SetItem(Integer index, TOrderByItemEh* item) { Put(index, item); }
  // The next token from the 1-based position, which moves past it.
  String GetToken(const String& exp, Integer& fromIndex) const;
  // On an error the list keeps its old items.
  void ParseOrderByStr(const String& orderByStr);
  void ClearFreeItems();

  virtual void SetFieldIndex(TOrderByItemEh*, Integer) {}
  virtual Integer FindFieldIndex(const String&) { return -1; }
};

// ---- Picture placement ----

enum TImagePlacementEh {
  ipTopLeftEh,
  ipTopCenterEh,
  ipTopRightEh,
  ipCenterLeftEh,
  ipCenterCenterEh,
  ipCenterRightEh,
  ipBottomLeftEh,
  ipBottomCenterEh,
  ipBottomRightEh,
  ipFillEh,
  ipReduceFitEh,
  ipFitEh,
  ipStretchEh,
  ipTileEh
};

class TPictureEh : public TPicture {
  KIV_CLASS(TPictureEh, TPicture)
 public:
  TPictureEh() = default;
  // Where the picture goes inside srcRect for the placement.
  virtual TRect GetDestRect(const TRect& srcRect, TImagePlacementEh placement);
  virtual void PaintTo(TCanvas* canvas, const TRect& destRect, TImagePlacementEh placement, TPoint shiftPoint,
                       const TRect& clipRect);
};

// The shared 32-bit scratch bitmap of alpha drawing: one user at a time captures it.
class TCacheAlphaBitmapEh : public TBitmap {
  KIV_CLASS(TCacheAlphaBitmapEh, TBitmap)
 public:
  TCacheAlphaBitmapEh() = default;
  bool GetCaptured() const { return capture_; }
  // Raises "CacheAlphaBitmap have captured" when already captured.
  void Capture();
  void Release() { capture_ = false; }
  // Row p.Y from max(p.X, 0) to min(p.X + lineWidth, Width - 1) in the colour, alpha 255.
  void DrawHorzLine(TPoint p, Integer lineWidth, TColor color);

 private:
  bool capture_ = false;
};

// The shared bitmap, grown (never shrunk) to at least width x height.
TCacheAlphaBitmapEh* GetCacheAlphaBitmapEh(Integer width, Integer height);
bool IsCacheAlphaBitmapCapturedEh();

// ---- Library manager and working-time calendar ----

enum TWeekDayEh {
  wwdMondayEh,
  wwdTuesdayEh,
  wwdWednesdayEh,
  wwdThursdayEh,
  wwdFridayEh,
  wwdSaturdayEh,
  wwdSundayEh
};
using TWeekDaysEh = TSet<TWeekDayEh>;

class TGridLibManager : public TPersistent {
  KIV_CLASS(TGridLibManager, TPersistent)
 public:
  TGridLibManager();

  Char GetAltDecimalSeparator() const { return altDecimalSeparator_; }
  void SetAltDecimalSeparator(Char value) { altDecimalSeparator_ = value; }
  bool GetDateTimeCalendarPickerHighlightHolidays() const { return highlightHolidays_; }
  void SetDateTimeCalendarPickerHighlightHolidays(bool value);
  // The popup classes; their units fill them in at start-up. Nil until then.
  TClass GetPopupDateTimePickerClass() const { return popupDateTimePickerClass_; }
  void SetPopupDateTimePickerClass(TClass value) { popupDateTimePickerClass_ = value; }
  TClass GetPopupCalculatorClass() const { return popupCalculatorClass_; }
  void SetPopupCalculatorClass(TClass value) { popupCalculatorClass_ = value; }
  TWeekDaysEh GetWeekWorkingDays() const { return weekWorkingDays_; }
  void SetWeekWorkingDays(TWeekDaysEh value);
  bool GetDateTimeCalendarPickerShowTimeSelectionPage() const { return showTimeSelectionPage_; }
  void SetDateTimeCalendarPickerShowTimeSelectionPage(bool value) { showTimeSelectionPage_ = value; }
  bool GetUseAlphaFormatInAlphaBlend() const { return useAlphaFormatInAlphaBlend_; }
  void SetUseAlphaFormatInAlphaBlend(bool value) { useAlphaFormatInAlphaBlend_ = value; }

  // Makes this the global manager and answers the previous one (the caller owns it from then on).
  TGridLibManager* SetAsGlobal();

 private:
  Char altDecimalSeparator_ = u'.';
  bool highlightHolidays_ = true;
  TClass popupDateTimePickerClass_ = nullptr;
  TClass popupCalculatorClass_ = nullptr;
  TWeekDaysEh weekWorkingDays_{wwdMondayEh, wwdTuesdayEh, wwdWednesdayEh, wwdThursdayEh, wwdFridayEh};
  bool showTimeSelectionPage_ = true;
  bool useAlphaFormatInAlphaBlend_ = false;
};

TGridLibManager* GetGridLibManager();

struct TTimeRangeEh {
  TDateTime StartTime;
  TDateTime EndTime;
};
using TTimeRangesEh = std::vector<TTimeRangeEh>;

class TWorkingTimeCalendarEh : public TComponent {
  KIV_CLASS(TWorkingTimeCalendarEh, TComponent)
 public:
  explicit TWorkingTimeCalendarEh(TComponent* owner) : TComponent(owner) {}
  virtual bool IsWorkday(TDateTime date);
  virtual void GetWorkingTime(TDateTime date, TTimeRangesEh& timeRanges);
  // Makes this the global calendar and answers the previous one (the caller owns it from then on).
  TWorkingTimeCalendarEh* SetAsGlobal();
};

TWorkingTimeCalendarEh* GetWorkingTimeCalendarEh();

// ---- Special row of drop-down lists ----

class TSpecRowEh : public TPersistent {
  KIV_CLASS(TSpecRowEh, TPersistent)
 public:
  explicit TSpecRowEh(TPersistent* owner);
  ~TSpecRowEh() override;
  static void Published(TPropBuilder<TSpecRowEh>& p);

  const String& GetCellsText() const { return cellsText_; }
  void SetCellsText(const String& value);
  TColor GetColor() const { return colorAssigned_ ? color_ : DefaultColor(); }
  void SetColor(TColor value);
  TFont* GetFont();
  void SetFont(TFont* value);
  TShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value) { shortCut_ = value; }
  bool GetShowIfNotInKeyList() const { return showIfNotInKeyList_; }
  void SetShowIfNotInKeyList(bool value);
  const Variant& GetValue() const { return value_; }
  void SetValue(const Variant& value);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  bool GetSelected() const { return selected_; }
  void SetSelected(bool value) { selected_ = value; }
  Integer GetUpdateCount() const { return updateCount_; }
  bool GetColorAssigned() const { return colorAssigned_; }
  bool GetFontAssigned() const { return fontAssigned_; }

  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  TColor DefaultColor() const;
  TFont* DefaultFont() const;
  // The index-th cell text (from 0); empty outside the list.
  String GetCellText(Integer index) const;
  bool LocateKey(const Variant& keyValue) const;

  TNotifyEvent OnChanged;

 private:
  void Changed();
  void FontChanged(TObject* sender);
  void SplitCellsText();

  std::unique_ptr<TStringList> cellsStrings_;
  String cellsText_;
  TColor color_ = 0;
  std::unique_ptr<TFont> font_;
  TPersistent* owner_;
  bool selected_ = false;
  TShortCut shortCut_;
  bool showIfNotInKeyList_ = true;
  Integer updateCount_ = 0;
  Variant value_ = Variant::Null();
  bool visible_ = false;
  bool colorAssigned_ = false;
  bool fontAssigned_ = false;
  bool copyingDefaultFont_ = false;
};

// ---- Value storage formats, array, variant, text, field and window routines ----

using TVariantArrayEh = std::vector<Variant>;
using TFieldsArrEh = std::vector<TField*>;

enum THoursTimeFormatEh { htfAmPm12hEh, htf24hEh };
enum TAmPmPosEh { appAmPmSuffixEh, appAmPmPrefixEh };
enum TSizeGripPosition { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
enum TSizeGripChangePosition { sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom };
// The corner a grip moves to when its popup was placed to one side: the other coordinate stays.
TSizeGripPosition SizeGripPositionAfterChangeEh(TSizeGripPosition position, TSizeGripChangePosition change);

// The characters that end a word for whole-word search.
extern const String WordDelimitersEh;

// Locale-independent text of a value: "." decimal separator, dates as 2024-04-15 with ":" times.
void VarToStorageStrEh(const Variant& value, String& text);
// Value is Null, then the text cast to varType under the storage settings (conversion errors raise).
void StorageStrToVarEh(const String& text, TVarType varType, Variant& value);
String FloatToDotStrEh(Extended value);

// Range insertion and deletion in a dynamic array (variants here, the grids' cell lengths in the grid
// unit). Insertion opens amount entries at startIndex that keep stale values for the caller to fill.
// Raise "ArrayInsertRange: (Amount < 0)", "ArrayInsertRange: StartIndex > Length(Extents)".
template <class T>
void ArrayInsertRangeEh(std::vector<T>& items, Integer startIndex, Integer amount) {
  if (amount < 0) throw Exception(u"ArrayInsertRange: (Amount < 0)");
  const auto length = static_cast<Integer>(items.size());
  if (startIndex > length) throw Exception(u"ArrayInsertRange: StartIndex > Length(Extents)");
  if (startIndex < 0) throw Exception(u"ArrayInsertRange: StartIndex < 0");
  items.resize(static_cast<size_t>(length) + static_cast<size_t>(amount));
  if (startIndex == length) return;
  for (Integer i = length - 1; i >= startIndex; --i)
    items[static_cast<size_t>(i) + static_cast<size_t>(amount)] = items[static_cast<size_t>(i)];
}
// Raise "ArrayDeleteRange: (Amount < 0)", "ArrayDeleteRange: StartIndex + Amount > Length(Extents)".
template <class T>
void ArrayDeleteRangeEh(std::vector<T>& items, Integer startIndex, Integer amount) {
  if (amount < 0) throw Exception(u"ArrayDeleteRange: (Amount < 0)");
  if (static_cast<Int64>(startIndex) + amount > static_cast<Int64>(items.size()))
    throw Exception(u"ArrayDeleteRange: StartIndex + Amount > Length(Extents)");
  if (startIndex < 0) throw Exception(u"ArrayDeleteRange: StartIndex < 0");
  items.erase(items.begin() + startIndex, items.begin() + startIndex + amount);
}
inline void ArrayInsertRange(TVariantArrayEh& items, Integer startIndex, Integer amount) {
  ArrayInsertRangeEh(items, startIndex, amount);
}
inline void ArrayDeleteRange(TVariantArrayEh& items, Integer startIndex, Integer amount) {
  ArrayDeleteRangeEh(items, startIndex, amount);
}

bool VarEqualsEh(const Variant& v1, const Variant& v2);
TVariantRelationship VarCompareValuesEh(const Variant& v1, const Variant& v2);
String VarToStrWithDateTimeEh(const Variant& value);
String VarArrayToStrEh(const Variant& value);
bool VarIsNumberEh(const Variant& value);
void VarToDisplayTextEh(const Variant& value, TField* field, const String& displayFormat, String& text);
TDateTime TruncMillisecondsEh(TDateTime dateTime);
void ReplaceTimeEh(TDateTime& dateTime, TDateTime time);
// The text through the edit mask: with the literals when the mask saves them, without them
// otherwise; empty positions show the mask's blank character. An empty mask leaves the text as is.
void ApplyEditMaskEh(const String& editMask, const String& text, String& result);

// 1-based position of subText in text at or after startPos; 0 when absent.
Integer FindSubstringEh(const String& subText, const String& text, bool ignoreCase, Integer startPos,
                        bool wholeWords);
bool FindAllSubstringsEh(const String& text, const String& subText, std::vector<Integer>& positions,
                         bool caseInsensitive, bool wholeWords, bool beginsWithOnly);
// The case-insensitive search the grid's text-search unit installs; FindSubstringEh until it does.
using TLocateSubTextRoutineEh = std::function<Integer(const String& subText, const String& text,
                                                      bool ignoreCase, Integer startPos, bool wholeWords)>;
extern TLocateSubTextRoutineEh LocateSubTextRoutineEh;
Integer LocateTextInStringsEh(TStrings* strings, const String& text, TLocateOptions options);

// ---- Locating a text in a data grid ----

enum TLocateTextOptionEh {
  ltoCaseInsensitiveEh,
  ltoAllFieldsEh,
  ltoMatchFormatEh,
  ltoIgnoteCurrentPosEh,
  ltoStopOnEscapeEh,
  ltoInsideSelectionEh,
  ltoRestartAfterLastHitEh,
  ltoWholeWordsEh,
  ltoStopKeyMessageEh
};
using TLocateTextOptionsEh = TSet<TLocateTextOptionEh>;
enum TLocateTextDirectionEh { ltdUpEh, ltdDownEh, ltdAllEh };
enum TLocateTextMatchingEh { ltmAnyPartEh, ltmWholeEh, ltmFromBegingEh };
enum TLocateTextTreeFindRangeEh {
  lttInAllNodesEh,
  lttInExpandedNodesEh,
  lttInCurrentLevelEh,
  lttInCurrentNodeEh
};
using TLocateTextEventEh =
    TDelegate<bool(TObject* sender, const String& fieldName, const String& text, TLocateTextOptionsEh options,
                   TLocateTextDirectionEh direction, TLocateTextMatchingEh matching,
                   TLocateTextTreeFindRangeEh treeFindRange)>;

class TCustomDBGridEh;
class TColumnEh;
// A column offered by the find dialog under a caption of the caller's choice.
struct TColumnFieldItemEh {
  String Caption;
  TColumnEh* Column = nullptr;
};
using TColumnFieldsArrEh = std::vector<TColumnFieldItemEh>;
// Shows a data grid's find dialog: (grid, text, column field name, modal, columns to offer or nil). Set
// by the find dialog's initialise call; empty until then.
using TShowDBGridEhFindDialogProc =
    std::function<void(TCustomDBGridEh* grid, const String& text, const String& columnFieldName, bool modal,
                       const TColumnFieldsArrEh* columnFields)>;
extern TShowDBGridEhFindDialogProc ShowDBGridEhFindDialogProc;
void FormatHasAmPmEh(const String& format, TCalendarDateTimeUnitsEh& units);
void GetLocaleTimeFlagsEh(THoursTimeFormatEh& hoursFormat, TAmPmPosEh& amPmPos);

bool FieldListCanModifyEh(TList* fields);
bool FieldsCanModifyEh(const TFieldsArrEh& fields);
// Raises the database error "Field '%s' not found" for component when a name is unknown.
void GetFieldListByNamesEh(TList* list, TDataSet* dataSet, TComponent* component, const String& fieldNames);
void GetFieldsArrByNamesEh(TDataSet* dataSet, TComponent* control, const String& fieldNames,
                           TFieldsArrEh& fields);
void GetFieldsValuesEh(TDataSet* dataSet, const TFieldsArrEh& fields, Variant& value);
void SetFieldsValuesEh(TDataSet* dataSet, const String& fieldNames, const Variant& value);
bool IsNumericFieldTypeEh(TFieldType fieldType);
bool IsStringFieldTypeEh(TFieldType fieldType);

// Graphic providers: which graphic class reads a blob, from its first bytes.
class TGraphicProviderEh : public TPersistent {
  KIV_CLASS(TGraphicProviderEh, TPersistent)
 public:
  virtual TClass GetImageClassForStream(const Byte*, size_t) const { return nullptr; }
};
class TBMPGraphicProviderEh : public TGraphicProviderEh {
  KIV_CLASS(TBMPGraphicProviderEh, TGraphicProviderEh)
 public:
  TClass GetImageClassForStream(const Byte* start, size_t size) const override;
};
void RegisterGraphicProviderEh(TClass providerClass);
TClass FindGraphicProviderEh(const Byte* start, size_t size);
Integer GraphicProviderCountEh();
// A new graphic with the field's picture (the caller owns it), or nil.
TGraphic* LoadGraphicFromFieldEh(TField* field);
void LoadPictureFromFieldEh(TField* field, TPicture* picture);
TPicture* CreatePictureFromFieldEh(TField* field);

void PlacePopupAtRectEh(const TRect& rect, TWinControl* popup, TAlignment align, TPoint& pos);
void PlacePopupUnderControlEh(TControl* control, TWinControl* popup, TAlignment align, TPoint& pos);
void GetControlScreenRectEh(TControl* control, TRect& rect);
bool IsDoubleClickEh(TPoint firstPos, TPoint secondPos, Integer interval);
bool RemovePendingClickInClientEh(TControl* control);
bool RemovePendingClickEh(TControl* control);
bool IsMouseButtonDownEh(TMouseButton button);
TShiftState GetShiftStateEh();
void PostMessageOnceEh(UINT msg, WPARAM wParam, LPARAM lParam);
void PerformForComponentsEh(TComponent* component, TClass classType, UINT msg, WPARAM wParam, LPARAM lParam);
TPoint InterpolatePointEh(TPoint p1, TPoint p2, double fraction);
TSizeGripPosition MirrorSizeGripPositionEh(TSizeGripPosition position);
// Sorts the indexes l..r in place through the two callbacks.
void QuickSortByCallbacksEh(void* data, Integer l, Integer r,
                            const std::function<int(void*, Integer, Integer)>& compare,
                            const std::function<void(void*, Integer, Integer)>& exchange);
inline void SwapIntEh(Integer& a, Integer& b) { std::swap(a, b); }
inline Integer IfThenIntEh(bool condition, Integer a, Integer b) { return condition ? a : b; }
bool PointInRectEh(const TRect& rect, TPoint point);
inline Integer IntMinEh(Integer a, Integer b) { return a < b ? a : b; }
inline Integer IntMaxEh(Integer a, Integer b) { return a > b ? a : b; }
int CompareStringsItemsEh(void* strings, Integer i, Integer j);

// ---- Colour routines ----

// Per channel a + Trunc((b - a) / 255 * weight), weight on a 0..255 scale.
TColor MixColorsEh(TColor colorA, TColor colorB, double weight);
// Per channel Round(a + percent * (b - a) / 100).
TColor MixColorsPercentEh(TColor colorA, TColor colorB, Integer percent);
// (77 R + 150 G + 29 B) div 256.
Integer ColorLuminanceEh(TColor color);
TColor GrayColorEh(TColor color);
// The one of lower luminance; colorA on a tie.
TColor DarkerColorEh(TColor colorA, TColor colorB);
// The colour with its lightness replaced by lightness / 256.
TColor ColorWithLightnessEh(TColor color, Integer lightness);

// ---- Cell text, image and progress-bar painting ----

enum TTextOrientationEh { tohHorizontal, tohVertical };
enum TProgressBarTextTypeEh { pbttAsValue, pbttAsPercent };
enum TProgressBarFrameFigureTypeEh { pbfftRectangle, pbfftRoundRect };
enum TProgressBarFrameSizeTypeEh { pbfstFull, pbfstVal };

struct TProgressBarParamsEh {
  bool ShowText = true;
  TProgressBarTextTypeEh TextType = pbttAsPercent;
  Byte TextDecimalPlaces = 0;
  TAlignment TextAlignment = taCenter;
  TProgressBarFrameFigureTypeEh FrameFigureType = pbfftRectangle;
  TProgressBarFrameSizeTypeEh FrameSizeType = pbfstVal;
  Byte Indent = 1;
  String FontName;
  TColor FontColor = clWindowText;
  Integer FontSize = 8;
  TFontStyles FontStyle;
};

// Writes a cell's text: a fast single-line output, or the full layout for wrapping, ellipsis,
// margins, long or multi-line text. dx, dy are the cell's inner margins; leftMarg and rightMarg go to
// the layout's own margins.
void DrawCellTextEh(TCanvas* canvas, const TRect& rect, bool fillRect, Integer dx, Integer dy,
                    const String& text, TAlignment alignment, TTextLayout layout, bool wordWrap,
                    bool endEllipsis, Integer leftMarg, Integer rightMarg, bool rightToLeft, bool singleLine);
// The same, turned so that the text reads upwards.
void DrawVerticalCellTextEh(TCanvas* canvas, const TRect& rect, bool fillRect, Integer dx, Integer dy,
                            const String& text, TAlignment alignment, TTextLayout layout, bool wordWrap,
                            bool endEllipsis);
// One opaque line at a fixed offset; right alignment keeps 3 pixels from the right edge.
void DrawTextAlignedEh(TCanvas* canvas, const TRect& rect, Integer dx, Integer dy, const String& text,
                       TAlignment alignment);
// The text cut with a trailing "..." until it fits maxWidth.
String MinimizeText(const String& text, TCanvas* canvas, Integer maxWidth);
// An image-list image or a bitmap in a cell; zoom other than 1 stretches it centred.
void DrawImageInRectEh(TCustomImageList* images, TBitmap* bitmap, TCanvas* canvas, const TRect& rect,
                       Integer imageIndex, Integer dx, Integer dy, TAlignment alignment,
                       const TRect& clipRect, double zoom, bool enabled);
void DrawCenteredImageEh(TCanvas* canvas, const TRect& rect, TCustomImageList* images, Integer imageIndex,
                         bool selected);
void DrawCenteredImageOnDCEh(HDC dc, const TRect& rect, TCustomImageList* images, Integer imageIndex,
                             bool selected);
// Marks every occurrence of searchText in a cell already painted; outsideCount gets the hits that lie
// right of or below the rectangle.
void DrawHighlightedTextEh(TCanvas* canvas, const TRect& rect, Integer leftMargin, Integer topOffset,
                           const String& text, TAlignment alignment, bool vCenter, bool wordWrap,
                           const String& searchText, bool caseInsensitive, bool wholeWords,
                           bool beginsWithOnly, TColor highlightColor, Integer& outsideCount);
// Widest line and total height of the text broken into lines at maxWidth.
void MeasureWrappedTextEh(TCanvas* canvas, Integer maxWidth, const String& text, TSize& size, bool wordWrap);
// A bar for value between minValue and maxValue; params nil shows the percentage centred.
void DrawProgressBarEh(TCanvas* canvas, const TRect& rect, TColor barColor, double value, double minValue,
                       double maxValue, TColor frameColor, TColor backColor,
                       const TProgressBarParamsEh* params);
void FillVertGradientRectEh(TCanvas* canvas, const TRect& rect, TColor topColor, TColor bottomColor);
// Narrows the clip region to rect; answers the previous region (nil when there was none).
HRGN SelectClipRectEh(TCanvas* canvas, const TRect& rect);
// Puts the saved region back and frees it.
void RestoreClipRgnEh(TCanvas* canvas, HRGN savedRgn);

// ---- Edit-button, check-box and tree glyph painting ----

enum TDrawButtonControlStyleEh {
  bcsDropDownEh,
  bcsEllipsisEh,
  bcsUpDownEh,
  bcsCheckboxEh,
  bcsPlusEh,
  bcsMinusEh,
  bcsAltDropDownEh,
  bcsAltUpDownEh
};
enum TEditButtonStyleEh {
  ebsDropDownEh,
  ebsEllipsisEh,
  ebsGlyphEh,
  ebsUpDownEh,
  ebsPlusEh,
  ebsMinusEh,
  ebsAltDropDownEh,
  ebsAltUpDownEh
};
enum TEditButtonStateEh { ebstNormalEh, ebstControlHotEh, ebstHotEh, ebstPressedEh, ebstDisabledEh };
enum TTreeViewGlyphStyleEh { tvgsDefaultEh, tvgsClassicEh, tvgsThemedEh, tvgsExplorerThemedEh };
// Elements 0-4 carry a minus box, 5-9 a plus box, 10-14 only lines (see DrawTreeElementEh).
enum TTreeElementEh {
  tehMinusUpDown,
  tehMinusUp,
  tehMinusDown,
  tehMinus,
  tehMinusAlone,
  tehPlusUpDown,
  tehPlusUp,
  tehPlusDown,
  tehPlus,
  tehPlusAlone,
  tehCrossUpDown,
  tehCrossUp,
  tehCrossDown,
  tehVLine,
  tehHLine
};

// The button image style of an edit-button style (a glyph button maps to the spin style, unused).
TDrawButtonControlStyleEh EditButtonStyleToDrawStyleEh(TEditButtonStyleEh style);

// downButton: 0 nothing pressed, 1 the button or the upper half, 2 the lower half.
void DrawButtonControlEh(TCanvas* canvas, const TRect& rect, TColor backColor,
                         TDrawButtonControlStyleEh style, Integer downButton, bool flat, bool active,
                         bool enabled, TCheckBoxState checkState, double scale = 1.0, bool drawBack = true);
void DrawCheckBoxEh(HDC dc, const TRect& rect, TCheckBoxState state, bool enabled, bool flat, bool pressed,
                    bool active);
// A plain button face without a glyph.
void DrawButtonFrameEh(TCanvas* canvas, const TRect& rect, TColor backColor, bool enabled, bool active,
                       bool flat, bool pressed);
TRect AlignCheckBoxRectEh(const TRect& rect, TAlignment alignment, TTextLayout layout);
void DrawTreeElementEh(TCanvas* canvas, const TRect& rect, TTreeElementEh element, bool dotPhase,
                       double xScale, double yScale, bool shiftBoxLeft, bool defaultColors,
                       TTreeViewGlyphStyleEh glyphStyle);
Integer DefaultEditButtonWidthEh();
Integer EditButtonHeightForWidthEh(Integer width, bool flat);
Integer CheckBoxWidthEh();
Integer CheckBoxHeightEh();
// Each pair of points is one horizontal line offset by origin; the colour runs from the first pair to
// the last.
void FillPolygonSmoothEh(TCanvas* canvas, TPoint origin, const std::vector<TPoint>& points, TColor firstColor,
                         TColor lastColor);
bool ThemesEnabledEh();
bool VistaThemesEnabledEh();
bool CustomStyleActiveEh();

// The optional cache of painted button images, keyed by size, style and state.
struct TButtonBitmapInfoEh {
  TPoint Size;
  TDrawButtonControlStyleEh BitmapType = bcsDropDownEh;
  bool Flat = false;
  bool Pressed = false;
  bool Active = false;
  bool Enabled = true;
  bool DownDirect = false;
  TCheckBoxState CheckState = cbUnchecked;
  bool DrawBack = true;
  bool operator==(const TButtonBitmapInfoEh&) const = default;
};

class TButtonBitmapInfoBitmapEh : public TObject {
  KIV_CLASS(TButtonBitmapInfoBitmapEh, TObject)
 public:
  TButtonBitmapInfoEh BitmapInfo;
  std::unique_ptr<TBitmap> Bitmap;
};

class TButtonsBitmapCache : public TObjectList {
  KIV_CLASS(TButtonsBitmapCache, TObjectList)
 public:
  TButtonsBitmapCache() : TObjectList(false) {}
  ~TButtonsBitmapCache() override;
  TButtonBitmapInfoBitmapEh* Get(Integer index) const {
    return static_cast<TButtonBitmapInfoBitmapEh*>(Items(index));
  }
  // The bitmap of the key, painted and added on a miss.
  TBitmap* GetButtonBitmap(const TButtonBitmapInfoEh& info);
  void Clear() override;
};

TButtonsBitmapCache* ButtonsBitmapCacheEh();
// Off by default: buttons paint directly.
void SetUseButtonsBitmapCacheEh(bool value);
bool GetUseButtonsBitmapCacheEh();

// Registers the tool controls that form resources name (the size grip, the speed and edit-button
// controls); idempotent. The program calls it at start-up, tests in their set-up.
void InitializeToolCtrlsEh();
// Grids and editors call it when system colours or the visual style change.
void ClearButtonsBitmapCacheEh();

// ---- Popup menus, hint window and non-activating popup form ----

// A menu item that can run its action and leave the menu open (check-box lists that stay open).
class TMenuItemEh : public TMenuItem {
  KIV_CLASS(TMenuItemEh, TMenuItem)
 public:
  explicit TMenuItemEh(TComponent* owner) : TMenuItem(owner) {}
  bool GetCloseMenuOnClick() const { return closeMenuOnClick_; }
  void SetCloseMenuOnClick(bool value) { closeMenuOnClick_ = value; }
  bool ClosesMenuOnClick() const override { return closeMenuOnClick_; }

 private:
  bool closeMenuOnClick_ = true;
};

// The library's popup menu: its TMenuItemEh items may keep it open.
class TPopupMenuEh : public TPopupMenu {
  KIV_CLASS(TPopupMenuEh, TPopupMenu)
 public:
  explicit TPopupMenuEh(TComponent* owner) : TPopupMenu(owner) {}
};

// A hint window that writes its text in the font handed over with the hint (the hint data).
class THintWindowEh : public THintWindow {
  KIV_CLASS(THintWindowEh, THintWindow)
 public:
  explicit THintWindowEh(TComponent* owner) : THintWindow(owner) {}
  // data: a TFont*, or nil for the window's own font.
  void ActivateHintData(TRect rect, const String& hint, void* data) override;
  TRect CalcHintRect(Integer maxWidth, const String& hint, void* data) override;

 protected:
  void Paint() override;
};

// A borderless stay-on-top form that shows without taking the activation or the focus, hands its key
// presses to a master control and may draw a raised two-step border and a drop shadow. Base of the
// popup list, the drag feedback windows and the lookup grid box.
class TPopupInactiveFormEh : public TForm {
  KIV_CLASS(TPopupInactiveFormEh, TForm)
 public:
  explicit TPopupInactiveFormEh(TComponent* owner);

  bool GetDropShadow() const { return dropShadow_; }
  void SetDropShadow(bool value) { dropShadow_ = value; }
  TWinControl* GetMasterActionsControl() const { return masterActionsControl_; }
  void SetMasterActionsControl(TWinControl* value) { masterActionsControl_ = value; }
  TWinControl* GetMasterFocusControl() const { return masterFocusControl_; }
  void SetMasterFocusControl(TWinControl* value) { masterFocusControl_ = value; }
  // 2 with a border style other than none, else 0.
  Integer GetPopupBorderWidth() const { return GetBorderStyle() != bsNone ? 2 : 0; }
  // Shows at Left, Top without activating; the form under it keeps the focus.
  void Show();
  void SetVisible(bool value);
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;

 private:
  bool dropShadow_ = true;
  TWinControl* masterActionsControl_ = nullptr;
  TWinControl* masterFocusControl_ = nullptr;
};

// ---- Drop-down form call parameters ----

class TEditButtonEh;
class TEditButtonControlEh;
class TDataLink;

enum TDropDownPassParamsEh { pspByFieldNamesEh, pspFieldValueEh, pspRecordValuesEh, pspCustomValuesEh };

// What travels to a drop-down form beside the bag: whether the form is freed when it closes.
class TDropDownFormSysParams : public TPersistent {
  KIV_CLASS(TDropDownFormSysParams, TPersistent)
 public:
  bool FreeFormOnClose = false;
};

class TEditControlDropDownFormSysParams : public TDropDownFormSysParams {
  KIV_CLASS(TEditControlDropDownFormSysParams, TDropDownFormSysParams)
 public:
  TControl* FEditControl = nullptr;
  TEditButtonEh* FEditButton = nullptr;
  TObject* FEditButtonObj = nullptr;
};

using TCheckDataIsReadOnlyEventEh = TDelegate<void(bool& readOnly)>;
using TEditControlCloseDropDownFormEventEh =
    TDelegate<void(TControl* editControl, TEditButtonEh* button, bool accept, TCustomForm* dropDownForm,
                   TDynVarsEh* dynParams)>;
using TGetDropDownFormEventEh = TDelegate<void(TCustomForm*& dropDownForm, bool& freeFormOnClose)>;
using TGetVarValueProcEh = TDelegate<void(Variant& varValue)>;
using TEditControlShowDropDownFormEventEh = TDelegate<void(
    TControl* editControl, TEditButtonEh* button, TCustomForm*& dropDownForm, TDynVarsEh* dynParams)>;
using TSetVarValueProcEh = TDelegate<void(const Variant& varValue)>;

// The shared instance of a drop-down form class (its class-level GetGlobalRef): descendants that keep
// one register how to reach it (an empty proc takes it back); a class answers what its nearest
// registered ancestor answers.
using TDropDownFormGlobalRefProcEh = std::function<TCustomForm*()>;
void RegisterDropDownFormGlobalRefEh(TClass formClass, TDropDownFormGlobalRefProcEh proc);
TCustomForm* DropDownFormGlobalRefEh(TClass formClass);

// Which drop-down form an edit button opens, at what size, and which values travel there and back.
class TDropDownFormCallParamsEh : public TPersistent {
  KIV_CLASS(TDropDownFormCallParamsEh, TPersistent)
 public:
  static void Published(TPropBuilder<TDropDownFormCallParamsEh>& p);
  TDropDownFormCallParamsEh();
  ~TDropDownFormCallParamsEh() override;
  void Assign(TPersistent* source) override;

  TDropDownAlign GetAlign() const { return align_; }
  void SetAlign(TDropDownAlign value) { align_ = value; }
  const String& GetAssignBackFieldNames() const { return assignBackFieldNames_; }
  void SetAssignBackFieldNames(const String& value) { assignBackFieldNames_ = value; }
  TCustomForm* GetDropDownForm() const { return dropDownForm_; }
  void SetDropDownForm(TCustomForm* value);
  const String& GetDropDownFormClassName() const { return dropDownFormClassName_; }
  void SetDropDownFormClassName(const String& value);
  Integer GetFormHeight() const { return formHeight_; }
  void SetFormHeight(Integer value) { formHeight_ = value; }
  Integer GetFormWidth() const { return formWidth_; }
  void SetFormWidth(Integer value) { formWidth_ = value; }
  Integer GetOldFormHeight() const { return oldFormHeight_; }
  Integer GetOldFormWidth() const { return oldFormWidth_; }
  const String& GetPassFieldNames() const { return passFieldNames_; }
  void SetPassFieldNames(const String& value) { passFieldNames_ = value; }
  TDropDownPassParamsEh GetPassParams() const { return passParams_; }
  void SetPassParams(TDropDownPassParamsEh value) { passParams_ = value; }
  bool GetSaveFormSize() const { return saveFormSize_; }
  void SetSaveFormSize(bool value) { saveFormSize_ = value; }

  TNotifyEvent OnChanged;
  TCheckDataIsReadOnlyEventEh OnCheckDataIsReadOnly;

  // Set by the owner.
  TDataLink* FDataLink = nullptr;
  TEditButtonEh* FEditButton = nullptr;
  TEditButtonControlEh* FEditButtonControl = nullptr;
  TWinControl* FEditControl = nullptr;
  TRect FEditControlScreenRect;
  TField* FField = nullptr;
  TEditControlCloseDropDownFormEventEh FOnCloseDropDownFormProc;
  TGetDropDownFormEventEh FOnGetActualDropDownFormProc;
  TGetVarValueProcEh FOnGetVarValueProc;
  TEditControlShowDropDownFormEventEh FOnOpenDropDownFormProc;
  TSetVarValueProcEh FOnSetVarValueProc;

  virtual TWinControl* GetEditControl() { return FEditControl; }
  virtual TEditButtonEh* GetEditButton() { return FEditButton; }
  virtual TEditButtonControlEh* GetEditButtonControl() { return FEditButtonControl; }
  // Raises "Class 'X' is not registered" for an unknown class name.
  virtual TCustomForm* GetActualDropDownForm(bool& freeFormOnClose);
  virtual TDataLink* GetDataLink() { return FDataLink; }
  virtual TField* GetField() { return FField; }
  // Unassigned without a value handler, else what the handler gives (Null by default).
  virtual void GetVarValue(Variant& value);
  virtual bool IsDataReadOnly();
  virtual void GetEditControlScreenRect(TRect& rect);
  virtual TDropDownFormSysParams* CreateSysParams();
  virtual void DropDownFormClosed(bool, TCustomForm*, TDynVarsEh*, TDropDownFormSysParams*) {}
  virtual void InitDropDownForm(TCustomForm* form, TDynVarsEh* dynParams, TDropDownFormSysParams* sysParams);
  virtual void Changed();
  virtual void DropDownFormCloseCallback(TCustomForm* form, bool accept, TDynVarsEh* dynParams,
                                         TDropDownFormSysParams* sysParams);
  virtual void FillDynParams(TDynVarsEh* dynParams);
  virtual void AssignBackDynParams(TDynVarsEh* dynParams);
  virtual void OpenDropDownForm(TCustomForm*& form, TDynVarsEh* dynParams, TDropDownFormSysParams* sysParams);
  virtual void FillSysParams(TDropDownFormSysParams* sysParams);
  virtual void SetVarValue(const Variant& value);
  // Opens the form under the edit control without blocking; Handled when a form was shown.
  virtual void CheckShowDropDownForm(bool& handled);

 private:
  TDropDownAlign align_ = daCenter;
  String assignBackFieldNames_;
  TCustomForm* dropDownForm_ = nullptr;
  String dropDownFormClassName_;
  Integer formHeight_ = -1;
  Integer formWidth_ = -1;
  Integer oldFormHeight_ = 0;
  Integer oldFormWidth_ = 0;
  String passFieldNames_;
  TDropDownPassParamsEh passParams_ = pspFieldValueEh;
  bool saveFormSize_ = true;
};

// ---- Edit buttons ----

using TButtonClickEventEh = TDelegate<void(TObject* sender, bool& handled)>;
using TButtonDownEventEh = TDelegate<void(TObject* sender, bool topButton, bool& autoRepeat, bool& handled)>;
using TRefComponentNotifyEventEh = TDelegate<void(TObject* sender, TComponent* refComponent)>;

// Image lists and indexes per button state; the lists are borrowed.
class TButtonImagesEh : public TPersistent {
  KIV_CLASS(TButtonImagesEh, TPersistent)
 public:
  static void Published(TPropBuilder<TButtonImagesEh>& p);
  TButtonImagesEh() = default;
  void Assign(TPersistent* source) override;

  TCustomImageList* GetNormalImages() const { return normalImages_; }
  void SetNormalImages(TCustomImageList* value) { SetList(normalImages_, value); }
  TCustomImageList* GetHotImages() const { return hotImages_; }
  void SetHotImages(TCustomImageList* value) { SetList(hotImages_, value); }
  TCustomImageList* GetPressedImages() const { return pressedImages_; }
  void SetPressedImages(TCustomImageList* value) { SetList(pressedImages_, value); }
  TCustomImageList* GetDisabledImages() const { return disabledImages_; }
  void SetDisabledImages(TCustomImageList* value) { SetList(disabledImages_, value); }
  Integer GetNormalIndex() const { return normalIndex_; }
  void SetNormalIndex(Integer value) { SetIndex(normalIndex_, value); }
  Integer GetHotIndex() const { return hotIndex_; }
  void SetHotIndex(Integer value) { SetIndex(hotIndex_, value); }
  Integer GetPressedIndex() const { return pressedIndex_; }
  void SetPressedIndex(Integer value) { SetIndex(pressedIndex_, value); }
  Integer GetDisabledIndex() const { return disabledIndex_; }
  void SetDisabledIndex(Integer value) { SetIndex(disabledIndex_, value); }

  // The list of a state; a state without its own list falls back to the normal one.
  TCustomImageList* GetStateImages(TEditButtonStateEh state) const;
  // -1 for the control-hot state.
  Integer GetStateIndex(TEditButtonStateEh state) const;

 protected:
  virtual void ImagesChanged() {}
  virtual void RefComponentChanged(TComponent*) {}

 private:
  void SetList(TCustomImageList*& field, TCustomImageList* value);
  void SetIndex(Integer& field, Integer value);
  Integer normalIndex_ = 0, hotIndex_ = 0, disabledIndex_ = 0, pressedIndex_ = 0;
  TCustomImageList* normalImages_ = nullptr;
  TCustomImageList* hotImages_ = nullptr;
  TCustomImageList* pressedImages_ = nullptr;
  TCustomImageList* disabledImages_ = nullptr;
};

class TEditButtonImagesEh : public TButtonImagesEh {
  KIV_CLASS(TEditButtonImagesEh, TButtonImagesEh)
 public:
  explicit TEditButtonImagesEh(TEditButtonEh* owner) : owner_(owner) {}
  TPersistent* GetOwner() const override;

 protected:
  void ImagesChanged() override;
  void RefComponentChanged(TComponent* component) override;

 private:
  TEditButtonEh* owner_;
};

class TEditButtonActionLinkEh : public TActionLink {
  KIV_CLASS(TEditButtonActionLinkEh, TActionLink)
 public:
  explicit TEditButtonActionLinkEh(TEditButtonEh* client);
  bool IsEnabledLinked() const override;
  bool IsHintLinked() const override;
  bool IsShortCutLinked() const override;
  bool IsVisibleLinked() const override;
  void SetEnabled(bool value) override;
  void SetHint(const String& value) override;
  void SetShortCut(TShortCut value) override;
  void SetVisible(bool value) override;

 private:
  TEditButtonEh* client_;
};

// A button at the edge of an editor or a grid cell: style, glyph, images, action, shortcut, drop-down
// menu or form, draw-back time and events.
class TEditButtonEh : public TCollectionItem, public IInterface {
  KIV_CLASS(TEditButtonEh, TCollectionItem)
 public:
  static void Published(TPropBuilder<TEditButtonEh>& p);
  explicit TEditButtonEh(TCollection* collection);
  // The main button of an editor.
  explicit TEditButtonEh(TWinControl* editControl, int);
  ~TEditButtonEh() override;
  void Assign(TPersistent* source) override;

  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* value);
  bool GetDefaultAction() const { return defaultActionStored_ ? defaultAction_ : ParentDefinedDefaultAction; }
  void SetDefaultAction(bool value);
  bool GetDefaultActionStored() const { return defaultActionStored_; }
  TEditButtonDrawBackTimeEh GetDrawBackTime() const;
  void SetDrawBackTime(TEditButtonDrawBackTimeEh value);
  bool GetDrawBackTimeStored() const { return drawBackTimeStored_; }
  void SetDrawBackTimeStored(bool value);
  TDropDownFormCallParamsEh* GetDropDownFormParams() const { return dropDownFormParams_.get(); }
  void SetDropDownFormParams(TDropDownFormCallParamsEh* value) { dropDownFormParams_->Assign(value); }
  TPopupMenu* GetDropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TPopupMenu* value);
  TWinControl* GetEditControl() const { return editControl_; }
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value);
  TBitmap* GetGlyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* value);
  const String& GetHint() const { return hint_; }
  void SetHint(const String& value);
  TEditButtonImagesEh* GetImages() const { return images_.get(); }
  void SetImages(TButtonImagesEh* value) { images_->Assign(value); }
  Integer GetNumGlyphs() const { return numGlyphs_; }
  // Clamped to 1..4.
  void SetNumGlyphs(Integer value);
  TShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value) { shortCut_ = value; }
  TEditButtonStyleEh GetStyle() const { return style_; }
  void SetStyle(TEditButtonStyleEh value);
  virtual bool GetVisible() const { return visible_; }
  virtual void SetVisible(bool value);
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer value);
  void SetOnClick(const TButtonClickEventEh& value);
  void SetOnDown(const TButtonDownEventEh& value);

  virtual TDropDownFormCallParamsEh* CreateDropDownFormParams();
  // A descendant's constructor makes its own kind of parameters: the base constructor could only make
  // the base kind.
  void RecreateDropDownFormParams() { dropDownFormParams_.reset(CreateDropDownFormParams()); }
  virtual TEditButtonControlEh* CreateEditButtonControl();
  virtual TEditButtonDrawBackTimeEh DefaultDrawBackTime() const;
  virtual TClass GetActionLinkClass() const;
  // OnClick when assigned; else the action (for the editor, or the collection's owner), then Handled.
  virtual void Click(TObject* sender, bool& handled);
  virtual void InitiateAction();
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  void NotifyChanged();
  void RefComponentChanged(TComponent* component);

  TButtonClickEventEh OnClick;
  TButtonDownEventEh OnDown;
  TNotifyEvent OnChanged;
  TRefComponentNotifyEventEh OnRefComponentChanged;
  bool ParentDefinedDefaultAction = false;

 private:
  void Init();
  void DoActionChange(TObject* sender);
  std::unique_ptr<TEditButtonActionLinkEh> actionLink_;
  bool defaultAction_ = false;
  bool defaultActionStored_ = false;
  TEditButtonDrawBackTimeEh drawBackTime_ = edbtAlwaysEh;
  bool drawBackTimeStored_ = false;
  std::unique_ptr<TDropDownFormCallParamsEh> dropDownFormParams_;
  TPopupMenu* dropdownMenu_ = nullptr;
  TWinControl* editControl_ = nullptr;
  bool enabled_ = true;
  std::unique_ptr<TBitmap> glyph_;
  String hint_;
  std::unique_ptr<TEditButtonImagesEh> images_;
  Integer numGlyphs_ = 1;
  TShortCut shortCut_ = 0;
  TEditButtonStyleEh style_ = ebsDropDownEh;
  bool visible_ = false;
  Integer width_ = 0;
};

// Drop-down buttons answer Alt+Down.
class TDropDownEditButtonEh : public TEditButtonEh {
  KIV_CLASS(TDropDownEditButtonEh, TEditButtonEh)
 public:
  explicit TDropDownEditButtonEh(TCollection* collection);
  TDropDownEditButtonEh(TWinControl* editControl, int);
};

class TVisibleEditButtonEh : public TEditButtonEh {
  KIV_CLASS(TVisibleEditButtonEh, TEditButtonEh)
 public:
  explicit TVisibleEditButtonEh(TCollection* collection);
  TVisibleEditButtonEh(TWinControl* editControl, int);
};

class TEditButtonsEh : public TCollection {
  KIV_CLASS(TEditButtonsEh, TCollection)
 public:
  TEditButtonsEh(TPersistent* owner, TClass editButtonClass);
  TPersistent* GetOwner() const override { return owner_; }
  TEditButtonEh* Add() { return static_cast<TEditButtonEh*>(TCollection::Add()); }
  TEditButtonEh* GetEditButton(Integer index) const { return static_cast<TEditButtonEh*>(GetItem(index)); }
  void SetEditButton(Integer index, TEditButtonEh* value) { GetItem(index)->Assign(value); }
  // What the owner's IEditButtonsOwnerEh answers; edbtAlwaysEh without it.
  virtual TEditButtonDrawBackTimeEh DefaultDrawBackTime() const;
  void Update(TCollectionItem* item) override;

  TNotifyEvent OnChanged;
  TRefComponentNotifyEventEh OnRefComponentChanged;

 private:
  TPersistent* owner_;
};

// Paints and clicks one edit button inside an editor; spin styles repeat while held.
class TEditButtonControlEh : public TSpeedButton {
  KIV_CLASS(TEditButtonControlEh, TSpeedButton)
 public:
  // The auto-repeat pace: the first repeat after 400 ms, then every 100 ms.
  static constexpr Cardinal RepeatFirstDelay = 400;
  static constexpr Cardinal RepeatInterval = 100;

  explicit TEditButtonControlEh(TComponent* owner);
  ~TEditButtonControlEh() override;

  bool GetActive() const { return active_; }
  void SetActive(bool value);
  bool GetAdvancedPaint() const { return advancedPaint_; }
  void SetAdvancedPaint(bool value) { advancedPaint_ = value; }
  bool GetAlwaysDown() const { return alwaysDown_; }
  void SetAlwaysDown(bool value);
  TEditButtonStyleEh GetStyle() const { return style_; }
  void SetStyle(TEditButtonStyleEh value);
  TEditButtonDrawBackTimeEh GetDrawBackTime() const { return drawBackTime_; }
  void SetDrawBackTime(TEditButtonDrawBackTimeEh value);
  bool GetMouseInControl() const { return mouseInControl_; }
  // 0 none, 1 the button or its upper half, 2 the lower half.
  Integer GetButtonNum() const { return buttonNum_; }
  TEditButtonImagesEh* GetExternalEditButtonImages() const { return externalImages_; }
  void SetExternalEditButtonImages(TEditButtonImagesEh* value) { externalImages_ = value; }
  // The repeat timer, made on first use (nil before).
  TTimer* GetRepeatTimer() const { return timer_.get(); }
  TCanvas* GetCanvas() const { return TGraphicControl::GetCanvas(); }

  virtual TButtonImagesEh* GetButtonImages() const;
  virtual bool IsPaintActive() const;
  virtual TEditButtonStateEh GetEditButtonState() const;
  virtual void DrawImages(const TRect& rect);
  virtual void EditButtonDown(Integer buttonNum, bool& autoRepeat);
  void DefaultPaint();
  void SetState(TEditButtonStateEh newState, bool isActive, Integer buttonNum);
  void SetWidthNoNotify(Integer width);
  void Click() override;

  TButtonDownEventEh OnDown;
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

 private:
  bool IsSpinStyle() const { return style_ == ebsUpDownEh || style_ == ebsAltUpDownEh; }
  void UpdateDownButtonNum(Integer y);
  void StartTimer(Cardinal interval);
  void StopTimer();
  void TimerTick(TObject* sender);

  bool active_ = false;
  bool alwaysDown_ = false;
  Integer buttonNum_ = 0;
  bool noDoClick_ = false;
  TEditButtonStyleEh style_ = ebsDropDownEh;
  std::unique_ptr<TTimer> timer_;
  std::unique_ptr<TButtonImagesEh> internalImages_;
  TEditButtonDrawBackTimeEh drawBackTime_ = edbtAlwaysEh;
  bool mouseInControl_ = false;
  bool advancedPaint_ = true;
  TEditButtonImagesEh* externalImages_ = nullptr;
  TEditButtonStateEh paintState_ = ebstNormalEh;
};

class TSpeedButtonEh : public TEditButtonControlEh {
  KIV_CLASS(TSpeedButtonEh, TEditButtonControlEh)
 public:
  static void Published(TPropBuilder<TSpeedButtonEh>& p);
  explicit TSpeedButtonEh(TComponent* owner) : TEditButtonControlEh(owner) {}
};

// One button of an editor with the separator line the editor draws beside it.
struct TEditButtonControlLineRec {
  TShape* ButtonLine = nullptr;
  TEditButtonControlEh* EditButtonControl = nullptr;
  TEditButtonEh* EditButton = nullptr;
};

// ---- Size grip, MRU list and dataset field-value list ----

// A small triangle in a corner of a host window; dragging it resizes the host inside the work area,
// the opposite corner staying put.
class TSizeGripEh : public TCustomControlEh {
  KIV_CLASS(TSizeGripEh, TCustomControlEh)
 public:
  explicit TSizeGripEh(TComponent* owner);

  TSizeGripPosition GetPosition() const { return position_; }
  void SetPosition(TSizeGripPosition value);
  bool GetTriangleWindow() const { return triangleWindow_; }
  void SetTriangleWindow(bool value);
  TWinControl* GetHostControl() const { return hostControl_ ? hostControl_ : GetParent(); }
  void SetHostControl(TWinControl* value) { hostControl_ = value; }
  // Places the grip in its corner of the host's adjusted client rectangle.
  void UpdatePosition();
  void UpdateWindowRegion();
  void ChangePosition(TSizeGripChangePosition newPosition);

  TNotifyEvent OnParentResized;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;

 private:
  TPoint initScreenMousePos_;
  bool internalMove_ = false;
  TPoint oldMouseMovePos_;
  TRect parentRect_;  // client width, client height, outer width, outer height of the host at the press
  TSizeGripPosition position_ = sgpBottomRight;
  bool triangleWindow_ = true;
  TWinControl* hostControl_ = nullptr;
};

enum TMRUListSourceKindEh { lskMRUListItemsEh, lskDataSetFieldValuesEh };
class TMRUListEh;
using TMRUListFillAutogenItemsEventEh = TDelegate<void(TMRUListEh* sender, TStrings* autogenItems)>;
using TFilterMRUItemEventEh = TDelegate<void(TObject* sender, bool& accept)>;
using TSetCloseUpEventEh = TDelegate<void(TObject* sender, bool accept)>;
using TSetDropDownEventEh = TDelegate<void(TObject* sender)>;

// The most recently used texts of an editor or a column, oldest first, filtered by a typed prefix.
class TMRUListEh : public TPersistent {
  KIV_CLASS(TMRUListEh, TPersistent)
 public:
  static void Published(TPropBuilder<TMRUListEh>& p);
  explicit TMRUListEh(TPersistent* owner);
  ~TMRUListEh() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  bool GetActive() const { return active_; }
  void SetActive(bool value);
  bool GetAutoAdd() const { return autoAdd_; }
  void SetAutoAdd(bool value) { autoAdd_ = value; }
  bool GetCancelIfKeyInQueue() const { return cancelIfKeyInQueue_; }
  void SetCancelIfKeyInQueue(bool value) { cancelIfKeyInQueue_ = value; }
  bool GetCaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value) { caseSensitive_ = value; }
  TStrings* GetItems() const { return items_.get(); }
  void SetItems(TStrings* value) { items_->Assign(value); }
  Integer GetLimit() const { return limit_; }
  void SetLimit(Integer value);
  TMRUListSourceKindEh GetListSourceKind() const { return listSourceKind_; }
  void SetListSourceKind(TMRUListSourceKindEh value) { listSourceKind_ = value; }
  Integer GetRows() const { return rows_; }
  void SetRows(Integer value) { rows_ = value; }
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer value) { width_ = value; }
  bool GetDroppedDown() const { return droppedDown_; }
  void SetDroppedDown(bool value) { droppedDown_ = value; }
  // The owner's generated items with field values as the source, else the own items.
  TStrings* ActiveItems() const;

  // Blank text is ignored; a known text moves to the end; the oldest go past the limit.
  void Add(const String& s);
  // The active items that start with maskText; false when a waiting key stopped the walk.
  bool FilterItemsTo(TStrings* filteredItems, const String& maskText);
  virtual void CloseUp(bool accept);
  virtual void DropDown();
  virtual void PrepareActiveItems();

  TNotifyEvent OnActiveChanged;
  TMRUListFillAutogenItemsEventEh OnFillAutogenItems;
  TFilterMRUItemEventEh OnFilterItem;
  TSetCloseUpEventEh OnSetCloseUp;
  TSetDropDownEventEh OnSetDropDown;

 private:
  void TrimToLimit();
  bool active_ = false;
  bool autoAdd_ = true;
  std::unique_ptr<TStringList> autogenItems_;
  bool cancelIfKeyInQueue_ = true;
  bool caseSensitive_ = false;
  std::unique_ptr<TStringList> items_;
  Integer limit_ = 100;
  TMRUListSourceKindEh listSourceKind_ = lskMRUListItemsEh;
  TPersistent* owner_;
  Integer rows_ = 7;
  Integer width_ = 0;
  bool droppedDown_ = false;
};

using TDataEventEh = TDelegate<void(TDataEvent event, NativeInt info)>;

// A data link that hands every data event on after its own handling.
class TDataLinkEh : public TDataLink {
  KIV_CLASS(TDataLinkEh, TDataLink)
 public:
  TDataEventEh OnDataEvent;
  void DataEvent(TDataEvent event, NativeInt info) override;
};

// The sorted distinct display texts of one field of a dataset, computed again after the data changed.
class TDatasetFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
  KIV_CLASS(TDatasetFieldValueListEh, TObject)
 public:
  TDatasetFieldValueListEh();
  ~TDatasetFieldValueListEh() override;

  const String& GetFieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  TDataSet* GetDataSet() const;
  // Links to the list's own source.
  void SetDataSet(TDataSet* value);
  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* value);
  bool GetCaseSensitive() const;
  void SetCaseSensitive(bool value);
  TStrings* GetValues() override;
  void SetFilter(const String&) override {}
  virtual void DataEvent(TDataEvent event, NativeInt info);

 private:
  std::unique_ptr<TDataLinkEh> dataLink_;
  bool dataObsoleted_ = true;
  std::unique_ptr<TDataSource> dataSource_;
  String fieldName_;
  std::unique_ptr<TStringList> values_;
};

// A themed speed button with images per state and optional auto-repeat of its click.
class TCustomSpeedButtonEh : public TSpeedButton {
  KIV_CLASS(TCustomSpeedButtonEh, TSpeedButton)
 public:
  explicit TCustomSpeedButtonEh(TComponent* owner);
  ~TCustomSpeedButtonEh() override;

  bool GetAutoRepeat() const { return autoRepeat_; }
  void SetAutoRepeat(bool value) { autoRepeat_ = value; }
  TEditButtonImagesEh* GetExternalEditButtonImages() const { return externalImages_; }
  void SetExternalEditButtonImages(TEditButtonImagesEh* value) { externalImages_ = value; }
  TTimer* GetRepeatTimer() const { return repeatTimer_.get(); }

  virtual TButtonImagesEh* GetButtonImages() const;
  virtual TEditButtonStateEh GetEditButtonState() const;
  virtual TThemedButton GetButtonTheme() const { return tbPushButtonPressed; }
  virtual void DefaultPaint();
  virtual void PaintBackground(TRect& paintRect, TPoint& pressOffset);
  virtual void PaintForeground(const TRect& paintRect, TPoint pressOffset);

  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

 private:
  void RepeatTick(TObject* sender);
  TEditButtonImagesEh* externalImages_ = nullptr;
  std::unique_ptr<TButtonImagesEh> internalImages_;
  bool autoRepeat_ = false;
  bool mouseInControl_ = false;
  std::unique_ptr<TTimer> repeatTimer_;
};
