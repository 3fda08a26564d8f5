// The data-aware editors of the grid library: the field data link, the edit-buttons box and the caption
// label every editor carries, the edit box with its value, text, posting, buttons, drop-downs and MRU
// list, and its date-time, combo, number and check-box descendants.
#pragma once

#include <limits>
#include <memory>
#include <vector>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
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
