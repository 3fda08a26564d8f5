// The data-aware editors of the grid library: the field data link, the edit-buttons box and the caption
// label every editor carries, the edit box with its value, text, posting, buttons, drop-downs and MRU
// list, and its date-time, combo, number and check-box descendants.
#pragma once

#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Mask.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"

// ---- Field data link ----

// Connects a control to one or several fields of a dataset's current record; with neither a data
// source nor a field name it holds the value itself, so that an editor works unbound by the same rules.
class TFieldDataLinkEh : public TDataLink {
  KIV_CLASS(TFieldDataLinkEh, TDataLink)
 public:
  TFieldDataLinkEh();

  // Data-independent, or bound and the main field resolved.
  bool GetActive() const { return dataIndepended_ || (TDataLink::GetActive() && GetField()); }
  bool GetCanModify() const;
  bool CanModify() const { return GetCanModify(); }
  TComponent* GetControl() const { return control_; }
  void SetControl(TComponent* value) { control_ = value; }
  bool GetDataIndepended() const { return dataIndepended_; }
  bool GetDataSetActive() const;
  void SetDataSource(TDataSource* value);
  // The link's own editing flag (data-independent editing, or the dataset editing a modifiable field).
  bool GetEditing() const { return editing_; }
  TField* GetField() const { return fields_.empty() ? nullptr : fields_[0]; }
  const String& GetFieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  Integer GetFieldsCount() const { return static_cast<Integer>(fields_.size()); }
  TField* GetFieldsField(Integer index) const;
  const TFieldsArrEh& GetFields() const { return fields_; }
  bool GetMultiFields() const { return multiFields_; }
  void SetMultiFields(bool value);
  bool GetModified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }

  bool Edit();
  void Modified() { modified_ = true; }
  // The control reloads its value; a pending change is dropped.
  void Reset();
  void SetText(const String& text);
  void SetValue(const Variant& value);
  virtual void UpdateField();
  virtual bool IsDataIndepended() const;

  void DataEvent(TDataEvent event, NativeInt info) override;
  // The control is left: its pending value goes into the field; a refused one runs onRefused and gives
  // the control the focus back before the error goes on to the user.
  void UpdateRecordOnExit(TWinControl* control, const std::function<void()>& onRefused = {});
  // The control's update-data handler, run with posting set so that what it writes is not written again;
  // true when it did the write itself.
  // A value set from code: bound, the dataset goes into edit state; assign sets the control and, unless
  // the control is posting already, write puts it into the field; a refused value resets the control.
  void SetFromCode(const std::function<void()>& assign, const std::function<void()>& write, bool posting);
  static bool RunUpdateDataHandler(TObject* sender, const TDelegate<void(TObject*, bool&)>& handler,
                                   bool& posting);

  Variant DataIndependentValue = Variant::Null();
  TNotifyEvent OnActiveChange;
  TNotifyEvent OnDataChange;
  TNotifyEvent OnEditingChange;
  TNotifyEvent OnUpdateData;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** fieldRef) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void UpdateDataIndepended();
  void SetEditingFlag(bool value);

  TFieldsArrEh fields_;
  String fieldName_;
  TComponent* control_ = nullptr;
  bool multiFields_ = false;
  bool dataIndepended_ = true;
  bool editing_ = false;
  bool modified_ = false;
};

// ---- Edit-buttons box ----

// The height of a box without a visible button.
inline constexpr Integer NoButtonHeightEh = std::numeric_limits<Integer>::max();

using TCreateEditButtonControlEvent =
    TDelegate<void(TObject* sender, TEditButtonControlEh*& editButtonControl)>;
using TEditButtonControlList = std::vector<TEditButtonControlLineRec>;

// The strip at the end of an editor (or in a grid cell) with one control per edit button and, between
// flat buttons, a one-pixel separator line. Its owner fills in the entries' buttons between BeginLayout
// and EndLayout; the box then sizes and places the controls.
class TEditButtonsBoxEh : public TWinControl {
  KIV_CLASS(TEditButtonsBoxEh, TWinControl)
 public:
  explicit TEditButtonsBoxEh(TComponent* owner);
  ~TEditButtonsBoxEh() override;

  bool GetBorderActive() const { return borderActive_; }
  void SetBorderActive(bool value);
  const TEditButtonControlList& GetBtnCtlList() const { return btnCtlList_; }
  TEditButtonControlList& BtnCtlList() { return btnCtlList_; }
  // NoButtonHeightEh while no button is visible.
  Integer GetButtonHeight() const { return buttonHeight_; }
  Integer GetButtonsCount() const { return static_cast<Integer>(btnCtlList_.size()); }
  // More entries get controls from OnCreateEditButtonControl, which must be assigned.
  void SetButtonsCount(Integer value);
  Integer GetButtonsWidth() const { return buttonsWidth_; }
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value) { flat_ = value; }
  Integer GetMaxButtonHeight() const { return maxButtonHeight_; }
  void SetMaxButtonHeight(Integer value) { maxButtonHeight_ = value; }

  void BeginLayout() { ++layoutCount_; }
  void EndLayout();
  void UpdateEditButtonControlList();
  void UpdateEditButtonControlsState();

  TNotifyEvent OnClick;
  TCreateEditButtonControlEvent OnCreateEditButtonControl;
  TButtonDownEventEh OnDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void UpdateEditButtonControl(TEditButtonControlLineRec& rec, Integer& height);
  void ControlDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  void ControlClick(TObject* sender);
  void ControlMouseMove(TObject* sender, TShiftState shift, Integer x, Integer y);
  void ControlMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);

  Integer layoutCount_ = 0;
  TEditButtonControlList btnCtlList_;
  bool flat_ = false;
  Integer buttonsWidth_ = 0;
  Integer buttonHeight_ = NoButtonHeightEh;
  Integer maxButtonHeight_ = 0;
  bool borderActive_ = false;
};

// ---- Control label ----

enum TLabelPositionEh {
  lpAboveLeftEh,
  lpAboveCenterEh,
  lpAboveRightEh,
  lpBelowLeftEh,
  lpBelowCenterEh,
  lpBelowRightEh,
  lpLeftTopEh,
  lpLeftTextBaselineEh,
  lpLeftCenterEh,
  lpLeftBottomEh,
  lpRightTopEh,
  lpRightTextBaselineEh,
  lpRightCenterEh,
  lpRightBottomEh
};
enum TSpacingBoundEh { sbNearBoundEh, sbFarBoundEh };

// What a control that carries a caption label offers it.
class IControlLabelOwnerEh : public IInterface {
 public:
  virtual String GetControlLabelCaption() = 0;
  // From the control's top to the bottom of its text line.
  virtual Integer GetControlTextBaseLine() = 0;
  virtual void UpdateControlLabelBounds() = 0;
  virtual void ControlLabelLocationChanged() = 0;
};

// The caption label of an editor: hidden and parentless until Visible, then on the editor's parent,
// following the editor's visibility; without an explicit caption it shows what the editor suggests.
class TControlLabelEh : public TCustomLabel {
  KIV_CLASS(TControlLabelEh, TCustomLabel)
 public:
  explicit TControlLabelEh(TComponent* owner);

  String GetCaption() const { return GetText(); }
  // An empty text drops the explicit caption and takes the default again.
  void SetCaption(const String& value);
  bool GetCaptionStored() const { return captionStored_; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  void SetWidth(Integer value) { SetBounds(GetLeft(), GetTop(), value, GetHeight()); }
  void SetHeight(Integer value) { SetBounds(GetLeft(), GetTop(), GetWidth(), value); }

  virtual void UpdateVisibility();
  virtual void UpdateCaption();
  void UpdateParent();

 protected:
  void Loaded() override;
  void Dispatch(TMessage& message) override;

 private:
  IControlLabelOwnerEh* LabelOwner() const;
  bool captionStored_ = false;
  bool visible_ = false;
  bool settingCaption_ = false;
};

// Where the label stands round its editor.
class TControlLabelLocationEh : public TPersistent {
  KIV_CLASS(TControlLabelLocationEh, TPersistent)
 public:
  explicit TControlLabelLocationEh(TWinControl* editControl) : editControl_(editControl) {}

  Integer GetSpacing() const { return spacing_; }
  void SetSpacing(Integer value);
  Integer GetOffset() const { return offset_; }
  void SetOffset(Integer value);
  TLabelPositionEh GetPosition() const { return position_; }
  void SetPosition(TLabelPositionEh value);
  TSpacingBoundEh GetLabelSpacingBound() const { return labelSpacingBound_; }
  void SetLabelSpacingBound(TSpacingBoundEh value);

  void CalcLabelPosForControl(Integer labelWidth, Integer labelHeight, TPoint& labelPos) const;

 private:
  void Changed();
  Integer spacing_ = 3;
  Integer offset_ = 0;
  TLabelPositionEh position_ = lpAboveLeftEh;
  TWinControl* editControl_;
  TSpacingBoundEh labelSpacingBound_ = sbNearBoundEh;
};

// What every label owner does with its label: places it where the location says (size kept), lets it
// follow the editor onto a new parent, and measures the text line for the baseline positions.
void PlaceControlLabelEh(TControlLabelEh* label, TControlLabelLocationEh* location);
void FollowEditorParentEh(TControlLabelEh* label);
Integer EditorTextBaseLineEh(TFont* font, bool ctl3D);

// ---- In-place editor protocol ----

// A grid that hosts an editor over its current cell.
class IInplaceEditHolderEh : public IInterface {
 public:
  // Keys the holder takes before the editor (navigation out of the cell); true when taken.
  virtual bool InplaceEditKeyDown(TWinControl* sender, Word& key, TShiftState shift) = 0;
  virtual bool InplaceEditKeyPress(TWinControl* sender, Char& key) = 0;
  virtual bool InplaceEditCanModify(TWinControl* sender) = 0;
  virtual bool InplaceEditWantTab(TWinControl* sender) = 0;
  virtual void InplaceEditWndProc(TWinControl* sender, TMessage& message) = 0;
};

// An editor that a grid can host over a cell.
class IInplaceEditEh : public IInterface {
 public:
  virtual TFont* GetFont() = 0;
  virtual void SetInplaceEditHolder(TWinControl* holder) = 0;
  virtual void SetBorderStyle(TBorderStyle value) = 0;
  virtual void SetColor(TColor value) = 0;
  virtual void SetFont(TFont* value) = 0;
  virtual void SetOnKeyPress(const TKeyPressEvent& handler) = 0;
  virtual void SetOnExit(const TNotifyEvent& handler) = 0;
  virtual bool GetInplaceMode() = 0;
};

// ---- Edit box ----

enum TDBEditEhValue { evAlignmentEh, evEditMaskEh };
using TDBEditEhValues = TSet<TDBEditEhValue>;
using TGetFieldDataEventEh = TDelegate<void(TObject* sender, Variant& value, bool& handled)>;
using TUpdateDataEventEh = TDelegate<void(TObject* sender, bool& handled)>;
using TCloseUpEventEh = TDelegate<void(TObject* sender, bool accept)>;

class TCustomDBEditEh;

// The grey text a control shows while it holds no value.
class TCustomControlEmptyDataInfoEh : public TPersistent {
  KIV_CLASS(TCustomControlEmptyDataInfoEh, TPersistent)
 public:
  explicit TCustomControlEmptyDataInfoEh(TControl* control);
  ~TCustomControlEmptyDataInfoEh() override;

  TAlignment GetAlignment();
  void SetAlignment(TAlignment value);
  bool GetAlignmentIsStored() const { return alignmentIsStored_; }
  void SetAlignmentIsStored(bool value);
  TColor GetColor() const { return color_; }
  void SetColor(TColor value);
  TFont* GetFont() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  bool GetParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  const String& GetText() const { return text_; }
  void SetText(const String& value);
  TControl* GetControl() const { return control_; }

  // Something to show (a text or a colour) and the control is empty.
  bool Showing();
  // With ParentFont, the control's font size and name; colour and style stay.
  void RefreshDefaultFont();
  TColor ActualColor() { return color_ == clDefault ? DefaultColor() : color_; }

  virtual TAlignment DefaultAlignment() { return taLeftJustify; }
  virtual TFont* DefaultFont() { return nullptr; }
  virtual TColor DefaultColor() { return clWindow; }
  virtual bool IsControlEmpty() { return false; }
  virtual void PaintEmptyDataInfo(TCanvas* /*canvas*/) {}

 protected:
  // Called by the descendant's constructor, once its defaults answer.
  void InitFont();
  void Changed();

 private:
  void FontChanged(TObject* sender);

  TAlignment alignment_ = taLeftJustify;
  bool alignmentIsStored_ = false;
  TColor color_ = clDefault;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  String text_;
  TControl* control_;
  bool fontUpdating_ = false;
};

// The edit box's: follows the editor's alignment and font, and is drawn between its image and buttons.
class TControlEmptyDataInfoEh : public TCustomControlEmptyDataInfoEh {
  KIV_CLASS(TControlEmptyDataInfoEh, TCustomControlEmptyDataInfoEh)
 public:
  explicit TControlEmptyDataInfoEh(TCustomDBEditEh* editControl);
  TCustomDBEditEh* EditControl() const;
  TAlignment DefaultAlignment() override;
  TFont* DefaultFont() override;
  bool IsControlEmpty() override;
  void PaintEmptyDataInfo(TCanvas* canvas) override;
};

// The image at the start of the edit box, chosen from its value.
class TEditImageEh : public TPersistent {
  KIV_CLASS(TEditImageEh, TPersistent)
 public:
  explicit TEditImageEh(TCustomDBEditEh* editControl) : editControl_(editControl) {}
  void Assign(TPersistent* source) override;

  Integer GetImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value);
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* value);
  bool GetUseImageHeight() const { return useImageHeight_; }
  void SetUseImageHeight(bool value);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer value);

  bool Showing() const { return visible_ && images_ && imageIndex_ >= 0; }
  // The room the image takes at the text start: 0 unless visible with images.
  Integer DrawWidth() const;

 private:
  void Changed();

  TCustomDBEditEh* editControl_;
  Integer imageIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  bool useImageHeight_ = true;
  bool visible_ = false;
  Integer width_ = 0;
};

// The hint window of an editor's whole text: it measures in the editor's font, given as hint data.
class TToolTipsWindow : public THintWindow {
  KIV_CLASS(TToolTipsWindow, THintWindow)
 public:
  explicit TToolTipsWindow(TComponent* owner) : THintWindow(owner) {}
  TRect CalcHintRect(Integer maxWidth, const String& hint, void* data) override;
};

using TGetImageIndexEventEh = TDelegate<void(TObject* sender, Integer& imageIndex)>;
using TOnCheckDrawRequiredStateEventEh = TDelegate<void(TObject* sender, bool& drawState)>;

// The single-field masked edit box bound to a field, or keeping its own value when unbound; the base of
// the library's text editors. The field is written when the dataset asks its controls for their data
// (before a post) and when the editor is left; the editor never posts the record itself.
class TCustomDBEditEh : public TCustomMaskEdit,
                        public IControlLabelOwnerEh,
                        public IComboEditEh,
                        public IInplaceEditEh {
  KIV_CLASS(TCustomDBEditEh, TCustomMaskEdit)
 public:
  explicit TCustomDBEditEh(TComponent* owner);
  ~TCustomDBEditEh() override;

  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);
  bool GetAlwaysShowBorder() const { return alwaysShowBorder_; }
  void SetAlwaysShowBorder(bool value);
  // The border is drawn lit: focused, under the mouse, or always.
  bool GetBorderActive() const { return borderActive_; }
  bool GetMouseAboveControl() const { return mouseAboveControl_; }
  TControlLabelEh* GetControlLabel() const { return controlLabel_; }
  TControlLabelLocationEh* GetControlLabelLocation() const { return labelLocation_.get(); }
  String GetDataField() const { return dataLink_->GetFieldName(); }
  virtual void SetDataField(const String& value);
  TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
  virtual void SetDataSource(TDataSource* value);
  TFieldDataLinkEh* GetDataLink() const { return dataLink_.get(); }
  TDynVarsEh* GetDynProps() const { return dynProps_.get(); }
  TEditButtonEh* GetEditButton() const { return editButton_.get(); }
  TEditButtonsEh* GetEditButtons() const { return editButtons_.get(); }
  TEditButtonsBoxEh* GetButtonsBox() const { return buttonsBox_; }
  String GetEditMask() const { return TCustomMaskEdit::GetEditMask(); }
  void SetEditMask(const String& value);
  TControlEmptyDataInfoEh* GetEmptyDataInfo() const { return emptyDataInfo_.get(); }
  TEditImageEh* GetEditImage() const { return editImage_.get(); }
  TCustomImageList* GetImages() const { return editImage_->GetImages(); }
  // Also shows the image.
  void SetImages(TCustomImageList* value);
  bool GetHighlightRequired() const { return highlightRequired_; }
  void SetHighlightRequired(bool value);
  bool GetTooltips() const { return tooltips_; }
  void SetTooltips(bool value);
  bool GetShowHint() const { return ownShowHint_; }
  void SetShowHint(bool value);
  TField* GetField() const { return dataLink_->GetField(); }
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value);
  TMRUListEh* GetMRUList() const { return mruList_.get(); }
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool GetWantReturns() const { return wantReturns_; }
  void SetWantReturns(bool value) { wantReturns_ = value; }
  bool GetWantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }
  // Unfocused, a text too long for a line is shown wrapped into the lines the box has room for.
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool GetDroppedDown() const { return droppedDown_; }
  String GetText() const { return TCustomMaskEdit::GetText(); }
  // Bound: the dataset goes into edit state and the text is written into the field at once.
  void SetText(const String& value);
  Variant GetValue() { return GetVariantValue(); }
  void SetValue(const Variant& value) { SetVariantValue(value); }

  void UpdateData();
  void Reset() override;
  void Clear();
  virtual bool IsEmpty();
  virtual bool DataIndepended() const { return dataLink_->GetDataIndepended(); }
  virtual bool CanDropDown() const;
  void CloseUp(bool accept) override;
  TEditButtonEh* GetFirstDefaultActionEditButton();
  TEditButtonControlEh* GetEditButtonControlByEditButton(TEditButtonEh* button);
  void SetDroppedDownState(TEditButtonEh* button, TEditButtonControlEh* control);
  void ClearDroppedDownState();

  // Label owner.
  String GetControlLabelCaption() override;
  Integer GetControlTextBaseLine() override;
  void UpdateControlLabelBounds() override;
  void ControlLabelLocationChanged() override;

  // In-place editor.
  TFont* GetFont() override { return TControl::GetFont(); }
  void SetInplaceEditHolder(TWinControl* holder) override;
  void SetBorderStyle(TBorderStyle value) override;
  void SetColor(TColor value) override { TControl::SetColor(value); }
  void SetFont(TFont* value) override { TControl::SetFont(value); }
  void SetOnKeyPress(const TKeyPressEvent& handler) override { OnKeyPress = handler; }
  void SetOnExit(const TNotifyEvent& handler) override { OnExit = handler; }
  bool GetInplaceMode() override { return inplaceMode_; }
  TWinControl* GetInplaceEditHolder() const { return inplaceEditHolder_; }

  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  void SetParent(TWinControl* parent) override;

  // Appearance.
  // The text's room in client coordinates: the client area without the image and the buttons.
  TRect CalcEditRect();
  // The left and top distance of the text from the text rectangle.
  TPoint GetTextMargins();
  bool IsTextClipped();
  void UpdateImageIndex();
  // The image's visibility, list or width changed: the text moves and the height may follow.
  void EditImageChanged();
  virtual Integer DefaultImageIndex() { return -1; }
  TColor GetPaintBackgroundColor();
  TColor GetPaintFontColor();
  Integer GetImageWidth() const { return imageWidth_; }
  // Where the image stands (client coordinates); empty without an image.
  TRect GetEditImageRect();
  // Where the edit buttons stand; empty without a visible button.
  TRect GetEditButtonsRect();
  // The mouse cursor at a client point: the arrow over the image and the buttons, which are no text.
  TCursor GetCursorAt(TPoint clientPoint);
  // The height AutoSize keeps: the borders of the look and the text line, or a taller image.
  Integer CalcAutoHeight();
  // Lit while focused, under the mouse or AlwaysShowBorder; the buttons follow.
  void UpdateBorderActive();
  // Unfocused, a text that is not left-aligned or that wraps is drawn by the editor itself: the edit
  // window keeps its text left-aligned on one line for editing.
  bool PaintsOwnText();

  TButtonClickEventEh OnButtonClick;
  TButtonDownEventEh OnButtonDown;
  TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;
  TGetFieldDataEventEh OnGetFieldData;
  TEditControlShowDropDownFormEventEh OnOpenDropDownForm;
  TUpdateDataEventEh OnUpdateData;
  TGetImageIndexEventEh OnGetImageIndex;
  TOnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;

 protected:
  // The image, the empty-data text and the required mark are drawn over what the edit window painted.
  bool PaintsOverWidget() const override;
  void PaintOverWidget(HDC dc) override;
  void DrawRequiredState(TCanvas* canvas);
  // The flat look's frame (without themes), or the themed frame lit while the mouse is over it.
  void PaintFlatBorder(TCanvas* canvas);
  void PaintOwnText(TCanvas* canvas);
  // The edit window aligns its text only while it wraps.
  void UpdateWindowAlignment();
  bool CanAutoSize(Integer& newWidth, Integer& newHeight) override;
  // Descendants put their own kind of main button in place (a visible one, a drop-down one).
  void SetMainEditButton(TEditButtonEh* button);
  virtual TAlignment DefaultAlignment() const;
  virtual String DefaultEditMask() const;
  virtual bool IsValidChar(Char key) const;
  virtual Variant GetVariantValue();
  virtual void SetVariantValue(const Variant& value);
  virtual void DataChanged();
  virtual void InternalSetText(const String& text);
  virtual void InternalSetValue(const Variant& value);
  virtual void PostEditTextToField();
  virtual void EditingStateChanged();
  virtual void UpdateEditReadOnly();
  virtual void ResetMaxLength();
  virtual void SetFocused(bool value);
  // Buttons.
  virtual bool GetEditButtonDefaultAction(TEditButtonEh* button);
  virtual void EditButtonClick(TObject* sender);
  virtual void EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  virtual void DefaultEditButtonClick(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled);
  virtual void DefaultEditButtonDown(TEditButtonEh* button, TEditButtonControlEh* control, bool topButton,
                                     bool& autoRepeat, bool& handled);
  virtual void ButtonDropDown(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled);
  // A descendant with a popup of its own (calendar, calculator, list): the drop-down button shows it.
  virtual bool HasOwnPopup() const { return false; }
  virtual void DropDownOwnPopup() {}
  virtual bool GetOwnPopupVisible() const { return false; }
  // A descendant whose up-down buttons and wheel step its value.
  virtual bool CanStepValue() { return false; }
  virtual void StepValue(bool /*up*/) {}
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;
  // The value as the field (or the unbound link, or OnGetFieldData) gives it; read takes it from the field.
  Variant ReadFieldValue(const std::function<Variant(TField*)>& read);
  virtual void UpdateEditButtonsState();
  void UpdateButtonsBox();
  // A pick or MRU list of count lines (rows at most) dropped under the editor.
  void ShowPopupListUnder(TPopupListboxFormEh* list, Integer count, Integer rows, Integer width);
  // MRU.
  virtual void FilterMRUItem(const String& item, bool& accept);

  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void DoEnter() override;
  void DoExit() override;
  bool EditCanModify() override;
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  void CreateWnd() override;

  // Writes the window text without the change handling that parses typed text.
  void SetOwnEditText(const String& text);
  bool GetFocusedFlag() const { return focused_; }
  bool GetInternalTextSetting() const { return internalTextSetting_; }
  void DataLinkDataChange(TObject* sender);
  bool noClickCloseUp_ = false;

 private:
  void DataLinkEditingChange(TObject* sender);
  void DataLinkUpdateData(TObject* sender);
  void DataLinkActiveChange(TObject* sender);
  void ButtonChanged(TObject* sender);
  void CreateEditButtonControl(TObject* sender, TEditButtonControlEh*& control);
  void BoxDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  void BoxClick(TObject* sender);
  void BoxMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  TEditButtonEh* ButtonOfControl(TObject* control) const;
  bool HandleShortCut(Word key, TShiftState shift);
  void ShowDropDownForm(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled);
  // MRU list.
  void MRUDropDown(TObject* sender);
  void MRUCloseUp(TObject* sender, bool accept);
  void MRUListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  void UpdateMRUList();

  std::unique_ptr<TFieldDataLinkEh> dataLink_;
  std::unique_ptr<TEditButtonEh> editButton_;
  std::unique_ptr<TEditButtonsEh> editButtons_;
  TEditButtonsBoxEh* buttonsBox_ = nullptr;
  TControlLabelEh* controlLabel_ = nullptr;
  std::unique_ptr<TControlLabelLocationEh> labelLocation_;
  std::unique_ptr<TMRUListEh> mruList_;
  TMRUListboxEh* mruListControl_ = nullptr;
  std::unique_ptr<TDynVarsEh> dynProps_;
  std::unique_ptr<TControlEmptyDataInfoEh> emptyDataInfo_;
  std::unique_ptr<TEditImageEh> editImage_;
  Integer imageWidth_ = 0;
  bool highlightRequired_ = false;
  bool wordWrap_ = false;
  bool borderActive_ = false;
  bool mouseAboveControl_ = false;
  bool tooltips_ = false;
  bool ownShowHint_ = false;
  TDBEditEhValues assignedValues_;
  TAlignment alignment_ = taLeftJustify;
  bool alwaysShowBorder_ = false;
  bool flat_ = false;
  bool readOnly_ = false;
  bool wantReturns_ = false;
  bool wantTabs_ = false;
  bool focused_ = false;
  bool dataPosting_ = false;
  bool internalTextSetting_ = false;
  bool droppedDown_ = false;
  TEditButtonEh* droppedDownButton_ = nullptr;
  TEditButtonControlEh* droppedDownButtonControl_ = nullptr;
  bool inplaceMode_ = false;
  TWinControl* inplaceEditHolder_ = nullptr;
  IInplaceEditHolderEh* intfInplaceEditHolder_ = nullptr;
  bool destroying_ = false;
  bool userTextChanged_ = false;
};

class TDBEditEh : public TCustomDBEditEh {
  KIV_CLASS(TDBEditEh, TCustomDBEditEh)
 public:
  explicit TDBEditEh(TComponent* owner) : TCustomDBEditEh(owner) {}
};

// The themed frame of an editor under the mouse: lighter than the selection colour.
TColor HoverFrameColorEh();

// ---- Date-time edit format ----

// Where an element of a date-time edit format stands in the edited text (1-based; -1 when absent).
struct TElementMaskPosEh {
  Integer Pos = -1;
  Integer Length = -1;
  bool Present = false;
};
struct TDateTimeElementsMaskPosEh {
  TElementMaskPosEh Year, Month, Day, Hour, Min, Sec;
};
// Year, month, day, hour, minute, second; -1 for an element not given.
using TDateTimeElementsEh = std::array<Integer, 6>;

// The mask for the masked edit and the elements' places; raises on a bad format.
void EditFormatToEditMaskEh(const String& editFormat, TDateTimeElementsMaskPosEh& maskPos, String& editMask);
String EditFormatToDateTimeFormatEh(const String& editFormat);
// The edit text's length with each element's letter at its places, "/" and ":" kept, spaces elsewhere.
String EditFormatToElementTemplateEh(const String& editFormat);
bool TextToDateTimeElementsEh(const String& text, const TDateTimeElementsMaskPosEh& maskPos,
                              TDateTimeElementsEh& elements);
// Merges the elements into value (parts the format lacks keep value's); Complete fills missing date parts
// from today and clamps. False, with value Null, for an impossible combination.
bool DateTimeElementsToVariantEh(TDateTimeElementsEh elements, const TDateTimeElementsMaskPosEh& maskPos,
                                 Variant& value, bool complete);
void VariantToDateTimeElementsEh(const Variant& value, TDateTimeElementsEh& elements);
void StepDateTimeElementTextEh(const String& text, const String& elementTemplate, bool increase,
                               String& resultText, Integer& len, Integer& pos);
void GetDateElementSpanAtEh(Integer& pos, Integer& len, bool fourDigitYear);
Integer ExpandTwoDigitYearEh(Integer year);
Integer DaysInMonthEh(Integer year, Integer month);
void CompleteDateElementsEh(Integer& year, Integer& month, Integer& day);
void ClampTimeElementsEh(Integer& hour, Integer& min, Integer& sec);
bool TryEncodeDateTimeElementsEh(const TDateTimeElementsEh& elements, TDateTime& dateTime);
Integer ElementTextToIntEh(const String& text);
String DefaultDateEditFormatEh(bool fourDigitYear);
String DefaultTimeEditFormatEh();

// ---- Date-time edit ----

enum TDateTimeKindEh { dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh };

// Dates and times typed through a mask made from an edit format; the value is Null or a date-time. The
// arrow keys, the wheel and up-down buttons step the element at the caret; the drop-down button opens
// the calendar that the library manager names.
class TCustomDBDateTimeEditEh : public TCustomDBEditEh {
  KIV_CLASS(TCustomDBDateTimeEditEh, TCustomDBEditEh)
 public:
  explicit TCustomDBDateTimeEditEh(TComponent* owner);
  ~TCustomDBDateTimeEditEh() override;

  TDateTimeKindEh GetKind() const { return kind_; }
  void SetKind(TDateTimeKindEh value);
  const String& GetEditFormat() const { return editFormat_; }
  // Switches Kind to custom; a bad format raises.
  void SetEditFormat(const String& value);
  const String& GetDateTimeFormat() const { return dateTimeFormat_; }
  bool GetCalendarVisible() const { return calendarVisible_; }
  bool IsEmpty() override;

  virtual void DropDown();
  void CloseUp(bool accept) override;
  virtual void StepDateTimeElement(bool increase);

  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;

 protected:
  virtual bool TextToDateTimeValue(const String& text, Variant& value, bool complete);
  virtual void InternalSetDisplayText(const String& text);
  virtual void UpdateFourDigitYear();
  virtual void UpdateMask();
  Variant GetVariantValue() override { return value_; }
  void DataChanged() override;
  void InternalSetText(const String& text) override;
  void InternalSetValue(const Variant& value) override;
  void PostEditTextToField() override;
  void ValidateEdit() override;
  bool HasOwnPopup() const override { return true; }
  void DropDownOwnPopup() override { DropDown(); }
  bool GetOwnPopupVisible() const override { return calendarVisible_; }
  bool CanStepValue() override { return IsMasked(); }
  void StepValue(bool up) override { StepDateTimeElement(up); }
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void DoEnter() override;

 private:
  void UpdateValueFromText();
  String FormatValue(const Variant& value) const;

  bool calendarVisible_ = false;
  bool closingCalendar_ = false;
  String dateTimeFormat_;
  TWinControl* dropDownCalendar_ = nullptr;
  TClass calendarClass_ = nullptr;
  String editFormat_;
  bool editValidating_ = false;
  bool ownTextSetting_ = false;
  TDateTimeKindEh kind_ = dtkDateEh;
  TDateTimeElementsMaskPosEh maskPos_;
  bool fourDigitYear_ = true;
  Variant value_ = Variant::Null();
};

class TDBDateTimeEditEh : public TCustomDBDateTimeEditEh {
  KIV_CLASS(TDBDateTimeEditEh, TCustomDBDateTimeEditEh)
 public:
  explicit TDBDateTimeEditEh(TComponent* owner) : TCustomDBDateTimeEditEh(owner) {}
};

// ---- Number edit ----

enum TDBNumberValue { evDisplayFormatEh, evCurrencyEh, evMaxValueEh, evMinValueEh };
using TDBNumberValues = TSet<TDBNumberValue>;

// Numbers: typed characters keep the text a number within the digits allowed; focused it shows the
// edit format (thousand separators put back as the user types), unfocused the display format. A value
// outside MinValue .. MaxValue is refused when it is written, with the text kept; Up, Down, the wheel
// and up-down buttons step by Increment within the bounds; the drop-down button opens the calculator.
class TCustomDBNumberEditEh : public TCustomDBEditEh {
  KIV_CLASS(TCustomDBNumberEditEh, TCustomDBEditEh)
 public:
  explicit TCustomDBNumberEditEh(TComponent* owner);
  ~TCustomDBNumberEditEh() override;

  bool GetCurrency() const;
  void SetCurrency(bool value);
  Integer GetDecimalPlaces() const { return decimalPlaces_; }
  void SetDecimalPlaces(Integer value);
  String GetDisplayFormat() const;
  void SetDisplayFormat(const String& value);
  const String& GetEditFormat() const { return editFormat_; }
  Extended GetIncrement() const { return increment_; }
  void SetIncrement(Extended value) { increment_ = value; }
  Extended GetMaxValue() const;
  void SetMaxValue(Extended value);
  Extended GetMinValue() const;
  void SetMinValue(Extended value);
  bool GetCalculatorVisible() const { return calculatorVisible_; }
  String GetDisplayText() const;

  void IncrementValue(bool increase);
  virtual void DropDown();
  void CloseUp(bool accept) override;
  // Bounds as MinValue and MaxValue set them (equal: none; one of them 0 above the other: one-sided).
  bool ValueInBounds(Extended value) const;
  Extended ClampAndRoundValue(Extended value) const;
  Extended RoundValue(Extended value) const;

  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;

 protected:
  TAlignment DefaultAlignment() const override;
  Variant GetVariantValue() override { return value_; }
  bool IsValidChar(Char key) const override;
  void DataChanged() override;
  void InternalSetText(const String& text) override;
  void InternalSetValue(const Variant& value) override;
  void PostEditTextToField() override;
  bool HasOwnPopup() const override { return true; }
  void DropDownOwnPopup() override { DropDown(); }
  bool GetOwnPopupVisible() const override { return calculatorVisible_; }
  bool CanStepValue() override { return true; }
  void StepValue(bool up) override { IncrementValue(up); }
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;

 private:
  void FormatEditText(const String& text);
  void UpdateValueFromText();
  String FormatDisplayValue(Extended value) const;

  TDBNumberValues assignedValues_;
  bool calculatorVisible_ = false;
  bool closingCalculator_ = false;
  bool currency_ = false;
  Integer decimalPlaces_ = 2;
  String displayFormat_;
  TWinControl* dropDownCalculator_ = nullptr;
  String editFormat_;
  Extended increment_ = 1;
  bool ownTextSetting_ = false;
  Extended minValue_ = 0;
  Extended maxValue_ = 0;
  Variant value_ = Variant::Null();
};

class TDBNumberEditEh : public TCustomDBNumberEditEh {
  KIV_CLASS(TDBNumberEditEh, TCustomDBNumberEditEh)
 public:
  explicit TDBNumberEditEh(TComponent* owner) : TCustomDBNumberEditEh(owner) {}
};

// The number routines of the number edit, under the locale's settings.
// Keeps the characters of a number: separators (the alternative one when it is the only one), the
// first sign before any digit, the first exponent letter and the digits; drops thousand separators.
String NormalizeNumberTextEh(const String& text);
// False for text that is no finite number; "+" and "-" alone read as 0.
bool TextToNumberEh(const String& text, Extended& value);
String InsertThousandSeparatorsEh(const String& text, bool withSeparators);
// The digit placeholders, thousand marker and decimal point of a display format's first section.
String EditFormatFromDisplayFormatEh(const String& displayFormat);

// ---- Combo box ----

using TNotInListEventEh = TDelegate<void(TObject* sender, const String& newText, bool& recheckInList)>;
using TAcceptEventEh = TDelegate<void(TObject* sender, bool& accept)>;
using TListGetImageIndexEventEh = TDelegate<void(TObject* sender, Integer itemIndex, Integer& imageIndex)>;

// How the combo box's list drops down: its side against the box, the rows it shows, its width (-1: the
// widest item's, 0 or less: the box's, else pixels), whether typing opens it.
class TDropDownBoxEh : public TPersistent {
  KIV_CLASS(TDropDownBoxEh, TPersistent)
 public:
  TDropDownBoxEh() = default;
  // AutoDrop stays as it is.
  void Assign(TPersistent* source) override;

  TDropDownAlign GetAlign() const { return align_; }
  void SetAlign(TDropDownAlign value) { align_ = value; }
  bool GetAutoDrop() const { return autoDrop_; }
  void SetAutoDrop(bool value) { autoDrop_ = value; }
  Integer GetRows() const { return rows_; }
  void SetRows(Integer value) { rows_ = value; }
  bool GetSizable() const { return sizable_; }
  void SetSizable(bool value) { sizable_ = value; }
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer value) { width_ = value; }

 private:
  TDropDownAlign align_ = daLeft;
  bool autoDrop_ = false;
  Integer rows_ = 7;
  bool sizable_ = false;
  Integer width_ = 0;
};

// A text editor with a list of texts; with KeyItems, each item text stands for the key at the same
// place, the field holds the key and the user sees the text.
class TCustomDBComboBoxEh : public TCustomDBEditEh {
  KIV_CLASS(TCustomDBComboBoxEh, TCustomDBEditEh)
 public:
  explicit TCustomDBComboBoxEh(TComponent* owner);
  ~TCustomDBComboBoxEh() override;

  TStrings* GetItems() const { return items_.get(); }
  TStrings* GetKeyItems() const { return keyItems_.get(); }
  Integer GetItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer value) { InternalSetItemIndex(value); }
  bool GetKeyBased() const { return keyBased_; }
  bool GetLimitTextToListValues() const;
  void SetLimitTextToListValues(bool value);
  bool GetCaseInsensitiveTextSearch() const { return caseInsensitive_; }
  void SetCaseInsensitiveTextSearch(bool value);
  bool GetListVisible() const;
  TPopupListboxFormEh* GetPopupListbox() const { return popupList_; }
  Integer GetDropDownRows() const { return dropDownBox_->GetRows(); }
  void SetDropDownRows(Integer value) { dropDownBox_->SetRows(value); }
  TDropDownBoxEh* GetDropDownBox() const { return dropDownBox_.get(); }
  void SetDropDownBox(TDropDownBoxEh* value) { dropDownBox_->Assign(value); }

  void DropDown();
  void CloseUp(bool accept) override;
  void SelectNextValue(bool isPrior);
  bool LocateText(const String& text, bool partial);

  TCloseUpEventEh OnCloseUp;
  // Before the list's choice is taken; may refuse it.
  TAcceptEventEh OnClosingUp;
  TNotifyEvent OnDropDown;
  // Asked to fill Items while they are empty, before the list or a search needs them.
  TNotifyEvent OnGetItemsList;
  TListGetImageIndexEventEh OnGetItemImageIndex;
  TNotInListEventEh OnNotInList;

 protected:
  Variant GetVariantValue() override;
  // Item texts read from the left, whatever kind of field holds the keys.
  TAlignment DefaultAlignment() const override {
    return keyBased_ ? taLeftJustify : TCustomDBEditEh::DefaultAlignment();
  }
  // With key items the user types item texts, not the field's own kind of value.
  bool IsValidChar(Char key) const override { return keyBased_ || TCustomDBEditEh::IsValidChar(key); }
  void InternalSetItemIndex(Integer index);
  void UpdateItemIndex();
  virtual void GetItemsList();
  // One completion step of typed text: the text before the selection and the text typed complete to
  // the first item they begin; a backspace widens the selection by a character to the left.
  virtual void CompleteTypedText(const String& text);
  // The edit image shows the chosen item's picture, which OnGetItemImageIndex may change.
  Integer DefaultImageIndex() override;
  void DataChanged() override;
  void InternalSetText(const String& text) override;
  void InternalSetValue(const Variant& value) override;
  void PostEditTextToField() override;
  void ResetMaxLength() override;
  void UpdateEditReadOnly() override;
  bool HasOwnPopup() const override { return true; }
  void DropDownOwnPopup() override { DropDown(); }
  bool GetOwnPopupVisible() const override { return GetListVisible(); }
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;
  void Notification(TComponent* component, TOperation operation) override;
  // Limited to the list, a paste goes through the items and a click on the text opens the list.
  void Dispatch(TMessage& message) override;

 private:
  void ItemsChanged(TObject* sender);
  void ListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  Integer ItemsCount() const;

  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TStringList> keyItems_;
  std::unique_ptr<TDropDownBoxEh> dropDownBox_;
  bool completePending_ = false;
  Integer itemIndex_ = -1;
  bool keyBased_ = false;
  bool caseInsensitive_ = true;
  bool limitTextToListValues_ = false;
  bool limitTextToListValuesStored_ = false;
  Variant varValue_ = Variant::Null();
  TPopupListboxFormEh* popupList_ = nullptr;
};

class TDBComboBoxEh : public TCustomDBComboBoxEh {
  KIV_CLASS(TDBComboBoxEh, TCustomDBComboBoxEh)
 public:
  explicit TDBComboBoxEh(TComponent* owner) : TCustomDBComboBoxEh(owner) {}
};

// ---- Check box ----

// A check box bound to a field: a boolean field by its value, any other field by comparing its text with
// ValueChecked and ValueUnchecked (";"-separated texts); what it shows is what it posts.
class TCustomDBCheckBoxEh : public TCustomCheckBox {
  KIV_CLASS(TCustomDBCheckBoxEh, TCustomCheckBox)
 public:
  explicit TCustomDBCheckBoxEh(TComponent* owner);
  ~TCustomDBCheckBoxEh() override;

  String GetDataField() const { return dataLink_->GetFieldName(); }
  void SetDataField(const String& value) { dataLink_->SetFieldName(value); }
  TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
  void SetDataSource(TDataSource* value);
  TFieldDataLinkEh* GetDataLink() const { return dataLink_.get(); }
  TField* GetField() const { return dataLink_->GetField(); }
  bool GetReadOnly() const { return dataLink_->GetReadOnly(); }
  void SetReadOnly(bool value) { dataLink_->SetReadOnly(value); }
  const String& GetValueChecked() const { return valueChecked_; }
  void SetValueChecked(const String& value);
  const String& GetValueUnchecked() const { return valueUnchecked_; }
  void SetValueUnchecked(const String& value);
  bool GetModified() const { return modified_; }
  TCheckBoxState GetState() const { return TCustomCheckBox::GetState(); }
  // Bound: the dataset goes into edit state and the state is written at once.
  void SetState(TCheckBoxState value);
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value);
  bool GetAlwaysShowBorder() const { return alwaysShowBorder_; }
  void SetAlwaysShowBorder(bool value);
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);

  void UpdateData();
  TCheckBoxState GetStateFromData() const;
  static bool ValueListContains(const String& list, const String& text);

  TUpdateDataEventEh OnUpdateData;

 protected:
  void Toggle() override;
  virtual void InternalSetState(TCheckBoxState value);
  virtual void PostStateToField();
  void KeyPress(Char& key) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  // The box paints itself, so that it can look flat, hot and pressed.
  bool PaintsItself() const override { return true; }
  void PaintWindow(HDC dc) override;
  virtual void PaintContent(TCanvas* canvas, TCheckBoxState state, bool focused, bool hot, bool pressed);
  virtual void PaintCaption(TCanvas* canvas, const TRect& rect, bool focused, bool hot, bool pressed);
  virtual void PaintCheckBoxImage(TCanvas* canvas, const TRect& rect, TCheckBoxState state, bool focused,
                                  bool hot, bool pressed);

 private:
  void DataChange(TObject* sender);
  void UpdateDataEvent(TObject* sender);

  std::unique_ptr<TFieldDataLinkEh> dataLink_;
  String valueChecked_ = u"True";
  String valueUnchecked_ = u"False";
  bool modified_ = false;
  bool dataPosting_ = false;
  bool internalSetting_ = false;
  bool flat_ = false;
  bool alwaysShowBorder_ = false;
  bool wordWrap_ = false;
  bool mouseAbove_ = false;
  bool mousePressed_ = false;
  bool spacePressed_ = false;
};

class TDBCheckBoxEh : public TCustomDBCheckBoxEh {
  KIV_CLASS(TDBCheckBoxEh, TCustomDBCheckBoxEh)
 public:
  explicit TDBCheckBoxEh(TComponent* owner) : TCustomDBCheckBoxEh(owner) {}
};

// A pick or MRU list of count lines (rows at most, one at least) shown under the control without taking
// the focus, its item height following the font; the editors and the axis grid's cell editor drop their
// lists so.
void ShowPopupListUnderControlEh(TControl* control, TFont* font, TPopupListboxFormEh* list, Integer count,
                                 Integer rows, Integer width);
