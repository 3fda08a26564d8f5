// The data-aware image control: shows the picture of a blob field (or one of its own when unbound),
// zooms it with the wheel, pans it by dragging, and replaces it from a file, the clipboard, the picture
// editor or a drop-down form of its edit button.
#pragma once

#include <functional>
#include <memory>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Menus.h"

class TCustomDBImageEh;

enum TSelectionDrawStyleEh { sdsDefaultEh, sdsClassicEh, sdsFramedEh, sdsThemedEh };

// The grey text shown while the control has no picture, centred; font and colour follow the control's
// until set.
class TDBImageEmptyDataInfoEh : public TCustomControlEmptyDataInfoEh {
  KIV_CLASS(TDBImageEmptyDataInfoEh, TCustomControlEmptyDataInfoEh)
 public:
  explicit TDBImageEmptyDataInfoEh(TCustomDBImageEh* image);
  void Assign(TPersistent* source) override;

  TAlignment DefaultAlignment() override { return taCenter; }
  TFont* DefaultFont() override;
  TColor DefaultColor() override;
  bool IsControlEmpty() override;
  // The text's rectangle, centred in the control's client area.
  TRect GetDataInfoTextRect(TCanvas* canvas);
  void PaintEmptyDataInfo(TCanvas* canvas) override;

 private:
  TCustomDBImageEh* image_;
};

class TCustomDBImageEh : public TCustomControlEh, public IControlLabelOwnerEh {
  KIV_CLASS(TCustomDBImageEh, TCustomControlEh)
 public:
  explicit TCustomDBImageEh(TComponent* owner);
  ~TCustomDBImageEh() override;
  // The picture is stored only while the control is unbound.
  static void Published(TPropBuilder<TCustomDBImageEh>& p);

  bool GetAutoDisplay() const { return autoDisplay_; }
  void SetAutoDisplay(bool value);
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  TControlLabelEh* GetControlLabel() const { return controlLabel_; }
  TControlLabelLocationEh* GetControlLabelLocation() const { return labelLocation_.get(); }
  void SetControlLabelLocation(TControlLabelLocationEh* value);
  String GetDataField() const { return dataLink_->GetFieldName(); }
  void SetDataField(const String& value);
  TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
  void SetDataSource(TDataSource* value);
  TFieldDataLinkEh* GetDataLink() const { return dataLink_.get(); }
  TDynVarsEh* GetDynProps() const { return dynProps_.get(); }
  void SetDynProps(TDynVarsEh* value) { dynProps_->Assign(value); }
  TEditButtonEh* GetEditButton() const { return editButton_.get(); }
  void SetEditButton(TEditButtonEh* value) { editButton_->Assign(value); }
  TEditButtonControlEh* GetEditButtonControl() const { return editButtonControl_; }
  TDBImageEmptyDataInfoEh* GetEmptyDataInfo() const { return emptyDataInfo_.get(); }
  void SetEmptyDataInfo(TDBImageEmptyDataInfoEh* value) { emptyDataInfo_->Assign(value); }
  TField* GetField() const { return dataLink_->GetField(); }
  TPictureEh* GetPicture() const { return picture_.get(); }
  void SetPicture(TPicture* value) { picture_->Assign(value); }
  bool GetPictureLoaded() const { return pictureLoaded_; }
  bool IsPictureStored() const;
  TImagePlacementEh GetPicturePlacement() const { return picturePlacement_; }
  void SetPicturePlacement(TImagePlacementEh value);
  bool GetReadOnly() const { return dataLink_->GetReadOnly(); }
  void SetReadOnly(bool value) { dataLink_->SetReadOnly(value); }
  TSelectionDrawStyleEh GetSelectionDrawStyle() const { return selectionDrawStyle_; }
  void SetSelectionDrawStyle(TSelectionDrawStyleEh value);
  Integer GetZoom() const { return zoom_; }
  // Negative values become 0.
  void SetZoom(Integer value);
  bool GetZoomAllowed() const { return zoomAllowed_; }
  void SetZoomAllowed(bool value) { zoomAllowed_ = value; }
  bool GetZoomIsTemporary() const { return zoomIsTemporary_; }
  TPoint GetImagePos() const { return imagePos_; }
  bool GetDroppedDown() const { return droppedDown_; }

  virtual bool IsDataActive() const;
  virtual bool IsEmpty();
  // Painting a copy of the control for another record (a control grid sets csPaintCopy).
  bool PaintingCopy() const;
  virtual TSelectionDrawStyleEh ActualSelectionDrawStyle() const;
  // The rectangle grown from its top-left corner to ZoomPercent of its width and height.
  virtual TRect ScaleRect(const TRect& rect, Integer zoomPercent) const;
  virtual TPopupMenu* GetSystemPopupMenu();
  virtual void FormPopupMenu(TPopupMenu* menu);
  virtual void CloseUp(bool accept);
  virtual void CopyToClipboard();
  virtual void CutToClipboard();
  virtual void PasteFromClipboard();
  virtual void LoadPicture();
  virtual void TemporaryMoveImageTo(TPoint imagePos);
  virtual void TemporaryZoomTo(Integer zoomPercent);
  void MenuItemCopy(TObject* sender);
  void MenuItemCut(TObject* sender);
  void MenuItemDefaultZoom(TObject* sender);
  void MenuItemDelete(TObject* sender);
  void MenuItemLoad(TObject* sender);
  void MenuItemPaste(TObject* sender);
  void MenuItemSave(TObject* sender);

  bool CanModify() const;
  void ResetPos();
  void ResetZoom() { SetZoom(100); }
  // Writes the picture into the field now (nothing unbound).
  void PostPicture();

  // Label owner.
  String GetControlLabelCaption() override;
  Integer GetControlTextBaseLine() override;
  void UpdateControlLabelBounds() override;
  void ControlLabelLocationChanged() override;

  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  void SetParent(TWinControl* parent) override;

  TButtonClickEventEh OnButtonClick;
  TButtonDownEventEh OnButtonDown;
  TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;
  TEditControlShowDropDownFormEventEh OnOpenDropDownForm;

 protected:
  virtual TEditButtonEh* CreateEditButton();
  virtual TEditButtonControlEh* CreateEditButtonControl();
  virtual void SetEditButtonDown(bool value);
  virtual void EditButtonClick(TObject* sender);
  virtual void EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  virtual void EditButtonMouseMove(TObject* sender, TShiftState shift, Integer x, Integer y);
  virtual void EditButtonMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x,
                                 Integer y);

  void Paint() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Resize() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;
  TPopupMenu* GetPopupMenuForContext() const override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void DblClick() override;
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  void DataChange(TObject* sender);
  void UpdateData(TObject* sender);
  void PictureChanged(TObject* sender);
  void EditButtonChanged(TObject* sender);
  void LayoutEditButton();
  void CloseDropDownForm(TControl* editControl, TEditButtonEh* button, bool accept, TCustomForm* form,
                         TDynVarsEh* dynParams);
  // The edit runs only when the bound dataset can go into edit state (always unbound).
  bool StartEdit();
  void ClearGraphic();

  bool autoDisplay_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  TControlLabelEh* controlLabel_ = nullptr;
  std::unique_ptr<TControlLabelLocationEh> labelLocation_;
  std::unique_ptr<TFieldDataLinkEh> dataLink_;
  std::unique_ptr<TDynVarsEh> dynProps_;
  std::unique_ptr<TEditButtonEh> editButton_;
  std::unique_ptr<TDBImageEmptyDataInfoEh> emptyDataInfo_;
  std::unique_ptr<TPictureEh> picture_;
  bool pictureLoaded_ = false;
  TImagePlacementEh picturePlacement_ = ipReduceFitEh;
  TSelectionDrawStyleEh selectionDrawStyle_ = sdsDefaultEh;
  TPopupMenu* systemPopupMenu_ = nullptr;
  Integer zoom_ = 100;
  bool zoomAllowed_ = true;
  bool droppedDown_ = false;
  TEditButtonControlEh* editButtonControl_ = nullptr;
  TPoint imageMouseDownPos_;
  TPoint imagePos_;
  TPoint mouseDownPos_;
  bool panning_ = false;
  bool noClickCloseUp_ = false;
  bool zoomIsTemporary_ = false;
  bool destroying_ = false;
};

class TDBImageEh : public TCustomDBImageEh {
  KIV_CLASS(TDBImageEh, TCustomDBImageEh)
 public:
  explicit TDBImageEh(TComponent* owner) : TCustomDBImageEh(owner) {}
};

// Replaceable routines of the unit: the context-menu builder and the edit button's default action.
using TDBImageEhFormPopupMenuProc = std::function<void(TCustomDBImageEh* image, TPopupMenu* menu)>;
using TDBImageEhEditButtonDefaultActionProc =
    std::function<void(TCustomDBImageEh* image, TEditButtonEh* button, TEditButtonControlEh* control,
                       bool& handled, bool isDown)>;
extern TDBImageEhFormPopupMenuProc DBImageEhFormPopupMenuProc;
extern TDBImageEhEditButtonDefaultActionProc DBImageEhEditButtonDefaultActionProc;
void DefaultDBImageEhFormPopupMenu(TCustomDBImageEh* image, TPopupMenu* menu);
void DefaultDBImageEhEditButtonDefaultAction(TCustomDBImageEh* image, TEditButtonEh* button,
                                             TEditButtonControlEh* control, bool& handled, bool isDown);

// The picture editor that the ellipsis button opens: true when the user accepted, the picture then
// holding the edited graphic. Installed by the picture editor's unit; empty until then.
using TDBImagePictureEditRoutineEh = std::function<bool(TPicture* picture)>;
extern TDBImagePictureEditRoutineEh DBImagePictureEditRoutineEh;

// Writes the graphic into a blob field as its file bytes (with the graphic header for a bitmap in a
// field that keeps one); no graphic or an empty one clears the field.
void AssignGraphicToFieldEh(TField* field, TGraphic* graphic);

// Registers the graphic provider that tells JPEG, PNG, GIF, icons and metafiles in blobs; idempotent.
void InitializeDBImageEh();
