// The picture editor dialog: its layout, the buttons that act on the image control, and the routine
// that the image control's ellipsis button and the axis grid's picture cells call.
#include "gridlib/base/PictureEditFormsEh.h"

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/grids/DBAxisGridsEh.h"

TClass PictureEditorDialogClassEh = TPictureEditorDialog::StaticClass();

namespace {

TCustomPictureEditorDialog* dialogInstance = nullptr;

// Forgets the shared dialog when the application frees it.
class TPictureEditorDialogWatchEh : public TComponent {
  KIV_CLASS(TPictureEditorDialogWatchEh, TComponent)
 public:
  explicit TPictureEditorDialogWatchEh(TComponent* owner) : TComponent(owner) {}

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == dialogInstance) dialogInstance = nullptr;
  }
};

TButton* MakeButton(TWinControl* parent, TComponent* owner, const String& caption, Integer left, Integer top,
                    TAnchors anchors, void (TPictureEditorDialog::*handler)(TObject*),
                    TPictureEditorDialog* form) {
  auto* button = new TButton(owner);
  button->SetParent(parent);
  button->SetCaption(caption);
  button->SetBounds(left, top, 75, parent == form ? 25 : 23);
  button->SetAnchors(anchors);
  if (handler) button->OnClick = TNotifyEvent(form, handler);
  return button;
}

}  // namespace

TDialogAllowedEditOperationsEh AllDialogEditOperationsEh() {
  return {dealopCutEh,  dealopCopyEh,  dealopPasteEh,   dealopLoadEh,
          dealopSaveEh, dealopClearEh, dealopZoomingEh, dealopShiftEh};
}

TPictureEditorDialog::TPictureEditorDialog(TComponent* owner) : TCustomPictureEditorDialog(owner) {
  SetCaption(u"Picture Editor");
  SetClientWidth(392);
  SetClientHeight(321);
  SetPosition(poScreenCenter);
  SetBorderIcons(TBorderIcons{biSystemMenu});
  SetColor(clBtnFace);
  OpenDialog = new TOpenPictureDialog(this);
  SaveDialog = new TSavePictureDialog(this);
  SaveDialog->SetFilter(
      u"All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|"
      u"Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf");
  const TAnchors topRight{akTop, akRight};
  const TAnchors bottomLeft{akLeft, akBottom};
  OKButton = MakeButton(this, this, u"OK", 308, 12, topRight, nullptr, this);
  OKButton->SetDefault(true);
  OKButton->SetModalResult(mrOk);
  CancelButton = MakeButton(this, this, u"Cancel", 308, 41, topRight, nullptr, this);
  CancelButton->SetCancel(true);
  CancelButton->SetModalResult(mrCancel);
  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetParent(this);
  GroupBox1->SetBounds(10, 7, 289, 306);
  GroupBox1->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  ImageShape = new TShape(this);
  ImageShape->SetParent(GroupBox1);
  ImageShape->SetBounds(8, 8, 274, 254);
  ImageShape->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  Load =
      MakeButton(GroupBox1, this, u"&Load...", 10, 270, bottomLeft, &TPictureEditorDialog::LoadClick, this);
  Save =
      MakeButton(GroupBox1, this, u"&Save...", 90, 270, bottomLeft, &TPictureEditorDialog::SaveClick, this);
  Clear =
      MakeButton(GroupBox1, this, u"&Clear", 170, 270, bottomLeft, &TPictureEditorDialog::ClearClick, this);
  bCut = MakeButton(this, this, u"Cut", 308, 86, topRight, &TPictureEditorDialog::bCutClick, this);
  bCopy = MakeButton(this, this, u"Copy", 308, 113, topRight, &TPictureEditorDialog::bCopyClick, this);
  bPaste = MakeButton(this, this, u"Paste", 308, 140, topRight, &TPictureEditorDialog::bPasteClick, this);
  bZoomIn = MakeButton(this, this, u"Zoom In", 308, 182, topRight, &TPictureEditorDialog::bZoomInClick, this);
  bZoomOut =
      MakeButton(this, this, u"Zoom Out", 308, 209, topRight, &TPictureEditorDialog::bZoomOutClick, this);
  bReset = MakeButton(this, this, u"Reset", 308, 236, topRight, &TPictureEditorDialog::bResetClick, this);
  // The side buttons are 23 high like the ones under the picture; the column is a little wider than 75
  // so that the longest Russian caption ("Скопировать") is not cut.
  for (TButton* b : {bCut, bCopy, bPaste, bZoomIn, bZoomOut, bReset}) b->SetHeight(23);
  for (TButton* b : {OKButton, CancelButton, bCut, bCopy, bPaste, bZoomIn, bZoomOut, bReset})
    b->SetBounds(304, b->GetTop(), 83, b->GetHeight());
  FormCreate(this);
}

TPictureEditorDialog::~TPictureEditorDialog() { FormDestroy(this); }

void TPictureEditorDialog::FormCreate(TObject*) {
  Save->SetEnabled(false);
  image_ = new TDBImageEh(this);
  image_->SetParent(ImageShape->GetParent());
  image_->SetBounds(ImageShape->GetLeft(), ImageShape->GetTop(), ImageShape->GetWidth(),
                    ImageShape->GetHeight());
  image_->SetAnchors(ImageShape->GetAnchors());
  image_->SetColor(clMoneyGreen);
  Localize();
}

void TPictureEditorDialog::FormDestroy(TObject*) {
  delete image_;
  image_ = nullptr;
}

void TPictureEditorDialog::Localize() {
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  SetCaption(texts->GetPictureEditorDialog_Caption());
  Load->SetCaption(texts->GetPictureEditorDialog_Load());
  Save->SetCaption(texts->GetPictureEditorDialog_Save());
  Clear->SetCaption(texts->GetPictureEditorDialog_Clear());
  bCut->SetCaption(texts->GetPictureEditorDialog_Cut());
  bCopy->SetCaption(texts->GetPictureEditorDialog_Copy());
  bPaste->SetCaption(texts->GetPictureEditorDialog_Paste());
  bZoomIn->SetCaption(texts->GetPictureEditorDialog_ZoomIn());
  bZoomOut->SetCaption(texts->GetPictureEditorDialog_ZoomOut());
  bReset->SetCaption(texts->GetPictureEditorDialog_Reset());
}

void TPictureEditorDialog::Dispatch(TMessage& message) {
  TCustomPictureEditorDialog::Dispatch(message);
  if (message.Msg == WM_WININICHANGE) Localize();
}

bool TPictureEditorDialog::Edit(TPicture* picture, TDialogAllowedEditOperationsEh allowed) {
  image_->GetPicture()->Assign(picture);
  image_->ResetZoom();
  image_->ResetPos();
  bCut->SetEnabled(allowed.Contains(dealopCutEh));
  bCopy->SetEnabled(allowed.Contains(dealopCopyEh));
  bPaste->SetEnabled(allowed.Contains(dealopPasteEh));
  Load->SetEnabled(allowed.Contains(dealopLoadEh));
  Save->SetEnabled(allowed.Contains(dealopSaveEh));
  Clear->SetEnabled(allowed.Contains(dealopClearEh));
  bZoomIn->SetEnabled(allowed.Contains(dealopZoomingEh));
  bZoomOut->SetEnabled(allowed.Contains(dealopZoomingEh));
  bReset->SetEnabled(allowed.Contains(dealopZoomingEh) || allowed.Contains(dealopShiftEh));
  if (ShowModal() != mrOk) return false;
  picture->Assign(image_->GetPicture());
  return true;
}

void TPictureEditorDialog::UpdateFileButtons() {
  TGraphic* graphic = image_->GetPicture()->GetGraphic();
  const bool has = graphic && !graphic->GetEmpty();
  Save->SetEnabled(has);
  Clear->SetEnabled(has);
}

void TPictureEditorDialog::LoadClick(TObject*) {
  if (!OpenDialog->Execute()) return;
  image_->GetPicture()->LoadFromFile(OpenDialog->GetFileName());
  UpdateFileButtons();
}

void TPictureEditorDialog::SaveClick(TObject*) {
  TGraphic* graphic = image_->GetPicture()->GetGraphic();
  if (!graphic) return;
  SaveDialog->SetDefaultExt(GraphicExtension(graphic->ClassType()));
  SaveDialog->SetFilter(GraphicFilter(graphic->ClassType()));
  if (SaveDialog->Execute()) image_->GetPicture()->SaveToFile(SaveDialog->GetFileName());
}

void TPictureEditorDialog::ClearClick(TObject*) {
  image_->GetPicture()->SetGraphic(nullptr);
  Save->SetEnabled(false);
  Clear->SetEnabled(false);
}

void TPictureEditorDialog::bCutClick(TObject*) {
  image_->CutToClipboard();
  UpdateFileButtons();
}

void TPictureEditorDialog::bCopyClick(TObject*) { image_->CopyToClipboard(); }

void TPictureEditorDialog::bPasteClick(TObject*) {
  image_->PasteFromClipboard();
  UpdateFileButtons();
}

void TPictureEditorDialog::bZoomInClick(TObject*) { image_->TemporaryZoomTo(image_->GetZoom() + 10); }
void TPictureEditorDialog::bZoomOutClick(TObject*) { image_->TemporaryZoomTo(image_->GetZoom() - 10); }

void TPictureEditorDialog::bResetClick(TObject*) {
  image_->ResetZoom();
  image_->ResetPos();
}

TCustomPictureEditorDialog* PictureEditorDialogEh() {
  if (!dialogInstance) {
    static TPictureEditorDialogWatchEh* watch = nullptr;
    if (!watch) watch = new TPictureEditorDialogWatchEh(Application);
    dialogInstance = PictureEditorDialogClassEh->Create<TCustomPictureEditorDialog>(Application);
    dialogInstance->FreeNotification(watch);
  }
  return dialogInstance;
}

bool EditPictureEh(TPicture* picture) {
  return PictureEditorDialogEh()->Edit(picture, AllDialogEditOperationsEh());
}

void InitializePictureEditFormsEh() {
  InitializeDBImageEh();
  DBImagePictureEditRoutineEh = EditPictureEh;
  DBAxisGridPictureEditRoutineEh = EditPictureEh;
}
