// The data-aware image control: loading the field's picture and writing it back, painting with zoom and
// panning, the context menu, the clipboard, files and the edit button with its drop-down and editor.
#include "gridlib/editors/DBImageEh.h"

#include "gridlib/base/GridLibLangConsts.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Images.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

TDBImageEhFormPopupMenuProc DBImageEhFormPopupMenuProc = DefaultDBImageEhFormPopupMenu;
TDBImageEhEditButtonDefaultActionProc DBImageEhEditButtonDefaultActionProc =
    DefaultDBImageEhEditButtonDefaultAction;
TDBImagePictureEditRoutineEh DBImagePictureEditRoutineEh;

// Tells every picture format the platform reads, so that a JPEG or PNG blob does not come out empty.
class TRasterGraphicProviderEh : public TGraphicProviderEh {
  KIV_CLASS(TRasterGraphicProviderEh, TGraphicProviderEh)
 public:
  TClass GetImageClassForStream(const Byte* start, size_t size) const override {
    return start ? GraphicClassOfData(start, size) : nullptr;
  }
};

namespace {

bool HasGraphic(const TPicture* picture) {
  return picture->GetGraphic() && !picture->GetGraphic()->GetEmpty();
}

}  // namespace

void InitializeDBImageEh() { RegisterGraphicProviderEh(TRasterGraphicProviderEh::StaticClass()); }

void AssignGraphicToFieldEh(TField* field, TGraphic* graphic) {
  if (!field) return;
  if (!graphic || graphic->GetEmpty()) {
    field->Clear();
    return;
  }
  TMemoryStream data;
  graphic->SaveToStream(&data);
  TMemoryStream out;
  auto* blob = dynamic_cast<TBlobField*>(field);
  if (blob && blob->GetGraphicHeader() && dynamic_cast<TBitmap*>(graphic))
    WriteGraphicHeader(&out, static_cast<Integer>(data.GetSize()));
  data.SetPosition(0);
  out.CopyFrom(&data, data.GetSize());
  const auto* bytes = static_cast<const Byte*>(out.Memory());
  field->SetAsBytes(TBytes(bytes, bytes + out.GetSize()));
}

// ---- Empty-data text ----

TDBImageEmptyDataInfoEh::TDBImageEmptyDataInfoEh(TCustomDBImageEh* image)
    : TCustomControlEmptyDataInfoEh(image), image_(image) {
  InitFont();
}

void TDBImageEmptyDataInfoEh::Assign(TPersistent* source) {
  auto* info = dynamic_cast<TCustomControlEmptyDataInfoEh*>(source);
  if (!info) {
    TCustomControlEmptyDataInfoEh::Assign(source);
    return;
  }
  SetText(info->GetText());
  if (info->GetAlignmentIsStored()) SetAlignment(info->GetAlignment());
  SetColor(info->GetColor());
  if (!info->GetParentFont()) SetFont(info->GetFont());
}

TFont* TDBImageEmptyDataInfoEh::DefaultFont() { return image_->GetFont(); }

TColor TDBImageEmptyDataInfoEh::DefaultColor() { return image_->GetColor(); }

bool TDBImageEmptyDataInfoEh::IsControlEmpty() { return image_->IsEmpty(); }

TRect TDBImageEmptyDataInfoEh::GetDataInfoTextRect(TCanvas* canvas) {
  canvas->GetFont()->Assign(GetFont());
  const TSize extent = canvas->TextExtent(GetText());
  const TRect client = image_->GetClientRect();
  const Integer left = (client.Width() - extent.cx) / 2;
  const Integer top = (client.Height() - extent.cy - 2) / 2;
  return TRect(left, top, left + extent.cx, top + extent.cy + 2);
}

void TDBImageEmptyDataInfoEh::PaintEmptyDataInfo(TCanvas* canvas) {
  TRect rect = GetDataInfoTextRect(canvas);
  InflateRect(&rect, 5, 5);
  canvas->GetBrush()->SetColor(ActualColor());
  canvas->GetBrush()->SetStyle(bsSolid);
  DrawCellTextEh(canvas, rect, true, 0, 0, GetText(), taCenter, tlCenter, false, false, 0, 0, false, true);
  InflateRect(&rect, 1, 1);
  canvas->GetBrush()->SetColor(
      MixColorsEh(ColorToRGB(GetFont()->GetColor()), ColorToRGB(image_->GetColor()), 192));
  canvas->FrameRect(rect);
}

// ---- Construction ----

void TCustomDBImageEh::Published(TPropBuilder<TCustomDBImageEh>& p) {
  p.Bool(u"AutoDisplay", &TCustomDBImageEh::GetAutoDisplay, &TCustomDBImageEh::SetAutoDisplay).Default(true);
  p.Object(u"DataSource", &TCustomDBImageEh::GetDataSource, &TCustomDBImageEh::SetDataSource);
  p.Str(u"DataField", &TCustomDBImageEh::GetDataField, &TCustomDBImageEh::SetDataField);
  p.Object(u"Picture", &TCustomDBImageEh::GetPicture, &TCustomDBImageEh::SetPicture)
      .Stored(&TCustomDBImageEh::IsPictureStored);
  p.Bool(u"ReadOnly", &TCustomDBImageEh::GetReadOnly, &TCustomDBImageEh::SetReadOnly).Default(false);
  p.Int(u"Zoom", &TCustomDBImageEh::GetZoom, &TCustomDBImageEh::SetZoom).Default(100);
}

TCustomDBImageEh::TCustomDBImageEh(TComponent* owner)
    : TCustomControlEh(owner),
      dataLink_(std::make_unique<TFieldDataLinkEh>()),
      picture_(std::make_unique<TPictureEh>()) {
  controlStyle_ << csCaptureMouse << csOpaque << csReplicatable;
  SetBounds(GetLeft(), GetTop(), 100, 100);
  SetTabStop(true);
  SetParentColor(false);
  picture_->OnChange = TNotifyEvent(this, &TCustomDBImageEh::PictureChanged);
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TCustomDBImageEh::DataChange);
  dataLink_->OnUpdateData = TNotifyEvent(this, &TCustomDBImageEh::UpdateData);
  dynProps_ = std::make_unique<TDynVarsEh>(this);
  SetDoubleBuffered(true);
  editButton_.reset(CreateEditButton());
  editButton_->OnChanged = TNotifyEvent(this, &TCustomDBImageEh::EditButtonChanged);
  editButtonControl_ = CreateEditButtonControl();
  editButtonControl_->FreeNotification(this);
  editButtonControl_->OnDown = TButtonDownEventEh(this, &TCustomDBImageEh::EditButtonDown);
  editButtonControl_->OnClick = TNotifyEvent(this, &TCustomDBImageEh::EditButtonClick);
  editButtonControl_->OnMouseMove = TMouseMoveEvent(this, &TCustomDBImageEh::EditButtonMouseMove);
  editButtonControl_->OnMouseUp = TMouseEvent(this, &TCustomDBImageEh::EditButtonMouseUp);
  editButtonControl_->SetParent(this);
  controlLabel_ = new TControlLabelEh(this);
  controlLabel_->FreeNotification(this);
  controlLabel_->SetFocusControl(this);
  labelLocation_ = std::make_unique<TControlLabelLocationEh>(this);
  emptyDataInfo_ = std::make_unique<TDBImageEmptyDataInfoEh>(this);
  LayoutEditButton();
}

TCustomDBImageEh::~TCustomDBImageEh() {
  destroying_ = true;
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->OnUpdateData = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
  picture_->OnChange = TNotifyEvent();
  if (editButton_) editButton_->OnChanged = TNotifyEvent();
}

TEditButtonEh* TCustomDBImageEh::CreateEditButton() { return new TEditButtonEh(this, 0); }

TEditButtonControlEh* TCustomDBImageEh::CreateEditButtonControl() {
  auto* control = new TEditButtonControlEh(this);
  control->SetControlStyle(control->GetControlStyle() << csReplicatable);
  control->SetBounds(0, 0, 10, 17);
  control->SetVisible(true);
  control->SetTransparent(false);
  return control;
}

void TCustomDBImageEh::Notification(TComponent* component, TOperation operation) {
  TCustomControlEh::Notification(component, operation);
  if (operation != opRemove) return;
  if (dataLink_ && component == dataLink_->GetDataSource()) SetDataSource(nullptr);
  if (component == controlLabel_) controlLabel_ = nullptr;
  if (component == editButtonControl_) editButtonControl_ = nullptr;
  if (component == systemPopupMenu_) systemPopupMenu_ = nullptr;
}

void TCustomDBImageEh::CreateParams(TCreateParams& params) {
  TCustomControlEh::CreateParams(params);
  if (borderStyle_ == bsSingle) {
    if (GetCtl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  params.WindowClassStyle &= ~static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomDBImageEh::CreateWnd() {
  TCustomControlEh::CreateWnd();
  LayoutEditButton();
}

void TCustomDBImageEh::Resize() {
  TCustomControlEh::Resize();
  LayoutEditButton();
}

// ---- Properties ----

void TCustomDBImageEh::SetAutoDisplay(bool value) {
  if (value == autoDisplay_) return;
  autoDisplay_ = value;
  if (value) LoadPicture();
}

void TCustomDBImageEh::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomDBImageEh::SetControlLabelLocation(TControlLabelLocationEh* value) {
  labelLocation_->SetSpacing(value->GetSpacing());
  labelLocation_->SetOffset(value->GetOffset());
  labelLocation_->SetLabelSpacingBound(value->GetLabelSpacingBound());
  labelLocation_->SetPosition(value->GetPosition());
}

void TCustomDBImageEh::SetDataField(const String& value) {
  dataLink_->SetFieldName(value);
  Invalidate();
}

void TCustomDBImageEh::SetDataSource(TDataSource* value) {
  if (value == dataLink_->GetDataSource()) return;
  if (!dataLink_->GetDataSourceFixed()) dataLink_->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

void TCustomDBImageEh::SetPicturePlacement(TImagePlacementEh value) {
  if (value == picturePlacement_) return;
  picturePlacement_ = value;
  Invalidate();
}

void TCustomDBImageEh::SetSelectionDrawStyle(TSelectionDrawStyleEh value) {
  if (value == selectionDrawStyle_) return;
  selectionDrawStyle_ = value;
  Invalidate();
}

void TCustomDBImageEh::SetZoom(Integer value) {
  if (value < 0) value = 0;
  if (value == zoom_) return;
  zoom_ = value;
  zoomIsTemporary_ = false;
  Invalidate();
}

bool TCustomDBImageEh::IsPictureStored() const {
  return dataLink_->GetDataIndepended() && picture_->GetGraphic();
}

bool TCustomDBImageEh::IsDataActive() const { return GetEnabled() && dataLink_->GetActive(); }

bool TCustomDBImageEh::CanModify() const { return !GetReadOnly() && dataLink_->CanModify(); }

TSelectionDrawStyleEh TCustomDBImageEh::ActualSelectionDrawStyle() const {
  return selectionDrawStyle_ == sdsDefaultEh ? sdsFramedEh : selectionDrawStyle_;
}

bool TCustomDBImageEh::IsEmpty() {
  if (!PaintingCopy()) return !HasGraphic(picture_.get());
  // A copy (a control grid's other records) shows the record's own field, not the loaded picture.
  TField* field = GetField();
  if (!field || !field->IsBlob()) return true;
  TPicture shown;
  LoadPictureFromFieldEh(field, &shown);
  return !HasGraphic(&shown);
}

bool TCustomDBImageEh::PaintingCopy() const { return GetControlState().Contains(csPaintCopy); }

// ---- Loading and posting ----

void TCustomDBImageEh::DataChange(TObject*) {
  // Unbound, the picture is the control's own: no record change can take it away.
  if (dataLink_->GetDataIndepended()) return;
  ClearGraphic();
  pictureLoaded_ = false;
  if (autoDisplay_) LoadPicture();
  if (controlLabel_) controlLabel_->UpdateCaption();
  Invalidate();
}

void TCustomDBImageEh::ClearGraphic() {
  const TNotifyEvent saved = picture_->OnChange;
  picture_->OnChange = TNotifyEvent();
  auto restore = MakeScopeExit([&] { picture_->OnChange = saved; });
  picture_->SetGraphic(nullptr);
}

void TCustomDBImageEh::LoadPicture() {
  if (pictureLoaded_) return;
  TField* field = GetField();
  if (!field || !field->IsBlob()) return;
  LoadPictureFromFieldEh(field, picture_.get());
  ResetZoom();
  ResetPos();
}

void TCustomDBImageEh::PictureChanged(TObject*) {
  if (pictureLoaded_) dataLink_->Modified();
  pictureLoaded_ = true;
  Invalidate();
}

void TCustomDBImageEh::UpdateData(TObject*) {
  if (dataLink_->GetDataIndepended()) return;
  AssignGraphicToFieldEh(GetField(), picture_->GetGraphic());
}

void TCustomDBImageEh::PostPicture() {
  if (dataLink_->GetDataIndepended()) return;
  AssignGraphicToFieldEh(GetField(), picture_->GetGraphic());
  dataLink_->SetModified(false);
}

bool TCustomDBImageEh::StartEdit() { return dataLink_->Edit(); }

void TCustomDBImageEh::DoEnter() {
  TCustomControlEh::DoEnter();
  Invalidate();
}

void TCustomDBImageEh::DoExit() {
  TDataSet* dataSet = dataLink_->GetDataSet();
  if (dataSet && (dataSet->GetState() == dsEdit || dataSet->GetState() == dsInsert)) {
    try {
      dataLink_->UpdateRecord();
    } catch (...) {
      if (CanFocus()) SetFocus();
      throw;
    }
  }
  Invalidate();
  TCustomControlEh::DoExit();
}

// ---- Painting ----

TRect TCustomDBImageEh::ScaleRect(const TRect& rect, Integer zoomPercent) const {
  // The size scales; the corner the placement put the picture at stays where it is.
  return TRect(rect.Left, rect.Top, rect.Left + rect.Width() * zoomPercent / 100,
               rect.Top + rect.Height() * zoomPercent / 100);
}

void TCustomDBImageEh::Paint() {
  TCanvas* canvas = GetCanvas();
  const TRect client = GetClientRect();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(client);
  const bool copy = PaintingCopy();
  const bool focused = Focused() && !copy;
  if (focused && ActualSelectionDrawStyle() == sdsThemedEh) {
    StyleServices()->DrawElement(canvas->GetHandle(), StyleServices()->GetElementDetails(tlListItemSelected),
                                 client);
  } else if (focused && ActualSelectionDrawStyle() == sdsClassicEh) {
    canvas->GetBrush()->SetColor(clHighlight);
    canvas->FillRect(client);
  }
  TField* field = GetField();
  const bool copyOfBlob = copy && field && field->IsBlob();
  TPictureEh shown;
  if (copyOfBlob)
    LoadPictureFromFieldEh(field, &shown);
  else if (pictureLoaded_)
    shown.Assign(picture_.get());
  if (HasGraphic(&shown)) {
    TImagePlacementEh placement = picturePlacement_;
    TRect dest = client;
    if (zoom_ != 100) {
      dest = ScaleRect(shown.GetDestRect(client, placement), zoom_);
      placement = ipFitEh;
    }
    OffsetRect(&dest, imagePos_.X, imagePos_.Y);
    shown.PaintTo(canvas, dest, placement, TPoint(0, 0), TRect());
  } else if (!pictureLoaded_ && !copyOfBlob && field) {
    canvas->GetFont()->Assign(GetFont());
    canvas->GetBrush()->SetStyle(bsClear);
    const String text = u"(" + GetField()->GetDisplayLabel() + u")";
    const TSize extent = canvas->TextExtent(text);
    canvas->TextRect(client, (client.Width() - extent.cx) / 2, (client.Height() - extent.cy) / 2, text);
  }
  if (ActualSelectionDrawStyle() == sdsFramedEh && !GetComponentState().Contains(csDesigning) && !copy) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->GetActiveControl() == this) {
      canvas->GetBrush()->SetColor(clWindowFrame);
      canvas->FrameRect(client);
    }
  }
  if (emptyDataInfo_->Showing()) emptyDataInfo_->PaintEmptyDataInfo(canvas);
}

// ---- Zoom and panning ----

void TCustomDBImageEh::TemporaryZoomTo(Integer zoomPercent) {
  SetZoom(zoomPercent);
  zoomIsTemporary_ = true;
}

void TCustomDBImageEh::TemporaryMoveImageTo(TPoint imagePos) {
  imagePos_ = imagePos;
  Invalidate();
}

void TCustomDBImageEh::ResetPos() {
  imagePos_ = TPoint(0, 0);
  Invalidate();
}

bool TCustomDBImageEh::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  if (TCustomControlEh::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  if (!zoomAllowed_) return false;
  TemporaryZoomTo(wheelDelta > 0 ? zoom_ + 10 : zoom_ - 10);
  return true;
}

void TCustomDBImageEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button == mbLeft && GetTabStop() && CanFocus() && !Focused()) SetFocus();
  TCustomControlEh::MouseDown(button, shift, x, y);
  mouseDownPos_ = TPoint(x, y);
  imageMouseDownPos_ = imagePos_;
  panning_ = button == mbLeft;
}

void TCustomDBImageEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  TCustomControlEh::MouseMove(shift, x, y);
  if (!panning_) return;
  TemporaryMoveImageTo(
      TPoint(imageMouseDownPos_.X + x - mouseDownPos_.X, imageMouseDownPos_.Y + y - mouseDownPos_.Y));
}

void TCustomDBImageEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button == mbLeft) panning_ = false;
  TCustomControlEh::MouseUp(button, shift, x, y);
}

void TCustomDBImageEh::DblClick() {
  LoadPicture();
  TCustomControlEh::DblClick();
}

// ---- Keys, clipboard and menu ----

void TCustomDBImageEh::KeyDown(Word& key, TShiftState shift) {
  TCustomControlEh::KeyDown(key, shift);
  if (key == VK_INSERT && shift == TShiftState{ssShift}) PasteFromClipboard();
  if (key == VK_INSERT && shift == TShiftState{ssCtrl}) CopyToClipboard();
  if (key == VK_DELETE && shift == TShiftState{ssShift}) CutToClipboard();
}

void TCustomDBImageEh::KeyPress(Char& key) {
  TCustomControlEh::KeyPress(key);
  switch (key) {
    case 3:  // Ctrl+C
      CopyToClipboard();
      break;
    case 22:  // Ctrl+V
      PasteFromClipboard();
      break;
    case 24:  // Ctrl+X
      CutToClipboard();
      break;
    case 13:
      LoadPicture();
      break;
    case 27:
      ResetZoom();
      ResetPos();
      break;
    default:
      break;
  }
}

void TCustomDBImageEh::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CUT:
      CutToClipboard();
      return;
    case WM_COPY:
      CopyToClipboard();
      return;
    case WM_PASTE:
      PasteFromClipboard();
      return;
    case CM_GETDATALINK:
      message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
      return;
    case CM_BIDIMODECHANGED:
      if (controlLabel_) controlLabel_->SetBiDiMode(GetBiDiMode());
      return;
    default:
      break;
  }
  TCustomControlEh::Dispatch(message);
  if (message.Msg == CM_VISIBLECHANGED && controlLabel_) controlLabel_->UpdateVisibility();
}

void TCustomDBImageEh::CopyToClipboard() {
  if (HasGraphic(picture_.get())) Clipboard()->Assign(picture_.get());
}

void TCustomDBImageEh::CutToClipboard() {
  if (!HasGraphic(picture_.get()) || !StartEdit()) return;
  CopyToClipboard();
  picture_->SetGraphic(nullptr);
}

void TCustomDBImageEh::PasteFromClipboard() {
  if (!Clipboard()->HasFormat(CF_BITMAP) || !StartEdit()) return;
  picture_->Assign(Clipboard());
}

TPopupMenu* TCustomDBImageEh::GetPopupMenuForContext() const {
  if (TPopupMenu* own = GetPopupMenuOf()) return own;
  if (destroying_) return nullptr;
  return const_cast<TCustomDBImageEh*>(this)->GetSystemPopupMenu();
}

TPopupMenu* TCustomDBImageEh::GetSystemPopupMenu() {
  if (!systemPopupMenu_) {
    systemPopupMenu_ = new TPopupMenu(this);
    systemPopupMenu_->FreeNotification(this);
  }
  FormPopupMenu(systemPopupMenu_);
  return systemPopupMenu_;
}

void TCustomDBImageEh::FormPopupMenu(TPopupMenu* menu) {
  menu->GetItems()->Clear();
  if (DBImageEhFormPopupMenuProc) DBImageEhFormPopupMenuProc(this, menu);
}

void TCustomDBImageEh::MenuItemCopy(TObject*) { CopyToClipboard(); }
void TCustomDBImageEh::MenuItemCut(TObject*) { CutToClipboard(); }
void TCustomDBImageEh::MenuItemPaste(TObject*) { PasteFromClipboard(); }

void TCustomDBImageEh::MenuItemDefaultZoom(TObject*) {
  ResetZoom();
  ResetPos();
}

void TCustomDBImageEh::MenuItemDelete(TObject*) {
  if (StartEdit()) picture_->SetGraphic(nullptr);
}

void TCustomDBImageEh::MenuItemLoad(TObject*) {
  TOpenPictureDialog dialog(this);
  dialog.SetTitle(u"Load Picture");
  if (!dialog.Execute() || !StartEdit()) return;
  picture_->LoadFromFile(dialog.GetFileName());
  PostPicture();
}

void TCustomDBImageEh::MenuItemSave(TObject*) {
  TGraphic* graphic = picture_->GetGraphic();
  if (!graphic) return;
  TSavePictureDialog dialog(this);
  dialog.SetTitle(u"Save Picture As");
  dialog.SetDefaultExt(GraphicExtension(graphic->ClassType()));
  dialog.SetFilter(GraphicFilter(graphic->ClassType()));
  if (dialog.Execute()) picture_->SaveToFile(dialog.GetFileName());
}

void DefaultDBImageEhFormPopupMenu(TCustomDBImageEh* image, TPopupMenu* menu) {
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  auto add = [&](const String& caption, void (TCustomDBImageEh::*handler)(TObject*)) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    if (handler) item->OnClick = TNotifyEvent(image, handler);
    menu->GetItems()->Add(item);
  };
  const bool canModify = image->CanModify();
  if (canModify) add(texts->GetPictureEditorDialog_Cut(), &TCustomDBImageEh::MenuItemCut);
  add(texts->GetPictureEditorDialog_Copy(), &TCustomDBImageEh::MenuItemCopy);
  if (canModify && Clipboard()->HasFormat(CF_BITMAP))
    add(texts->GetPictureEditorDialog_Paste(), &TCustomDBImageEh::MenuItemPaste);
  if (canModify) add(texts->GetPictureEditorDialog_Clear(), &TCustomDBImageEh::MenuItemDelete);
  add(u"-", nullptr);
  if (canModify) add(texts->GetPictureEditorDialog_Load(), &TCustomDBImageEh::MenuItemLoad);
  if (image->GetPicture()->GetGraphic())
    add(texts->GetPictureEditorDialog_Save(), &TCustomDBImageEh::MenuItemSave);
  add(u"-", nullptr);
  add(texts->GetPictureEditorDialog_Reset() + u" (Esc)", &TCustomDBImageEh::MenuItemDefaultZoom);
}

// ---- Edit button ----

void TCustomDBImageEh::EditButtonChanged(TObject*) {
  LayoutEditButton();
  Invalidate();
}

void TCustomDBImageEh::LayoutEditButton() {
  if (!editButtonControl_ || !editButton_ || destroying_) return;
  TEditButtonControlEh* control = editButtonControl_;
  const bool visible = editButton_->GetVisible();
  control->SetStyle(editButton_->GetStyle());
  control->SetFlat(false);
  control->SetGlyph(editButton_->GetGlyph());
  control->SetNumGlyphs(editButton_->GetNumGlyphs());
  control->SetHint(editButton_->GetHint());
  control->SetExternalEditButtonImages(editButton_->GetImages());
  control->SetEnabled(GetEnabled() && editButton_->GetEnabled());
  control->SetVisible(visible);
  if (!visible) return;
  Integer width = editButton_->GetWidth() > 0 ? editButton_->GetWidth() : DefaultEditButtonWidthEh();
  const Integer height = std::min<Integer>(16, EditButtonHeightForWidthEh(width, false));
  const TRect client = GetClientRect();
  control->SetBounds(client.Width() - width - 2, 2, width, height);
  editButton_->ParentDefinedDefaultAction =
      !editButton_->OnClick && !editButton_->OnDown &&
      !editButton_->GetDropDownFormParams()->GetDropDownForm() &&
      editButton_->GetDropDownFormParams()->GetDropDownFormClassName().empty();
}

void TCustomDBImageEh::SetEditButtonDown(bool value) {
  if (editButtonControl_) editButtonControl_->SetAlwaysDown(value);
  droppedDown_ = value;
}

void TCustomDBImageEh::CloseUp(bool) { SetEditButtonDown(false); }

void TCustomDBImageEh::EditButtonClick(TObject* sender) {
  if (sender != editButtonControl_) return;
  bool handled = false;
  editButton_->Click(sender, handled);
  if (!handled && OnButtonClick) OnButtonClick(sender, handled);
  if (!handled && droppedDown_ && !noClickCloseUp_) CloseUp(false);
  if (!handled && editButton_->GetDefaultAction() && DBImageEhEditButtonDefaultActionProc)
    DBImageEhEditButtonDefaultActionProc(this, editButton_.get(), editButtonControl_, handled, false);
  noClickCloseUp_ = false;
}

void TCustomDBImageEh::EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
  handled = false;
  if (CanFocus() && !Focused()) SetFocus();
  if (sender != editButtonControl_ || !editButtonControl_->GetEnabled()) return;
  if (OnButtonDown) OnButtonDown(sender, topButton, autoRepeat, handled);
  if (!handled) {
    TDropDownFormCallParamsEh* params = editButton_->GetDropDownFormParams();
    if (params->GetDropDownForm() || !params->GetDropDownFormClassName().empty()) {
      params->FEditControl = this;
      params->FEditButton = editButton_.get();
      params->FEditButtonControl = editButtonControl_;
      params->FDataLink = dataLink_.get();
      params->FField = GetField();
      params->FOnGetVarValueProc = [this](Variant& value) {
        value = GetField() ? GetField()->GetAsVariant() : Variant::Null();
      };
      params->FOnSetVarValueProc = TSetVarValueProcEh();
      params->FOnOpenDropDownFormProc = OnOpenDropDownForm;
      params->FOnCloseDropDownFormProc =
          TEditControlCloseDropDownFormEventEh(this, &TCustomDBImageEh::CloseDropDownForm);
      SetEditButtonDown(true);
      params->CheckShowDropDownForm(handled);
      if (!handled) SetEditButtonDown(false);
    }
  }
  if (!handled && editButton_->GetDefaultAction() && DBImageEhEditButtonDefaultActionProc)
    DBImageEhEditButtonDefaultActionProc(this, editButton_.get(), editButtonControl_, handled, true);
}

void TCustomDBImageEh::CloseDropDownForm(TControl* editControl, TEditButtonEh* button, bool accept,
                                         TCustomForm* form, TDynVarsEh* dynParams) {
  SetEditButtonDown(false);
  if (OnCloseDropDownForm) OnCloseDropDownForm(editControl, button, accept, form, dynParams);
}

void TCustomDBImageEh::EditButtonMouseMove(TObject*, TShiftState, Integer, Integer) {}

void TCustomDBImageEh::EditButtonMouseUp(TObject* sender, TMouseButton, TShiftState, Integer x, Integer y) {
  auto* control = dynamic_cast<TControl*>(sender);
  if (control && (x < 0 || x > control->GetClientWidth() - 1 || y < 0 || y > control->GetClientHeight() - 1))
    noClickCloseUp_ = false;
}

void DefaultDBImageEhEditButtonDefaultAction(TCustomDBImageEh* image, TEditButtonEh* button,
                                             TEditButtonControlEh* control, bool& handled, bool isDown) {
  const TEditButtonStyleEh style = button->GetStyle();
  if (isDown && (style == ebsDropDownEh || style == ebsAltUpDownEh)) {
    TPopupMenu* menu = button->GetDropdownMenu();
    if (!menu && !button->GetAction()) menu = image->GetSystemPopupMenu();
    if (!menu) return;
    const bool right = menu->GetAlignment() == paRight;
    const TPoint pos = control->ClientToScreen(TPoint(right ? control->GetWidth() : 0, control->GetHeight()));
    menu->Popup(pos.X, pos.Y);
    RemovePendingClickEh(control);
    control->Perform(WM_LBUTTONUP, 0, 0);
    handled = true;
    return;
  }
  if (isDown || style != ebsEllipsisEh) return;
  if (!DBImagePictureEditRoutineEh)
    throw EInvalidOperation(u"The picture editor is not installed: call its unit's initialise routine");
  TPicture edited;
  edited.Assign(image->GetPicture());
  if (!DBImagePictureEditRoutineEh(&edited) || !image->GetDataLink()->Edit()) return;
  image->GetPicture()->Assign(&edited);
  image->PostPicture();
}

// ---- Label owner ----

String TCustomDBImageEh::GetControlLabelCaption() {
  TField* field = GetField();
  return field ? field->GetDisplayName() : GetName();
}

Integer TCustomDBImageEh::GetControlTextBaseLine() { return EditorTextBaseLineEh(GetFont(), GetCtl3D()); }

void TCustomDBImageEh::UpdateControlLabelBounds() {
  PlaceControlLabelEh(controlLabel_, labelLocation_.get());
}

void TCustomDBImageEh::ControlLabelLocationChanged() {
  if (!GetComponentState().Contains(csLoading)) UpdateControlLabelBounds();
}

void TCustomDBImageEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  TCustomControlEh::SetBounds(left, top, width, height);
  UpdateControlLabelBounds();
}

void TCustomDBImageEh::SetParent(TWinControl* parent) {
  TCustomControlEh::SetParent(parent);
  FollowEditorParentEh(controlLabel_);
}
