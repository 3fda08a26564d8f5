// Common controls: date-time picker, progress bar, page control with tab sheets, tab control, tool
// bar with tool buttons, status bar with panels, up-down and track bar.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Collection.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/Types.h"

class TCustomImageList;
class TChangeLink;
class TPopupMenu;
class TMenuItem;

// ---- Date-time picker ----

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateFormat { dfShort, dfLong };

class TDateTimePicker : public TWinControl {
  KIV_CLASS(TDateTimePicker, TWinControl)
 public:
  explicit TDateTimePicker(TComponent* owner);
  ~TDateTimePicker() override;
  static void Published(TPropBuilder<TDateTimePicker>& p);

  // From code, no OnChange; the user's change raises it.
  TDateTime GetDateTime() const { return dateTime_; }
  void SetDateTime(TDateTime value);
  // The date keeps the time part and the time keeps the date part. Outside MinDate..MaxDate (0 is no
  // limit) raises EDateTimeError "Date exceeds minimum of %s" / "Date exceeds maximum of %s".
  TDateTime GetDate() const;
  void SetDate(TDateTime value);
  TDateTime GetTime() const;
  void SetTime(TDateTime value);
  TDateTimeKind GetKind() const { return kind_; }
  void SetKind(TDateTimeKind value);
  TDTDateFormat GetDateFormat() const { return dateFormat_; }
  void SetDateFormat(TDTDateFormat value);
  // A picture in the class library's picker language: d dd ddd dddd M MM MMM MMMM y yy yyyy h hh H HH
  // m mm s ss t tt and 'quoted text'; empty means the kind's and DateFormat's default.
  const String& GetFormat() const { return format_; }
  void SetFormat(const String& value);
  bool GetShowCheckbox() const { return showCheckbox_; }
  void SetShowCheckbox(bool value);
  bool GetChecked() const { return checked_; }
  void SetChecked(bool value);
  TDateTime GetMinDate() const { return minDate_; }
  void SetMinDate(TDateTime value);
  TDateTime GetMaxDate() const { return maxDate_; }
  void SetMaxDate(TDateTime value);

  TNotifyEvent OnChange;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  void Dispatch(TMessage& message) override;
  virtual void Change();

 private:
  friend class TDateTimePickerBridge;
  void SyncWidget();
  void CheckRange(TDateTime value) const;
  TDateTime dateTime_;
  TDateTimeKind kind_ = dtkDate;
  TDTDateFormat dateFormat_ = dfShort;
  String format_;
  bool showCheckbox_ = false;
  bool checked_ = true;
  TDateTime minDate_ = 0;
  TDateTime maxDate_ = 0;
  Integer updating_ = 0;
};

// The picker's picture language as a Qt display format (for the platform's own code and tests).
String PickerFormatToQt(const String& format);

// ---- Progress bar ----

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
  KIV_CLASS(TProgressBar, TWinControl)
 public:
  explicit TProgressBar(TComponent* owner);
  static void Published(TPropBuilder<TProgressBar>& p);

  Integer GetMin() const { return min_; }
  void SetMin(Integer value);
  Integer GetMax() const { return max_; }
  void SetMax(Integer value);
  // Clamped into Min..Max.
  Integer GetPosition() const { return position_; }
  void SetPosition(Integer value);
  Integer GetStep() const { return step_; }
  void SetStep(Integer value) { step_ = value; }
  // Past Max the bar starts again from Min, as the system's bar does.
  void StepIt();
  // Moves by delta, clamped.
  void StepBy(Integer delta);
  TProgressBarOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation value);
  bool GetSmooth() const { return smooth_; }
  void SetSmooth(bool value) { smooth_ = value; }

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }

 private:
  void SyncWidget();
  Integer min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  TProgressBarOrientation orientation_ = pbHorizontal;
  bool smooth_ = false;
};

// ---- Tabs ----

using TTabChangingEvent = TDelegate<void(TObject* Sender, bool& AllowChange)>;
enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };

// The tab strip shared by the tab control and the page control: tabs along the top, painted here.
class TCustomTabControl : public TCustomControl {
  KIV_CLASS(TCustomTabControl, TCustomControl)
 public:
  explicit TCustomTabControl(TComponent* owner);
  static void Published(TPropBuilder<TCustomTabControl>& p);

  // The tab under a client point, -1 for none (an index among the visible tabs).
  Integer IndexOfTabAt(Integer x, Integer y) const;
  TRect TabRect(Integer index) const;
  // The area the tabs leave for the pages.
  TRect GetDisplayRect() const;
  Integer GetTabHeight() const { return tabHeight_; }
  void SetTabHeight(Integer value);

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Dispatch(TMessage& message) override;
  // The visible tabs' captions and the selected one among them.
  virtual std::vector<String> TabCaptions() const = 0;
  virtual Integer SelectedTab() const = 0;
  // The user picked a tab: OnChanging may refuse, else it is selected and OnChange raised.
  virtual void TabClicked(Integer index) = 0;
  virtual bool CanChange();
  virtual void Change();

 private:
  Integer tabHeight_ = 0;
};

class TTabControl : public TCustomTabControl {
  KIV_CLASS(TTabControl, TCustomTabControl)
 public:
  explicit TTabControl(TComponent* owner);
  ~TTabControl() override;
  static void Published(TPropBuilder<TTabControl>& p);

  TStrings* GetTabs() const;
  void SetTabs(TStrings* value);
  // From code, no events; -1 selects none.
  Integer GetTabIndex() const { return tabIndex_; }
  void SetTabIndex(Integer value);

 protected:
  std::vector<String> TabCaptions() const override;
  Integer SelectedTab() const override { return tabIndex_; }
  void TabClicked(Integer index) override;

 private:
  void TabsChanged(TObject* sender);
  std::unique_ptr<TStringList> tabs_;
  Integer tabIndex_ = -1;
};

class TPageControl;

class TTabSheet : public TCustomControl {
  KIV_CLASS(TTabSheet, TCustomControl)
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  static void Published(TPropBuilder<TTabSheet>& p);

  TPageControl* GetPageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* value);
  // The position among the pages; raises EListError outside them.
  Integer GetPageIndex() const;
  void SetPageIndex(Integer value);
  // A hidden tab hides its page; the page control moves to another.
  bool GetTabVisible() const { return tabVisible_; }
  void SetTabVisible(bool value);
  Integer GetImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value) { imageIndex_ = value; }
  // Among the visible tabs; -1 when hidden.
  Integer GetTabIndex() const;
  void SetParent(TWinControl* parent) override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
  Integer imageIndex_ = -1;
};

class TPageControl : public TCustomTabControl {
  KIV_CLASS(TPageControl, TCustomTabControl)
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  static void Published(TPropBuilder<TPageControl>& p);

  // From code, no OnChanging nor OnChange; a sheet of another control raises EInvalidOperation.
  TTabSheet* GetActivePage() const { return activePage_; }
  void SetActivePage(TTabSheet* page);
  Integer GetActivePageIndex() const;
  void SetActivePageIndex(Integer value);
  Integer GetPageCount() const { return static_cast<Integer>(pages_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TTabSheet* GetPage(Integer index) const;
  TTabSheet* Pages(Integer index) const { return GetPage(index); }
  // The next (or previous) visible page after current, wrapping around.
  TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
  // As the user's Ctrl+Tab: asks OnChanging, then raises OnChange.
  void SelectNextPage(bool goForward, bool checkTabVisible = true);
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  std::vector<String> TabCaptions() const override;
  Integer SelectedTab() const override;
  void TabClicked(Integer index) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;
  void SetChildOrder(TComponent* child, int order) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void ShowActivePage();
  std::vector<TTabSheet*> VisiblePages() const;
  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};

// ---- Tool bar ----

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider, tbsTextButton };

class TToolBar;

class TToolButton : public TGraphicControl {
  KIV_CLASS(TToolButton, TGraphicControl)
 public:
  explicit TToolButton(TComponent* owner);
  ~TToolButton() override;
  static void Published(TPropBuilder<TToolButton>& p);

  TToolButtonStyle GetStyle() const { return style_; }
  void SetStyle(TToolButtonStyle value);
  Integer GetImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value);
  // A check button stays down when clicked; Grouped check buttons next to each other are exclusive.
  bool GetDown() const { return down_; }
  void SetDown(bool value);
  bool GetGrouped() const { return grouped_; }
  void SetGrouped(bool value) { grouped_ = value; }
  bool GetAllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value) { allowAllUp_ = value; }
  // A click on a drop-down button's arrow pops this menu up below the button.
  TPopupMenu* GetDropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TPopupMenu* value);
  // A click runs the menu item's click (unless OnClick is set); caption and enabled come from it.
  TMenuItem* GetMenuItem() const { return menuItem_; }
  void SetMenuItem(TMenuItem* value);
  // The next button starts a new row.
  bool GetWrap() const { return wrap_; }
  void SetWrap(bool value);
  bool GetMarked() const { return marked_; }
  void SetMarked(bool value);
  // The position among the tool bar's buttons.
  Integer GetIndex() const;
  TToolBar* GetToolBar() const;
  void Click() override;
  // The arrow part of a drop-down button.
  TRect DropDownRect() const;
  void SetParent(TWinControl* parent) override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TToolBar;
  void UpdateGroup();
  TToolButtonStyle style_ = tbsButton;
  Integer imageIndex_ = -1;
  bool down_ = false;
  bool grouped_ = false;
  bool allowAllUp_ = false;
  bool wrap_ = false;
  bool marked_ = false;
  bool pressed_ = false;
  bool hot_ = false;
  TPopupMenu* dropdownMenu_ = nullptr;
  TMenuItem* menuItem_ = nullptr;
};

class TToolBar : public TCustomControl {
  KIV_CLASS(TToolBar, TCustomControl)
 public:
  explicit TToolBar(TComponent* owner);
  ~TToolBar() override;
  static void Published(TPropBuilder<TToolBar>& p);

  Integer GetButtonCount() const { return static_cast<Integer>(buttons_.size()); }
  TToolButton* GetButton(Integer index) const;
  TToolButton* Buttons(Integer index) const { return GetButton(index); }
  Integer GetButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(Integer value);
  Integer GetButtonHeight() const { return buttonHeight_; }
  void SetButtonHeight(Integer value);
  bool GetShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool value);
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* value);
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value);
  // Captions right of the images instead of below.
  bool GetList() const { return list_; }
  void SetList(bool value);
  bool GetWrapable() const { return wrapable_; }
  void SetWrapable(bool value);
  Integer GetIndent() const { return indent_; }
  void SetIndent(Integer value);
  // Lays the buttons out in order, rows broken at Wrap (and at the edge when Wrapable).
  void ArrangeButtons();
  // The size a button of this bar gets.
  TSize ButtonSize(const TToolButton* button) const;

 protected:
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;
  void AlignControls(TControl* control, TRect& rect) override;
  void Loaded() override;

 private:
  friend class TToolButton;
  void InsertButton(TToolButton* button);
  void RemoveButton(TToolButton* button);
  void ImagesChanged(TObject* sender);
  std::vector<TToolButton*> buttons_;
  std::unique_ptr<TChangeLink> imageLink_;
  TCustomImageList* images_ = nullptr;
  Integer buttonWidth_ = 23;
  Integer buttonHeight_ = 22;
  Integer indent_ = 0;
  bool showCaptions_ = false;
  bool flat_ = true;
  bool list_ = false;
  bool wrapable_ = true;
  bool arranging_ = false;
};

// ---- Status bar ----

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel : public TCollectionItem {
  KIV_CLASS(TStatusPanel, TCollectionItem)
 public:
  explicit TStatusPanel(TCollection* collection);
  static void Published(TPropBuilder<TStatusPanel>& p);
  void Assign(TPersistent* source) override;

  const String& GetText() const { return text_; }
  void SetText(const String& value);
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer value);
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TStatusPanelStyle GetStyle() const { return style_; }
  void SetStyle(TStatusPanelStyle value);
  TStatusPanelBevel GetBevel() const { return bevel_; }
  void SetBevel(TStatusPanelBevel value);

 private:
  String text_;
  Integer width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  TStatusPanelStyle style_ = psText;
  TStatusPanelBevel bevel_ = pbLowered;
};

class TStatusPanels : public TCollection {
  KIV_CLASS(TStatusPanels, TCollection)
 public:
  explicit TStatusPanels(TStatusBar* statusBar);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* GetItem(int index) const { return static_cast<TStatusPanel*>(TCollection::GetItem(index)); }
  TStatusPanel* operator[](int index) const { return GetItem(index); }
  TPersistent* GetOwner() const override;

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TStatusBar* statusBar_;
};

using TDrawPanelEvent = TDelegate<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
  KIV_CLASS(TStatusBar, TCustomControl)
 public:
  explicit TStatusBar(TComponent* owner);
  ~TStatusBar() override;
  static void Published(TPropBuilder<TStatusBar>& p);

  TStatusPanels* GetPanels() const { return panels_.get(); }
  void SetPanels(TStatusPanels* value);
  // One panel across the bar showing SimpleText instead of the panels.
  bool GetSimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool value);
  const String& GetSimpleText() const { return simpleText_; }
  void SetSimpleText(const String& value);
  bool GetSizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool value);
  // The rectangle of a panel in client coordinates (the last one reaches the end).
  TRect PanelRect(Integer index) const;

  TDrawPanelEvent OnDrawPanel;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;
  virtual void DrawPanel(TStatusPanel* panel, const TRect& rect);

 private:
  std::unique_ptr<TStatusPanels> panels_;
  bool simplePanel_ = false;
  String simpleText_;
  bool sizeGrip_ = true;
};

// ---- Up-down ----

enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };
enum TUpDownDirection { updNone, updUp, updDown };
using TUDClickEvent = TDelegate<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TDelegate<void(TObject* Sender, bool& AllowChange)>;
using TUDChangingEventEx =
    TDelegate<void(TObject* Sender, bool& AllowChange, SmallInt NewValue, TUpDownDirection Direction)>;

class TCustomUpDown : public TCustomControl {
  KIV_CLASS(TCustomUpDown, TCustomControl)
 public:
  explicit TCustomUpDown(TComponent* owner);
  static void Published(TPropBuilder<TCustomUpDown>& p);

  // The control (an edit) whose text shows the position; the up-down sits at its side.
  TWinControl* GetAssociate() const { return associate_; }
  void SetAssociate(TWinControl* value);
  SmallInt GetMin() const { return min_; }
  void SetMin(SmallInt value);
  SmallInt GetMax() const { return max_; }
  void SetMax(SmallInt value);
  // The associate's text is read first when it holds a number, as the system's control does.
  SmallInt GetPosition() const;
  void SetPosition(SmallInt value);
  Integer GetIncrement() const { return increment_; }
  void SetIncrement(Integer value) { increment_ = value; }
  bool GetWrap() const { return wrap_; }
  void SetWrap(bool value) { wrap_ = value; }
  bool GetThousands() const { return thousands_; }
  void SetThousands(bool value);
  TUDOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TUDOrientation value);
  TUDAlignButton GetAlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton value);
  bool GetArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool value) { arrowKeys_ = value; }
  // A press of one button, as the user's: OnChanging and OnChangingEx may refuse, then the position
  // moves and OnClick runs.
  void Press(TUDBtnType button);

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;
  TUDChangingEventEx OnChangingEx;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  virtual bool CanChange(SmallInt newValue, TUpDownDirection direction);
  using TControl::Click;
  virtual void Click(TUDBtnType button);

 private:
  void ReadAssociate();
  void WriteAssociate();
  void PlaceBesideAssociate();
  TWinControl* associate_ = nullptr;
  SmallInt min_ = 0, max_ = 100;
  SmallInt position_ = 0;
  Integer increment_ = 1;
  bool wrap_ = false;
  bool thousands_ = true;
  bool arrowKeys_ = true;
  TUDOrientation orientation_ = udVertical;
  TUDAlignButton alignButton_ = udRight;
  Integer pressed_ = -1;
};

class TUpDown : public TCustomUpDown {
  KIV_CLASS(TUpDown, TCustomUpDown)
 public:
  explicit TUpDown(TComponent* owner) : TCustomUpDown(owner) {}
};

// ---- Track bar ----

enum TTrackBarOrientation { trHorizontal, trVertical };

class TTrackBar : public TWinControl {
  KIV_CLASS(TTrackBar, TWinControl)
 public:
  explicit TTrackBar(TComponent* owner);
  static void Published(TPropBuilder<TTrackBar>& p);

  Integer GetMin() const { return min_; }
  void SetMin(Integer value);
  Integer GetMax() const { return max_; }
  void SetMax(Integer value);
  // Clamped into Min..Max; any change, from code or the user, raises OnChange.
  Integer GetPosition() const { return position_; }
  void SetPosition(Integer value);
  Integer GetFrequency() const { return frequency_; }
  void SetFrequency(Integer value);
  Integer GetLineSize() const { return lineSize_; }
  void SetLineSize(Integer value);
  Integer GetPageSize() const { return pageSize_; }
  void SetPageSize(Integer value);
  TTrackBarOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation value);

  TNotifyEvent OnChange;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  void Dispatch(TMessage& message) override;
  virtual void Changed();

 private:
  friend class TTrackBarBridge;
  void SyncWidget();
  Integer min_ = 0, max_ = 10, position_ = 0, frequency_ = 1, lineSize_ = 1, pageSize_ = 2;
  TTrackBarOrientation orientation_ = trHorizontal;
  Integer updating_ = 0;
};
