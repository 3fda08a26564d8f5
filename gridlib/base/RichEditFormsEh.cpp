// The rich-text drop-down editor: formatting commands on the selection, the ruler's indent markers,
// files (open, save with the overwrite question, print) and the value's way in and out of the bag.
#include "gridlib/base/RichEditFormsEh.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/classes/Streams.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/printing/PrintingLibrary.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

TRichEditWinEh*& GlobalRichEditForm() {
  static TRichEditWinEh* form = nullptr;
  return form;
}

// The ruler works in pixels, the paragraph in points: 96 pixels per 72 points.
constexpr double RulerAdj = 4.0 / 3.0;
constexpr Integer GutterWid = 6;

}  // namespace

TRichEditWinEh::TRichEditWinEh(TComponent* owner) : TCustomDropDownFormEh(owner, 0) {
  SetCaption(u"Rich Editor");
  SetClientWidth(771);
  SetClientHeight(408);
  SetDropDownMode(true);
  SetFormElements(TDropDownFormElementsEh{ddfeLeftGripEh, ddfeRightGripEh});

  StandardToolBar = new TToolBar(this);
  StandardToolBar->SetParent(this);
  StandardToolBar->SetAlign(alTop);
  StandardToolBar->SetShowCaptions(true);
  StandardToolBar->SetShowHint(true);
  OpenButton =
      AddButton(u"Открыть", u"Open an existing file", TNotifyEvent(this, &TRichEditWinEh::FileOpen), false);
  SaveButton =
      AddButton(u"Сохранить", u"Save current file", TNotifyEvent(this, &TRichEditWinEh::FileSave), false);
  PrintButton =
      AddButton(u"Печать", u"Print current file", TNotifyEvent(this, &TRichEditWinEh::FilePrint), false);
  CutButton = AddButton(u"✂", u"Delete selected item", TNotifyEvent(this, &TRichEditWinEh::EditCut), false);
  CopyButton = AddButton(u"Коп", u"Copy selected item to clipboard",
                         TNotifyEvent(this, &TRichEditWinEh::EditCopy), false);
  PasteButton = AddButton(u"Вст", u"Paste contents of clipboard",
                          TNotifyEvent(this, &TRichEditWinEh::EditPaste), false);
  UndoButton = AddButton(u"↶", u"Undo the last action", TNotifyEvent(this, &TRichEditWinEh::EditUndo), false);
  // The combo boxes stand over separators of their width, as toolbars hold other controls.
  fontNameHolder_ = AddButton(String(), String(), TNotifyEvent(), false);
  fontNameHolder_->SetStyle(tbsSeparator);
  fontNameHolder_->SetWidth(150);
  fontSizeHolder_ = AddButton(String(), String(), TNotifyEvent(), false);
  fontSizeHolder_->SetStyle(tbsSeparator);
  fontSizeHolder_->SetWidth(50);
  FontName = new TComboBox(this);
  FontName->SetParent(StandardToolBar);
  FontName->SetWidth(150);
  FontName->SetDropDownCount(10);
  FontName->SetHint(u"Font Name|Select font name");
  FontName->OnChange = TNotifyEvent(this, &TRichEditWinEh::FontNameChange);
  FontSize = new TComboBox(this);
  FontSize->SetParent(StandardToolBar);
  FontSize->SetWidth(50);
  FontSize->SetDropDownCount(16);
  for (const Char* size : {u"8", u"9", u"10", u"11", u"12", u"14", u"16", u"18", u"20", u"22", u"24", u"26",
                           u"28", u"36", u"48", u"72"})
    FontSize->GetItems()->Add(size);
  FontSize->OnChange = TNotifyEvent(this, &TRichEditWinEh::FontSizeChange);
  BoldButton = AddButton(u"Ж", u"Bold", TNotifyEvent(this, &TRichEditWinEh::BoldButtonClick), true);
  ItalicButton = AddButton(u"К", u"Italic", TNotifyEvent(this, &TRichEditWinEh::ItalicButtonClick), true);
  UnderlineButton =
      AddButton(u"Ч", u"Underline", TNotifyEvent(this, &TRichEditWinEh::UnderlineButtonClick), true);
  LeftAlign = AddButton(u"⇤", u"Align Left", TNotifyEvent(this, &TRichEditWinEh::AlignButtonClick), true);
  CenterAlign = AddButton(u"↔", u"Center", TNotifyEvent(this, &TRichEditWinEh::AlignButtonClick), true);
  RightAlign = AddButton(u"⇥", u"Align Right", TNotifyEvent(this, &TRichEditWinEh::AlignButtonClick), true);
  // The Tag is the paragraph alignment: left, right, centre.
  LeftAlign->SetTag(0);
  CenterAlign->SetTag(2);
  RightAlign->SetTag(1);
  for (TToolButton* b : {LeftAlign, CenterAlign, RightAlign}) b->SetGrouped(true);
  BulletsButton = AddButton(u"•", u"Bullets|Enter bullet mode",
                            TNotifyEvent(this, &TRichEditWinEh::BulletsButtonClick), true);
  tbSelectFont = AddButton(u"Шрифт…", u"Font", TNotifyEvent(this, &TRichEditWinEh::SelectFont), false);

  Ruler = new TPanel(this);
  Ruler->SetParent(this);
  Ruler->SetTop(StandardToolBar->GetTop() + StandardToolBar->GetHeight());
  Ruler->SetAlign(alTop);
  Ruler->SetHeight(26);
  Ruler->GetFont()->SetName(u"Arial");
  Ruler->GetFont()->SetSize(8);
  Ruler->SetAlignment(taLeftJustify);
  Ruler->OnResize = TNotifyEvent(this, &TRichEditWinEh::RulerResize);
  RulerLine = new TBevel(this);
  RulerLine->SetParent(Ruler);
  RulerLine->SetBounds(4, 12, 100, 2);
  RulerLine->SetShape(bsTopLine);
  const auto marker = [this](const Char* caption, Integer top, TMouseEvent onUp) {
    auto* l = new TLabel(this);
    l->SetParent(Ruler);
    l->SetCaption(caption);
    l->SetTop(top);
    l->OnMouseDown = TMouseEvent(this, &TRichEditWinEh::RulerItemMouseDown);
    l->OnMouseMove = TMouseMoveEvent(this, &TRichEditWinEh::RulerItemMouseMove);
    l->OnMouseUp = onUp;
    return l;
  };
  FirstInd = marker(u"▼", 2, TMouseEvent(this, &TRichEditWinEh::FirstIndMouseUp));
  LeftInd = marker(u"▲", 12, TMouseEvent(this, &TRichEditWinEh::LeftIndMouseUp));
  RightInd = marker(u"▲", 12, TMouseEvent(this, &TRichEditWinEh::RightIndMouseUp));

  BottomPanel = new TPanel(this);
  BottomPanel->SetParent(this);
  BottomPanel->SetAlign(alBottom);
  BottomPanel->SetHeight(34);
  BottomPanel->SetBevelOuter(bvNone);
  OKButton = new TButton(this);
  OKButton->SetParent(BottomPanel);
  OKButton->SetCaption(u"&OK");
  OKButton->SetDefault(true);
  OKButton->SetBounds(771 - 170, 5, 75, 25);
  OKButton->SetAnchors(TAnchors{akTop, akRight});
  OKButton->OnClick = TNotifyEvent(this, &TRichEditWinEh::OKButtonClick);
  CancelButton = new TButton(this);
  CancelButton->SetParent(BottomPanel);
  CancelButton->SetCaption(u"Cancel");
  CancelButton->SetCancel(true);
  CancelButton->SetBounds(771 - 88, 5, 75, 25);
  CancelButton->SetAnchors(TAnchors{akTop, akRight});
  CancelButton->OnClick = TNotifyEvent(this, &TRichEditWinEh::CancelButtonClick);

  StatusBar = new TStatusBar(this);
  StatusBar->SetParent(this);
  for (Integer width : {20, 120, 60, 50}) StatusBar->GetPanels()->Add()->SetWidth(width);

  Editor = new TRichEdit(this);
  Editor->SetParent(this);
  Editor->SetAlign(alClient);
  Editor->GetFont()->SetName(u"Courier New");
  Editor->SetScrollBars(ssVertical);
  Editor->SetWantTabs(true);
  Editor->SetHideSelection(false);
  Editor->OnSelectionChange = TNotifyEvent(this, &TRichEditWinEh::SelectionChange);
  Editor->OnChange = TNotifyEvent(this, &TRichEditWinEh::RichEditChange);
  Editor->OnKeyDown = TKeyEvent(this, &TRichEditWinEh::EditorKeyDown);

  const String filter = u"Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT";
  OpenDialog = new TOpenDialog(this);
  OpenDialog->SetFilter(filter);
  SaveDialog = new TSaveDialog(this);
  SaveDialog->SetFilter(filter);
  PrintDialog = new TPrintDialog(this);
  FontDialog1 = new TFontDialog(this);

  BuildMainMenu();
  OnInitForm = TInitDropDownFormEventEh(this, &TRichEditWinEh::CustomDropDownFormEhInitForm);
  OnReturnParams = TPutBackFormParamsEventEh(this, &TRichEditWinEh::CustomDropDownFormEhReturnParams);
  OnShow = TNotifyEvent(this, &TRichEditWinEh::FormShow);
  OnResize = TNotifyEvent(this, &TRichEditWinEh::FormResize);
  SetActiveControl(Editor);
  FormCreate(this);
}

TRichEditWinEh::~TRichEditWinEh() {
  if (GlobalRichEditForm() == this) GlobalRichEditForm() = nullptr;
}

TToolButton* TRichEditWinEh::AddButton(const String& caption, const String& hint, TNotifyEvent onClick,
                                       bool check) {
  auto* b = new TToolButton(this);
  b->SetParent(StandardToolBar);
  b->SetCaption(caption);
  b->SetHint(hint);
  if (check) b->SetStyle(tbsCheck);
  b->OnClick = onClick;
  return b;
}

void TRichEditWinEh::BuildMainMenu() {
  MainMenu = new TMainMenu(this);
  const auto menu = [this](const String& caption,
                           std::initializer_list<std::tuple<const Char*, TShortCut, TNotifyEvent>> items) {
    auto* top = new TMenuItem(this);
    top->SetCaption(caption);
    for (const auto& [text, shortCut, onClick] : items) {
      auto* item = new TMenuItem(this);
      item->SetCaption(text);
      item->SetShortCut(shortCut);
      item->OnClick = onClick;
      top->Add(item);
    }
    MainMenu->GetItems()->Add(top);
  };
  menu(u"&File",
       {{u"&New", ShortCut(u'N', TShiftState{ssCtrl}), TNotifyEvent()},
        {u"&Open...", ShortCut(u'O', TShiftState{ssCtrl}), TNotifyEvent(this, &TRichEditWinEh::FileOpen)},
        {u"&Save", ShortCut(u'S', TShiftState{ssCtrl}), TNotifyEvent(this, &TRichEditWinEh::FileSave)},
        {u"Save &As...", 0, TNotifyEvent(this, &TRichEditWinEh::FileSaveAs)},
        {u"&Print", ShortCut(u'P', TShiftState{ssCtrl}), TNotifyEvent(this, &TRichEditWinEh::FilePrint)},
        {u"E&xit", ShortCut(u'X', TShiftState{ssAlt}), TNotifyEvent(this, &TRichEditWinEh::FileExit)}});
  menu(u"&Edit",
       {{u"&Undo", ShortCut(u'Z', TShiftState{ssCtrl}), TNotifyEvent(this, &TRichEditWinEh::EditUndo)},
        {u"Cu&t", ShortCut(u'X', TShiftState{ssCtrl}), TNotifyEvent(this, &TRichEditWinEh::EditCut)},
        {u"&Copy", ShortCut(u'C', TShiftState{ssCtrl}), TNotifyEvent(this, &TRichEditWinEh::EditCopy)},
        {u"&Paste", ShortCut(u'V', TShiftState{ssCtrl}), TNotifyEvent(this, &TRichEditWinEh::EditPaste)},
        {u"&Font...", 0, TNotifyEvent(this, &TRichEditWinEh::SelectFont)}});
  SetMenu(MainMenu);
}

TCustomDropDownFormEh* TRichEditWinEh::GetGlobalRef() {
  if (!GlobalRichEditForm()) GlobalRichEditForm() = new TRichEditWinEh(Application);
  return GlobalRichEditForm();
}

void TRichEditWinEh::LoadRichEditText(TCustomRichEdit* editor, const String& value) {
  if (StartsStr(u"{\\rtf", value) || StartsStr(u"{urtf", value)) {
    TStringStream stream(value, TEncoding::UTF8());
    editor->GetLines()->LoadFromStream(&stream);
  } else {
    editor->SetText(value);
  }
}

String TRichEditWinEh::RichEditToRtfText(TCustomRichEdit* editor) {
  TStringStream stream(String(), TEncoding::UTF8());
  editor->GetLines()->SaveToStream(&stream);
  return stream.GetDataString();
}

String TRichEditWinEh::SaveFileName(const String& fileName) {
  if (fileName.size() >= 4 && UpperCase(fileName.substr(fileName.size() - 4)) == u".RTF") return fileName;
  return fileName + u".rtf";
}

void TRichEditWinEh::SetDynParams(TDynVarsEh* dynParams) {
  TCustomDropDownFormEh::SetDynParams(dynParams);
  if (dynParams && dynParams->GetCount() > 0)
    LoadRichEditText(Editor, VarToStr(dynParams->GetItem(0)->GetValue()));
}

void TRichEditWinEh::GetDynParams(TDynVarsEh*& dynParams) {
  TCustomDropDownFormEh::GetDynParams(dynParams);
  if (dynParams && dynParams->GetCount() > 0)
    dynParams->GetItem(0)->SetValue(Variant(RichEditToRtfText(Editor)));
}

void TRichEditWinEh::CustomDropDownFormEhInitForm(TCustomDropDownFormEh*, TDynVarsEh* dynParams) {
  const Integer count = dynParams ? dynParams->GetCount() : 0;
  if (count == 0) {
    passParams_ = pspByFieldNamesEh;
  } else {
    passParams_ = count == 1 ? pspFieldValueEh : pspRecordValuesEh;
    LoadRichEditText(Editor, VarToStr(dynParams->GetItem(0)->GetValue()));
  }
  OKButton->SetEnabled(!GetReadOnly());
  Editor->SetReadOnly(GetReadOnly());
}

void TRichEditWinEh::CustomDropDownFormEhReturnParams(TCustomDropDownFormEh*, TDynVarsEh* dynParams) {
  if (dynParams && dynParams->GetCount() > 0)
    dynParams->GetItem(0)->SetValue(Variant(RichEditToRtfText(Editor)));
}

void TRichEditWinEh::FormCreate(TObject*) {
  FontName->GetItems()->Assign(Screen->GetFonts());
  FontName->SetSorted(true);
  String ticks;
  for (Integer i = 0; i < 100; ++i) ticks += u"\t|";
  Ruler->SetCaption(ticks);
  SelectionChange(this);
  Editor->GetSelAttributes()->SetName(GetFont()->GetName());
  Editor->GetSelAttributes()->SetSize(GetFont()->GetSize());
}

void TRichEditWinEh::FormShow(TObject*) {
  if (Editor->GetTextLength() > 0) {
    Editor->GetDefAttributes()->SetName(Editor->GetSelAttributes()->GetName());
    Editor->GetDefAttributes()->SetSize(Editor->GetSelAttributes()->GetSize());
  } else {
    Editor->GetDefAttributes()->SetName(GetFont()->GetName());
    Editor->GetDefAttributes()->SetSize(GetFont()->GetSize());
  }
  PlaceToolBarCombos();
  UpdateCursorPos();
  UpdateModified();
  if (Editor->CanFocus()) Editor->SetFocus();
}

void TRichEditWinEh::FormResize(TObject* sender) {
  PlaceToolBarCombos();
  SelectionChange(sender);
}

void TRichEditWinEh::PlaceToolBarCombos() {
  FontName->SetBounds(fontNameHolder_->GetLeft(), fontNameHolder_->GetTop(), fontNameHolder_->GetWidth(),
                      FontName->GetHeight());
  FontSize->SetBounds(fontSizeHolder_->GetLeft(), fontSizeHolder_->GetTop(), fontSizeHolder_->GetWidth(),
                      FontSize->GetHeight());
}

void TRichEditWinEh::RulerResize(TObject*) {
  RulerLine->SetWidth(Ruler->GetClientWidth() - RulerLine->GetLeft() * 2);
}

void TRichEditWinEh::SelectionChange(TObject*) {
  updating_ = true;
  auto reset = MakeScopeExit([this] { updating_ = false; });
  TParaAttributes* p = Editor->GetParagraph();
  FirstInd->SetLeft(static_cast<Integer>(p->GetFirstIndent() * RulerAdj) + 2);
  LeftInd->SetLeft(static_cast<Integer>((p->GetLeftIndent() + p->GetFirstIndent()) * RulerAdj) + 2);
  RightInd->SetLeft(Ruler->GetClientWidth() - GutterWid -
                    static_cast<Integer>((p->GetRightIndent() + GutterWid) * RulerAdj));
  const TFontStyles style = Editor->GetSelAttributes()->GetStyle();
  BoldButton->SetDown(style.Contains(fsBold));
  ItalicButton->SetDown(style.Contains(fsItalic));
  UnderlineButton->SetDown(style.Contains(fsUnderline));
  BulletsButton->SetDown(p->GetNumbering() != nsNone);
  FontSize->SetText(IntToStr(Editor->GetSelAttributes()->GetSize()));
  FontName->SetText(Editor->GetSelAttributes()->GetName());
  switch (p->GetAlignment()) {
    case taLeftJustify:
      LeftAlign->SetDown(true);
      break;
    case taRightJustify:
      RightAlign->SetDown(true);
      break;
    case taCenter:
      CenterAlign->SetDown(true);
      break;
  }
  UpdateCursorPos();
}

void TRichEditWinEh::UpdateCursorPos() {
  const String text = Editor->GetText();
  const Integer start = std::min<Integer>(Editor->GetSelStart(), static_cast<Integer>(text.size()));
  Integer line = 0, lineStart = 0;
  for (Integer i = 0; i < start; ++i)
    if (text[static_cast<size_t>(i)] == u'\n') {
      ++line;
      lineStart = i + 1;
    } else if (text[static_cast<size_t>(i)] == u'\r' &&
               (i + 1 >= static_cast<Integer>(text.size()) || text[static_cast<size_t>(i) + 1] != u'\n')) {
      ++line;
      lineStart = i + 1;
    }
  StatusBar->GetPanels()->GetItem(1)->SetText(
      Format(u"Line: %3d   Col: %3d", {line + 1, start - lineStart + 1}));
  const bool selected = Editor->GetSelLength() > 0;
  CopyButton->SetEnabled(selected);
  CutButton->SetEnabled(selected);
}

void TRichEditWinEh::UpdateModified() {
  StatusBar->GetPanels()->GetItem(2)->SetText(Editor->GetModified() ? u"Modified" : u"");
}

void TRichEditWinEh::RichEditChange(TObject*) { UpdateModified(); }

void TRichEditWinEh::EditorKeyDown(TObject*, Word& key, TShiftState) {
  if (key == VK_ESCAPE) {
    key = 0;
    CancelButtonClick(this);
  }
}

void TRichEditWinEh::FileOpen(TObject*) {
  if (!OpenDialog->Execute()) return;
  Editor->GetLines()->LoadFromFile(OpenDialog->GetFileName());
  if (Editor->CanFocus()) Editor->SetFocus();
  Editor->SetModified(false);
  UpdateModified();
  Editor->SetReadOnly(OpenDialog->GetOptions().Contains(ofReadOnly));
}

void TRichEditWinEh::SaveToChosenFile() {
  if (!SaveDialog->Execute()) return;
  const String name = SaveFileName(SaveDialog->GetFileName());
  if (std::filesystem::exists(std::filesystem::path(StringToUtf8(name))) &&
      MessageDlg(Format(u"OK to overwrite %s", {name}), mtConfirmation, TMsgDlgButtons{mbYes, mbNo, mbCancel},
                 0) != mrYes)
    return;
  Editor->GetLines()->SaveToFile(name);
  Editor->SetModified(false);
  UpdateModified();
}

void TRichEditWinEh::FileSave(TObject*) { SaveToChosenFile(); }
void TRichEditWinEh::FileSaveAs(TObject*) { SaveToChosenFile(); }

void TRichEditWinEh::FilePrint(TObject*) {
  if (PrintDialog->Execute()) Editor->Print(fileName_);
}

void TRichEditWinEh::FileExit(TObject*) { Close(); }

void TRichEditWinEh::EditUndo(TObject*) {
  if (Editor->HandleAllocated()) Editor->Perform(EM_UNDO);
}

void TRichEditWinEh::EditCut(TObject*) { Editor->Perform(WM_CUT); }
void TRichEditWinEh::EditCopy(TObject*) { Editor->Perform(WM_COPY); }
void TRichEditWinEh::EditPaste(TObject*) { Editor->Perform(WM_PASTE); }

void TRichEditWinEh::SelectFont(TObject*) {
  SetKeepFormVisible(true);
  auto keep = MakeScopeExit([this] { SetKeepFormVisible(false); });
  FontDialog1->GetFont()->Assign(Editor->GetSelAttributes());
  if (FontDialog1->Execute()) Editor->GetSelAttributes()->Assign(FontDialog1->GetFont());
  SelectionChange(this);
  if (Editor->CanFocus()) Editor->SetFocus();
}

namespace {

void ToggleStyle(TCustomRichEdit* editor, TFontStyle style, bool on) {
  TFontStyles styles = editor->GetSelAttributes()->GetStyle();
  if (on)
    styles << style;
  else
    styles >> style;
  editor->GetSelAttributes()->SetStyle(styles);
}

}  // namespace

void TRichEditWinEh::BoldButtonClick(TObject*) {
  if (!updating_) ToggleStyle(Editor, fsBold, BoldButton->GetDown());
}

void TRichEditWinEh::ItalicButtonClick(TObject*) {
  if (!updating_) ToggleStyle(Editor, fsItalic, ItalicButton->GetDown());
}

void TRichEditWinEh::UnderlineButtonClick(TObject*) {
  if (!updating_) ToggleStyle(Editor, fsUnderline, UnderlineButton->GetDown());
}

void TRichEditWinEh::AlignButtonClick(TObject* sender) {
  if (updating_) return;
  Editor->GetParagraph()->SetAlignment(static_cast<TAlignment>(static_cast<TComponent*>(sender)->GetTag()));
}

void TRichEditWinEh::BulletsButtonClick(TObject*) {
  if (!updating_) Editor->GetParagraph()->SetNumbering(BulletsButton->GetDown() ? nsBullet : nsNone);
}

void TRichEditWinEh::FontNameChange(TObject*) {
  if (!updating_ && !FontName->GetText().empty()) Editor->GetSelAttributes()->SetName(FontName->GetText());
}

void TRichEditWinEh::FontSizeChange(TObject*) {
  if (updating_) return;
  Integer size = 0;
  if (TryStrToInt(FontSize->GetText(), size) && size > 0) Editor->GetSelAttributes()->SetSize(size);
}

void TRichEditWinEh::RulerItemMouseDown(TObject* sender, TMouseButton, TShiftState, Integer x, Integer) {
  auto* marker = static_cast<TControl*>(sender);
  dragOfs_ = marker->GetWidth() / 2;
  marker->SetLeft(x + marker->GetLeft() - dragOfs_);
  dragging_ = true;
}

void TRichEditWinEh::RulerItemMouseMove(TObject* sender, TShiftState, Integer x, Integer) {
  if (!dragging_) return;
  auto* marker = static_cast<TControl*>(sender);
  marker->SetLeft(x + marker->GetLeft() - dragOfs_);
}

void TRichEditWinEh::FirstIndMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x,
                                     Integer y) {
  dragging_ = false;
  Editor->GetParagraph()->SetFirstIndent(
      static_cast<Integer>((FirstInd->GetLeft() + dragOfs_ - GutterWid) / RulerAdj));
  LeftIndMouseUp(sender, button, shift, x, y);
}

void TRichEditWinEh::LeftIndMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer) {
  dragging_ = false;
  TParaAttributes* p = Editor->GetParagraph();
  p->SetLeftIndent(static_cast<Integer>((LeftInd->GetLeft() + dragOfs_ - GutterWid) / RulerAdj) -
                   p->GetFirstIndent());
  SelectionChange(this);
}

void TRichEditWinEh::RightIndMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer) {
  dragging_ = false;
  Editor->GetParagraph()->SetRightIndent(
      static_cast<Integer>((Ruler->GetClientWidth() + dragOfs_ - RightInd->GetLeft() - 2) / RulerAdj) -
      2 * GutterWid);
  SelectionChange(this);
}

void TRichEditWinEh::OKButtonClick(TObject*) {
  SetModalResult(mrOk);
  if (GetDropDownMode()) Close();
}

void TRichEditWinEh::CancelButtonClick(TObject*) {
  SetModalResult(mrCancel);
  if (GetDropDownMode()) Close();
}

void InitializeRichEditFormsEh() {
  InitializePrinting();
  RegisterClass(TRichEditWinEh::StaticClass());
}
