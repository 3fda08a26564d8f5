// The picture editor: a modal dialog that shows a picture in the data-aware image control and lets the
// user load, save, clear, cut, copy, paste and zoom it; the caller's picture changes only on OK.
#pragma once

#include "gridlib/editors/DBImageEh.h"
#include "platform/classes/Set.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

enum TDialogAllowedEditOperationEh {
  dealopCutEh,
  dealopCopyEh,
  dealopPasteEh,
  dealopLoadEh,
  dealopSaveEh,
  dealopClearEh,
  dealopZoomingEh,
  dealopShiftEh
};
using TDialogAllowedEditOperationsEh = TSet<TDialogAllowedEditOperationEh>;

// Every operation.
TDialogAllowedEditOperationsEh AllDialogEditOperationsEh();

class TCustomPictureEditorDialog : public TForm {
  KIV_CLASS(TCustomPictureEditorDialog, TForm)
 public:
  explicit TCustomPictureEditorDialog(TComponent* owner) : TForm(owner, 0) {}
  // True when the user accepted; the picture then holds the edited graphic.
  virtual bool Edit(TPicture*, TDialogAllowedEditOperationsEh) { return false; }
};

class TPictureEditorDialog : public TCustomPictureEditorDialog {
  KIV_CLASS(TPictureEditorDialog, TCustomPictureEditorDialog)
 public:
  explicit TPictureEditorDialog(TComponent* owner);
  ~TPictureEditorDialog() override;

  bool Edit(TPicture* picture, TDialogAllowedEditOperationsEh allowed) override;
  TDBImageEh* GetImage() const { return image_; }

  void FormCreate(TObject* sender);
  void FormDestroy(TObject* sender);
  void LoadClick(TObject* sender);
  void SaveClick(TObject* sender);
  void ClearClick(TObject* sender);
  void bCutClick(TObject* sender);
  void bCopyClick(TObject* sender);
  void bPasteClick(TObject* sender);
  void bZoomInClick(TObject* sender);
  void bZoomOutClick(TObject* sender);
  void bResetClick(TObject* sender);

  TOpenPictureDialog* OpenDialog = nullptr;
  TSavePictureDialog* SaveDialog = nullptr;
  TButton* OKButton = nullptr;
  TButton* CancelButton = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TButton *Load = nullptr, *Save = nullptr, *Clear = nullptr;
  TButton *bCut = nullptr, *bCopy = nullptr, *bPaste = nullptr;
  TButton *bZoomIn = nullptr, *bZoomOut = nullptr, *bReset = nullptr;
  TShape* ImageShape = nullptr;

 protected:
  void Dispatch(TMessage& message) override;

 private:
  void Localize();
  void UpdateFileButtons();
  TDBImageEh* image_ = nullptr;
};

// The dialog class the picture-edit routine makes (the editor above until replaced).
extern TClass PictureEditorDialogClassEh;
// The one dialog the routine uses, made on first use with the application as owner.
TCustomPictureEditorDialog* PictureEditorDialogEh();
// The picture-edit routine: the dialog with every operation allowed.
bool EditPictureEh(TPicture* picture);

// Installs the routine as the image control's and the axis grid's picture editor; idempotent.
void InitializePictureEditFormsEh();
