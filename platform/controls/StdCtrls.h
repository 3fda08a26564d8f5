// Standard controls: label, push button, check box, radio button, group box, combo box, list box
// and scroll bar, over the matching Qt widgets; the edits are in StdEdits.h.
#pragma once

#include <memory>

#include "platform/controls/Controls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdEdits.h"

class TStrings;
class TStringList;

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
  KIV_CLASS(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* owner);
  static void Published(TPropBuilder<TCustomLabel>& p);

  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout GetLayout() const { return layout_; }
  void SetLayout(TTextLayout value);
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool GetShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // The control that an accelerator of the caption focuses.
  TWinControl* GetFocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);
  void SetAutoSize(bool value) override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  bool CanAutoSize(Integer& newWidth, Integer& newHeight) override;
  // Draws (or, with DT_CALCRECT in flags, measures) the caption in rect.
  void DoDrawText(TRect& rect, Cardinal flags);

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
  KIV_CLASS(TLabel, TCustomLabel)
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

class TButtonControl : public TWinControl {
  KIV_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* owner);
};

class TButton : public TButtonControl {
  KIV_CLASS(TButton, TButtonControl)
 public:
  explicit TButton(TComponent* owner);
  static void Published(TPropBuilder<TButton>& p);

  // The form's Enter presses the default button, Esc the cancel button.
  bool GetDefault() const { return default_; }
  void SetDefault(bool value);
  bool GetCancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Set on the parent form when the button is clicked (ends a modal form).
  TModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  void Click() override;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;
  void CMDialogKey(TCMDialogKey& message);
  void CMDialogChar(TCMDialogChar& message);
  void CMFocusChanged(TCMFocusChanged& message);

 private:
  friend class TButtonBridge;
  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
};

// ---- Check box and radio button ----

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
using TLeftRight = TAlignment;

class TCustomCheckBox : public TButtonControl {
  KIV_CLASS(TCustomCheckBox, TButtonControl)
 public:
  explicit TCustomCheckBox(TComponent* owner);
  static void Published(TPropBuilder<TCustomCheckBox>& p);

  // From code, a change of State (or Checked) raises OnClick; setting the same value does not.
  TCheckBoxState GetState() const { return state_; }
  void SetState(TCheckBoxState value);
  bool GetChecked() const { return state_ == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  // A user click cycles unchecked -> grayed -> checked -> unchecked with AllowGrayed.
  bool GetAllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }
  // taRightJustify (the default) puts the caption right of the box.
  TLeftRight GetAlignment() const { return alignment_; }
  void SetAlignment(TLeftRight value);

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;
  // The user's click: the next state in the cycle.
  virtual void Toggle();

 private:
  friend class TCheckBoxBridge;
  void SyncWidget();
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TLeftRight alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  KIV_CLASS(TCheckBox, TCustomCheckBox)
 public:
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
  KIV_CLASS(TRadioButton, TButtonControl)
 public:
  explicit TRadioButton(TComponent* owner);
  static void Published(TPropBuilder<TRadioButton>& p);

  // Checking unchecks the radio buttons of the same parent and raises OnClick; unchecking is silent.
  bool GetChecked() const { return checked_; }
  void SetChecked(bool value);
  TLeftRight GetAlignment() const { return alignment_; }
  void SetAlignment(TLeftRight value);

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;

 private:
  void SyncWidget();
  bool checked_ = false;
  TLeftRight alignment_ = taRightJustify;
};

// ---- Group box ----

// A captioned frame around its children; disabling it disables them for input and drawing.
class TCustomGroupBox : public TCustomControl {
  KIV_CLASS(TCustomGroupBox, TCustomControl)
 public:
  explicit TCustomGroupBox(TComponent* owner);
  static void Published(TPropBuilder<TCustomGroupBox>& p);

 protected:
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;
  void Dispatch(TMessage& message) override;
};

class TGroupBox : public TCustomGroupBox {
  KIV_CLASS(TGroupBox, TCustomGroupBox)
 public:
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

// ---- Combo box and list box ----

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

using TDrawItemEvent =
    TDelegate<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TDelegate<void(TWinControl* Control, Integer Index, Integer& Height)>;

class TComboBoxHost;

class TCustomComboBox : public TWinControl {
  KIV_CLASS(TCustomComboBox, TWinControl)
 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  static void Published(TPropBuilder<TCustomComboBox>& p);

  TComboBoxStyle GetStyle() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  // The list: a change of it shows at once in the window.
  TStrings* GetItems() const;
  void SetItems(TStrings* value);
  // From code: no OnChange. The user's pick raises OnClick, then OnSelect (or OnChange when there is
  // no OnSelect), as the class library does.
  Integer GetItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer value);
  bool GetSorted() const { return sorted_; }
  void SetSorted(bool value);
  Integer GetDropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(Integer value);
  Integer GetMaxLength() const { return maxLength_; }
  void SetMaxLength(Integer value);
  TEditCharCase GetCharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  Integer GetItemHeight() const { return itemHeight_; }
  void SetItemHeight(Integer value);
  bool GetDroppedDown() const;
  void SetDroppedDown(bool value);
  TCanvas* GetCanvas() const { return canvas_.get(); }
  void Clear();
  void AddItem(const String& item, TObject* object);

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  String GetTextValue() const override;
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;
  void Loaded() override;
  // The user's typing in the edit.
  virtual void Change();
  // The user's pick from the list.
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(Integer index, TRect rect, TOwnerDrawState state);
  virtual void MeasureItem(Integer index, Integer& height);

 private:
  friend class TComboBoxHost;
  void ItemsChanged(TObject* sender);
  void SyncItems();
  void SyncStyle();
  bool IsOwnerDraw() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
  bool IsEditable() const { return style_ == csDropDown || style_ == csSimple; }

  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TCanvas> canvas_;
  std::unique_ptr<TComboBoxHost> bridge_;
  TComboBoxStyle style_ = csDropDown;
  Integer itemIndex_ = -1;
  String selectedText_;
  bool sorted_ = false;
  Integer dropDownCount_ = 8;
  Integer maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
  Integer itemHeight_ = 16;
  Integer updating_ = 0;
};

class TComboBox : public TCustomComboBox {
  KIV_CLASS(TComboBox, TCustomComboBox)
 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };

class TListBoxHost;

class TCustomListBox : public TWinControl {
  KIV_CLASS(TCustomListBox, TWinControl)
 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;
  static void Published(TPropBuilder<TCustomListBox>& p);

  TStrings* GetItems() const;
  void SetItems(TStrings* value);
  // From code: no OnClick; the user's selection raises OnClick.
  Integer GetItemIndex() const;
  void SetItemIndex(Integer value);
  bool GetMultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  bool GetExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool value);
  // Raises EListError "List index out of bounds (%d)" outside the list.
  bool GetSelected(Integer index) const;
  void SetSelected(Integer index, bool value);
  // -1 for a list without MultiSelect, as the class library answers.
  Integer GetSelCount() const;
  bool GetSorted() const { return sorted_; }
  void SetSorted(bool value);
  Integer GetTopIndex() const;
  void SetTopIndex(Integer value);
  Integer GetItemHeight() const { return itemHeight_; }
  void SetItemHeight(Integer value);
  TListBoxStyle GetStyle() const { return style_; }
  void SetStyle(TListBoxStyle value);
  Integer GetCount() const;
  TCanvas* GetCanvas() const { return canvas_.get(); }
  // The item at a client point; -1 (or Count with existing false) below the last one.
  Integer ItemAtPos(TPoint pos, bool existing) const;
  TRect ItemRect(Integer index) const;
  void Clear();
  void AddItem(const String& item, TObject* object);
  void SelectAll();
  void ClearSelection();

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  void CreateParams(TCreateParams& params) override;
  bool PaintsItself() const override { return false; }
  void Dispatch(TMessage& message) override;
  virtual void DrawItem(Integer index, TRect rect, TOwnerDrawState state);

 private:
  friend class TListBoxHost;
  void ItemsChanged(TObject* sender);
  void SyncItems();
  void SyncSelectionMode();

  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TCanvas> canvas_;
  std::unique_ptr<TListBoxHost> bridge_;
  Integer itemIndex_ = -1;
  std::vector<bool> selected_;
  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  bool sorted_ = false;
  Integer itemHeight_ = 16;
  Integer topIndex_ = 0;
  TListBoxStyle style_ = lbStandard;
  Integer updating_ = 0;
};

class TListBox : public TCustomListBox {
  KIV_CLASS(TListBox, TCustomListBox)
 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// ---- Scroll bar ----

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};
using TScrollEvent = TDelegate<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;

class TScrollBar : public TWinControl {
  KIV_CLASS(TScrollBar, TWinControl)
 public:
  explicit TScrollBar(TComponent* owner);
  static void Published(TPropBuilder<TScrollBar>& p);

  TScrollBarKind GetKind() const { return kind_; }
  void SetKind(TScrollBarKind value);
  Integer GetMin() const { return min_; }
  void SetMin(Integer value) { SetParams(position_, value, max_); }
  Integer GetMax() const { return max_; }
  void SetMax(Integer value) { SetParams(position_, min_, value); }
  // Clamped into Min..Max; a change from code raises OnChange (not OnScroll).
  Integer GetPosition() const { return position_; }
  void SetPosition(Integer value) { SetParams(value, min_, max_); }
  Integer GetPageSize() const { return pageSize_; }
  void SetPageSize(Integer value);
  Integer GetSmallChange() const { return smallChange_; }
  void SetSmallChange(Integer value);
  Integer GetLargeChange() const { return largeChange_; }
  void SetLargeChange(Integer value);
  // Max below Min, or a page larger than the range, raises EInvalidOperation
  // "Scrollbar property out of range".
  void SetParams(Integer position, Integer min, Integer max);

  // The user's scroll: OnScroll sees the new position and may change it; then OnChange.
  TScrollEvent OnScroll;
  TNotifyEvent OnChange;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  void Dispatch(TMessage& message) override;
  void KeyDown(Word& key, TShiftState shift) override;
  virtual void Scroll(TScrollCode code, Integer& pos);
  virtual void Change();

 private:
  friend class TScrollBarBridge;
  void SyncWidget();
  // Qt's maximum is the last position of the page's top, the class library's the range's end.
  Integer QtMax() const;
  TScrollBarKind kind_ = sbHorizontal;
  Integer min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0;
  Integer smallChange_ = 1, largeChange_ = 1;
  Integer updating_ = 0;
};

// A 64-bit range on a scroll bar, whose positions are 32-bit: positions map proportionally onto
// 0..BarMax (the range itself when it fits), the ends onto the ends exactly.
class TScrollRange64 {
 public:
  static constexpr Integer kBarMax = 0x3FFFFFFF;
  // Raises ERangeError when max is below min.
  TScrollRange64(Int64 min, Int64 max);
  Int64 GetMin() const { return min_; }
  Int64 GetMax() const { return max_; }
  // The bar's Max for this range.
  Integer BarMax() const;
  // A position (clamped into the range) on the bar, and a bar position back in the range.
  Integer ToBar(Int64 pos) const;
  Int64 FromBar(Integer barPos) const;

 private:
  Int64 min_, max_;
};
