// The data grid's find dialog.
#include "gridlib/base/DBGridEhFindDlgs.h"

#include "gridlib/base/GridLibLangConsts.h"
#include "platform/controls/Controls.h"
#include "platform/controls/ControlsLibrary.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/GraphicsApp.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

TDBGridEhFindDlg* DBGridEhFindDlg = nullptr;

namespace {

// Replaces the entries of a list in place, keeping the one selected.
void ReplaceListTexts(TDBComboBoxEh* box, std::initializer_list<String> texts) {
  const Integer selected = box->GetItemIndex();
  TStrings* items = box->GetItems();
  items->BeginUpdate();
  items->Clear();
  for (const String& text : texts) items->Add(text);
  items->EndUpdate();
  box->SetItemIndex(selected);
}

}  // namespace

TDBGridEhFindDlg::TDBGridEhFindDlg(TComponent* owner)
    : TForm(owner), FFindColumnsList(std::make_unique<TColumnsEhList>()) {
  KIV_FORM_CREATED(TDBGridEhFindDlg);
}

TDBGridEhFindDlg::~TDBGridEhFindDlg() {
  if (DBGridEhFindDlg == this) DBGridEhFindDlg = nullptr;
  // The base form raises OnDestroy when this class's members are gone already: the handler runs here.
  if (OnDestroy) {
    OnDestroy = nullptr;
    FormDestroy(this);
  }
}

void TDBGridEhFindDlg::Published(TPropBuilder<TDBGridEhFindDlg>& p) {
  p.Method(u"bFindClick", &TDBGridEhFindDlg::bFindClick);
  p.Method(u"bCancelClick", &TDBGridEhFindDlg::bCancelClick);
  p.Method(u"cbFindInChange", &TDBGridEhFindDlg::cbFindInChange);
  p.Method(u"cbTextChange", &TDBGridEhFindDlg::cbTextChange);
  p.Method(u"FormKeyDown", &TDBGridEhFindDlg::FormKeyDown);
  p.Method(u"FormCreate", &TDBGridEhFindDlg::FormCreate);
  p.Method(u"FormDestroy", &TDBGridEhFindDlg::FormDestroy);
}

void TDBGridEhFindDlg::FormCreate(TObject* /*Sender*/) {
  auto bind = [this](const Char* name, auto*& member) {
    member = dynamic_cast<std::remove_reference_t<decltype(member)>>(FindComponent(name));
    if (!member) throw Exception(String(u"The find dialog's form resource lacks ") + name);
  };
  bind(u"cbText", cbText);
  bind(u"bFind", bFind);
  bind(u"bCancel", bCancel);
  bind(u"Label1", Label1);
  bind(u"cbFindIn", cbFindIn);
  bind(u"Label2", Label2);
  bind(u"cbMatchinType", cbMatchinType);
  bind(u"cbMatchType", cbMatchType);
  bind(u"cbFindDirection", cbFindDirection);
  bind(u"Label3", Label3);
  bind(u"cbCharCase", cbCharCase);
  bind(u"cbUseFormat", cbUseFormat);
  bind(u"Label4", Label4);
  bind(u"dbcTreeFindRange", dbcTreeFindRange);
  for (TDBComboBoxEh* box : {cbText, cbFindIn}) box->SetDropDownRows(17);
  GetFont()->SetName(DefaultFontName());
  FSourceHeight = GetHeight();
  UpdateLocalizedTexts();
  cbMatchinType->SetItemIndex(0);
  cbFindDirection->SetItemIndex(2);
  dbcTreeFindRange->SetItemIndex(0);
}

void TDBGridEhFindDlg::FormDestroy(TObject* /*Sender*/) { FFindColumnsList.reset(); }

void TDBGridEhFindDlg::UpdateLocalizedTexts() {
  TGridLibLanguageConsts* c = GetGridLibLanguageConsts();
  SetCaption(c->GetDBGridEhFindDlg_Caption());
  Label1->SetCaption(c->GetDBGridEhFindDlg_FindWhat());
  Label2->SetCaption(c->GetDBGridEhFindDlg_FindIn());
  cbMatchType->SetCaption(c->GetDBGridEhFindDlg_Match());
  Label3->SetCaption(c->GetDBGridEhFindDlg_Search());
  Label4->SetCaption(c->GetDBGridEhFindDlg_FindInTree());
  bFind->SetCaption(c->GetDBGridEhFindDlg_FindNext());
  bCancel->SetCaption(c->GetDBGridEhFindDlg_Close());
  cbCharCase->SetCaption(c->GetDBGridEhFindDlg_MatchCase());
  cbUseFormat->SetCaption(c->GetDBGridEhFindDlg_MatchFormat());
  ReplaceListTexts(cbMatchinType, {c->GetDBGridEhFindDlg_FromAnyPart(), c->GetDBGridEhFindDlg_WholeField(),
                                   c->GetDBGridEhFindDlg_FromBeging()});
  ReplaceListTexts(cbFindDirection,
                   {c->GetDBGridEhFindDlg_Direction_Up(), c->GetDBGridEhFindDlg_Direction_Down(),
                    c->GetDBGridEhFindDlg_Direction_All()});
  ReplaceListTexts(
      dbcTreeFindRange,
      {c->GetDBGridEhFindDlg_TreeRange_InAllNodes(), c->GetDBGridEhFindDlg_TreeRange_InExpandedNodes(),
       c->GetDBGridEhFindDlg_TreeRange_InCurrentLevel(), c->GetDBGridEhFindDlg_TreeRange_InCurrentNode()});
}

void TDBGridEhFindDlg::Dispatch(TMessage& message) {
  TForm::Dispatch(message);
  if (message.Msg == WM_WININICHANGE && cbText) UpdateLocalizedTexts();
}

void TDBGridEhFindDlg::Notification(TComponent* component, TOperation operation) {
  TForm::Notification(component, operation);
  if (operation != opRemove || component != FGrid) return;
  // The grid is gone: its columns go with it.
  FGrid = nullptr;
  if (FFindColumnsList) FFindColumnsList->Clear();
  FColumnFields.clear();
  if (cbFindIn) {
    cbFindIn->GetItems()->Clear();
    cbFindIn->GetKeyItems()->Clear();
  }
}

void TDBGridEhFindDlg::Execute(TCustomDBGridEh* grid, const String& text, bool modal,
                               const TColumnFieldsArrEh* columnFields, const String& /*columnFieldName*/) {
  TDataSet* ds = grid && grid->GetDataSource() ? grid->GetDataSource()->GetDataSet() : nullptr;
  IMemTableEh* memTable = nullptr;
  const bool tree = ds && ds->GetActive() && Supports(ds, &memTable) && memTable->GetViewAsTreeList();
  if (tree) {
    SetHeight(FSourceHeight);
  } else {
    SetClientHeight(dbcTreeFindRange->GetTop());
  }
  Label4->SetVisible(tree);
  dbcTreeFindRange->SetVisible(tree);

  cbText->SetText(text);
  if (FGrid != grid) {
    if (FGrid) FGrid->RemoveFreeNotification(this);
    FGrid = grid;
    if (FGrid) FGrid->FreeNotification(this);
  }
  FColumnFields = columnFields ? *columnFields : TColumnFieldsArrEh();

  cbFindIn->OnChange = nullptr;
  // Unselected first: the box keeps an index of the old list otherwise.
  cbFindIn->SetItemIndex(-1);
  TStrings* items = cbFindIn->GetItems();
  items->BeginUpdate();
  items->Clear();
  FFindColumnsList->Clear();
  if (!FColumnFields.empty()) {
    for (const TColumnFieldItemEh& entry : FColumnFields) {
      items->AddObject(entry.Caption, entry.Column);
      FFindColumnsList->Add(entry.Column);
    }
  } else if (grid) {
    TColumnsEhList* visible = grid->GetVisibleColumns();
    for (Integer i = 0; i < visible->GetCount(); ++i) {
      TColumnEh* column = visible->GetColumn(i);
      items->AddObject(column->GetTitle()->GetCaption(), column);
      FFindColumnsList->Add(column);
    }
  }
  items->AddObject(GetGridLibLanguageConsts()->GetFindItemNameAllEh(), nullptr);
  items->EndUpdate();
  cbFindIn->GetKeyItems()->Assign(items);

  FCurInListColIndex = -1;
  if (grid && grid->GetSelectedIndex() >= 0) {
    const String caption = grid->GetColumns()->GetColumn(grid->GetSelectedIndex())->GetTitle()->GetCaption();
    for (Integer i = 0; i < items->GetCount() - 1; ++i)
      if (items->Get(i) == caption) {
        FCurInListColIndex = i;
        break;
      }
  }
  cbFindIn->SetItemIndex(FCurInListColIndex);
  cbFindIn->OnChange = TNotifyEvent(this, &TDBGridEhFindDlg::cbFindInChange);

  IsFirstTry = true;
  if (GetVisible()) Close();
  SetActiveControl(cbText);
  if (cbFindIn->GetItemIndex() < 0) cbFindIn->SetItemIndex(items->GetCount() - 1);

  if (modal) {
    SetFormStyle(fsNormal);
    ShowModal();
  } else {
    SetFormStyle(fsStayOnTop);
    Show();
    SetFocus();
  }
}

void TDBGridEhFindDlg::bFindClick(TObject* /*Sender*/) {
  const String text = cbText->GetText();
  if (cbText->GetItems()->IndexOf(text) < 0) cbText->GetItems()->Add(text);
  if (!FGrid || !FGrid->GetDataSource() || !FGrid->GetDataSource()->GetDataSet() ||
      !FGrid->GetDataSource()->GetDataSet()->GetActive())
    return;

  TLocateTextOptionsEh options;
  if (!cbCharCase->GetChecked()) options.Include(ltoCaseInsensitiveEh);
  if (cbUseFormat->GetChecked()) options.Include(ltoMatchFormatEh);
  const Integer findIn = cbFindIn->GetItemIndex();
  const bool allColumns = findIn >= 0 && findIn == cbFindIn->GetItems()->GetCount() - 1;
  if (allColumns) options.Include(ltoAllFieldsEh);

  TLocateTextDirectionEh direction = ltdAllEh;
  if (cbFindDirection->GetItemIndex() == 0) direction = ltdUpEh;
  if (cbFindDirection->GetItemIndex() == 1) direction = ltdDownEh;
  if (GetKeyState(VK_CONTROL) < 0) direction = direction == ltdUpEh ? ltdDownEh : ltdUpEh;
  if (!IsFirstTry && direction == ltdAllEh) direction = ltdDownEh;

  TLocateTextMatchingEh matching = ltmAnyPartEh;
  if (cbMatchinType->GetItemIndex() == 1) matching = ltmWholeEh;
  if (cbMatchinType->GetItemIndex() == 2) matching = ltmFromBegingEh;
  TLocateTextTreeFindRangeEh range = lttInAllNodesEh;
  switch (dbcTreeFindRange->GetItemIndex()) {
    case 1:
      range = lttInExpandedNodesEh;
      break;
    case 2:
      range = lttInCurrentLevelEh;
      break;
    case 3:
      range = lttInCurrentNodeEh;
      break;
    default:
      break;
  }

  String fieldName;
  if (findIn >= 0 && !allColumns)
    if (auto* column = dynamic_cast<TColumnEh*>(cbFindIn->GetItems()->Objects(findIn)))
      fieldName = column->GetFieldName();

  if (FGrid->LocateText(FGrid, fieldName, text, options, direction, matching, range, 0)) {
    IsFirstTry = false;
  } else {
    ShowMessage(Format(GetGridLibLanguageConsts()->GetFindDialogStringNotFoundMessage(), {text}));
  }
}

void TDBGridEhFindDlg::bCancelClick(TObject* /*Sender*/) { Close(); }

void TDBGridEhFindDlg::cbFindInChange(TObject* /*Sender*/) { IsFirstTry = true; }

void TDBGridEhFindDlg::cbTextChange(TObject* /*Sender*/) { IsFirstTry = true; }

void TDBGridEhFindDlg::FormKeyDown(TObject* /*Sender*/, Word& Key, TShiftState /*Shift*/) {
  if (Key != VK_RETURN && Key != VK_ESCAPE) return;
  TWinControl* active = GetActiveControl();
  if (active && active->Perform(CM_WANTSPECIALKEY, Key, 0) != 0) return;
  if (Key == VK_ESCAPE) {
    if (!IsModal()) {
      Close();
      Key = 0;
    }
  } else {
    bFindClick(this);
    Key = 0;
  }
  // The text stands as typed: a later Esc closes the dialog instead of taking the typing back.
  cbText->SetModified(false);
  cbText->GetDataLink()->SetModified(false);
}

void ExecuteDBGridEhFindDialogProc(TCustomDBGridEh* grid, const String& text, const String& columnFieldName,
                                   bool modal, const TColumnFieldsArrEh* columnFields) {
  if (!DBGridEhFindDlg) DBGridEhFindDlg = new TDBGridEhFindDlg(Application);
  DBGridEhFindDlg->Execute(grid, text, modal, columnFields, columnFieldName);
}

void InitializeDBGridEhFindDlgs() {
  InitializeControls();
  RegisterClasses(
      {TDBGridEhFindDlg::StaticClass(), TDBComboBoxEh::StaticClass(), TDBCheckBoxEh::StaticClass()});
  ShowDBGridEhFindDialogProc = ExecuteDBGridEhFindDialogProc;
}
