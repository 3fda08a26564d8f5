// The rich-text drop-down editor: a form with a toolbar, a ruler, the platform's rich edit and a
// status bar that edits a text value as formatted text; the value travels as RTF (or plain text) in
// the drop-down's bag. One instance serves the whole application.
#pragma once

#include "gridlib/base/DropDownFormEh.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/RichEdit.h"
#include "platform/controls/StdCtrls.h"
#include "platform/printing/PrintDialogs.h"

class TRichEditWinEh : public TCustomDropDownFormEh {
  KIV_CLASS(TRichEditWinEh, TCustomDropDownFormEh)
 public:
  explicit TRichEditWinEh(TComponent* owner);
  ~TRichEditWinEh() override;

  static TCustomDropDownFormEh* GetGlobalRef();
  // RTF when the value starts with an RTF header, plain text otherwise.
  static void LoadRichEditText(TCustomRichEdit* editor, const String& value);
  static String RichEditToRtfText(TCustomRichEdit* editor);
  // ".rtf" appended unless the name already ends in it, in any letter case.
  static String SaveFileName(const String& fileName);

  void SetDynParams(TDynVarsEh* dynParams) override;
  void GetDynParams(TDynVarsEh*& dynParams) override;
  TDropDownPassParamsEh GetPassParams() const { return passParams_; }

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormResize(TObject* sender);
  void RulerResize(TObject* sender);
  void SelectionChange(TObject* sender);
  void RichEditChange(TObject* sender);
  void EditorKeyDown(TObject* sender, Word& key, TShiftState shift);
  void FileOpen(TObject* sender);
  void FileSave(TObject* sender);
  void FileSaveAs(TObject* sender);
  void FilePrint(TObject* sender);
  void FileExit(TObject* sender);
  void EditUndo(TObject* sender);
  void EditCut(TObject* sender);
  void EditCopy(TObject* sender);
  void EditPaste(TObject* sender);
  void SelectFont(TObject* sender);
  void BoldButtonClick(TObject* sender);
  void ItalicButtonClick(TObject* sender);
  void UnderlineButtonClick(TObject* sender);
  void AlignButtonClick(TObject* sender);
  void BulletsButtonClick(TObject* sender);
  void FontNameChange(TObject* sender);
  void FontSizeChange(TObject* sender);
  void RulerItemMouseDown(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  void RulerItemMouseMove(TObject* sender, TShiftState shift, Integer x, Integer y);
  void FirstIndMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  void LeftIndMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  void RightIndMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  void OKButtonClick(TObject* sender);
  void CancelButtonClick(TObject* sender);
  void CustomDropDownFormEhInitForm(TCustomDropDownFormEh* sender, TDynVarsEh* dynParams);
  void CustomDropDownFormEhReturnParams(TCustomDropDownFormEh* sender, TDynVarsEh* dynParams);

  TToolBar* StandardToolBar = nullptr;
  TToolButton *OpenButton = nullptr, *SaveButton = nullptr, *PrintButton = nullptr, *CutButton = nullptr,
              *CopyButton = nullptr, *PasteButton = nullptr, *UndoButton = nullptr, *BoldButton = nullptr,
              *ItalicButton = nullptr, *UnderlineButton = nullptr, *LeftAlign = nullptr,
              *CenterAlign = nullptr, *RightAlign = nullptr, *BulletsButton = nullptr,
              *tbSelectFont = nullptr;
  TComboBox* FontName = nullptr;
  TComboBox* FontSize = nullptr;
  TPanel* Ruler = nullptr;
  TLabel *FirstInd = nullptr, *LeftInd = nullptr, *RightInd = nullptr;
  TBevel* RulerLine = nullptr;
  TRichEdit* Editor = nullptr;
  TStatusBar* StatusBar = nullptr;
  TPanel* BottomPanel = nullptr;
  TButton* OKButton = nullptr;
  TButton* CancelButton = nullptr;
  TMainMenu* MainMenu = nullptr;
  TOpenDialog* OpenDialog = nullptr;
  TSaveDialog* SaveDialog = nullptr;
  TPrintDialog* PrintDialog = nullptr;
  TFontDialog* FontDialog1 = nullptr;

 private:
  TToolButton* AddButton(const String& caption, const String& hint, TNotifyEvent onClick, bool check);
  void UpdateCursorPos();
  void UpdateModified();
  void SaveToChosenFile();
  void PlaceToolBarCombos();
  void BuildMainMenu();

  TToolButton* fontNameHolder_ = nullptr;
  TToolButton* fontSizeHolder_ = nullptr;

  String fileName_;
  bool updating_ = false;
  Integer dragOfs_ = 0;
  bool dragging_ = false;
  TDropDownPassParamsEh passParams_ = pspByFieldNamesEh;
};

// Registers the rich-text editor class and lets it print; idempotent.
void InitializeRichEditFormsEh();
