// The data-aware text, edit and lookup combo box: each follows its data link, and the edit and the
// combo box hand what the user chose back to the field.
#include "platform/dbctrls/DBCtrls.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QScrollBar>

#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/data/DataSet.h"
#include "platform/data/Fields.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

// A data link's data source, with the free notification the owner needs.
void LinkDataSource(TComponent* control, TDataLink* link, TDataSource* value) {
  TDataSource* old = link->GetDataSource();
  if (old == value) return;
  if (old) control->RemoveFreeNotification(old);
  link->SetDataSource(value);
  if (value) control->FreeNotification(value);
}

}  // namespace

namespace {
// How a field's focus request (TField::FocusControl) reaches its control. Installed when the first
// data control is made: the handler's own static may be initialised after this file's statics.
void InstallFocusHandler() {
  if (TFieldDataLink::FocusHandler) return;
  TFieldDataLink::FocusHandler = [](TComponent* component) {
    auto* control = dynamic_cast<TWinControl*>(component);
    if (!control || !control->CanFocus()) return false;
    control->SetFocus();
    return true;
  };
}
}  // namespace

// ======================= TDBText =======================

void TDBText::Published(TPropBuilder<TDBText>& p) {
  p.Object(u"DataSource", &TDBText::GetDataSource, &TDBText::SetDataSource);
  p.Str(u"DataField", &TDBText::GetDataField, &TDBText::SetDataField);
  p.Bool(u"AutoSize", &TDBText::GetAutoSize, &TDBText::SetAutoSize).Default(false);
}

TDBText::TDBText(TComponent* owner) : TCustomLabel(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
  SetAutoSize(false);
  SetShowAccelChar(false);
  // The label's automatic size may have shrunk it to its empty caption.
  SetBounds(left_, top_, 65, 17);
  InstallFocusHandler();
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TDBText::DataChange);
}

TDBText::~TDBText() {
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
}

void TDBText::SetDataSource(TDataSource* value) { LinkDataSource(this, dataLink_.get(), value); }

void TDBText::Notification(TComponent* component, TOperation operation) {
  TCustomLabel::Notification(component, operation);
  if (operation == opRemove && dataLink_ && component == dataLink_->GetDataSource()) SetDataSource(nullptr);
}

void TDBText::Dispatch(TMessage& message) {
  if (message.Msg == CM_GETDATALINK) {
    message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
    return;
  }
  TCustomLabel::Dispatch(message);
}

void TDBText::DataChange(TObject*) {
  TField* field = dataLink_->GetField();
  SetCaption(field ? field->GetDisplayText() : String());
}

// ======================= TDBEdit =======================

void TDBEdit::Published(TPropBuilder<TDBEdit>& p) {
  p.Object(u"DataSource", &TDBEdit::GetDataSource, &TDBEdit::SetDataSource);
  p.Str(u"DataField", &TDBEdit::GetDataField, &TDBEdit::SetDataField);
  p.Bool(u"ReadOnly", &TDBEdit::GetReadOnly, &TDBEdit::SetReadOnly).Default(false);
}

TDBEdit::TDBEdit(TComponent* owner) : TCustomMaskEdit(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
  controlStyle_ << csReplicatable;
  InstallFocusHandler();
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TDBEdit::DataChange);
  dataLink_->OnEditingChange = TNotifyEvent(this, &TDBEdit::EditingChange);
  dataLink_->OnUpdateData = TNotifyEvent(this, &TDBEdit::UpdateData);
  dataLink_->OnActiveChange = TNotifyEvent(this, &TDBEdit::ActiveChange);
}

TDBEdit::~TDBEdit() {
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->OnEditingChange = TNotifyEvent();
  dataLink_->OnUpdateData = TNotifyEvent();
  dataLink_->OnActiveChange = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
}

void TDBEdit::SetDataSource(TDataSource* value) {
  LinkDataSource(this, dataLink_.get(), value);
  SyncReadOnly();
}

void TDBEdit::SetReadOnly(bool value) {
  dataLink_->SetReadOnly(value);
  SyncReadOnly();
}

void TDBEdit::SyncReadOnly() {
  // Unbound, the edit is a plain edit; bound, the window takes input only when the field may change.
  bool bound = dataLink_->GetDataSource() != nullptr && !dataLink_->GetFieldName().empty();
  TCustomEdit::SetReadOnly(dataLink_->GetReadOnly() || (bound && !dataLink_->CanModify()));
}

void TDBEdit::Notification(TComponent* component, TOperation operation) {
  TCustomMaskEdit::Notification(component, operation);
  if (operation == opRemove && dataLink_ && component == dataLink_->GetDataSource()) SetDataSource(nullptr);
}

void TDBEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_GETDATALINK:
      message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
      return;
    case CM_WANTSPECIALKEY:
      // Esc takes back the user's typing before the form's Cancel button sees it.
      if (message.WParam == VK_ESCAPE && (dataLink_->GetModified() || GetModified())) {
        message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TCustomMaskEdit::Dispatch(message);
}

void TDBEdit::DataChange(TObject*) {
  TField* field = dataLink_->GetField();
  SyncReadOnly();
  if (!field) {
    fieldAlignment_ = taLeftJustify;
    SetEditMask(String());
    SetEditText(String());
    return;
  }
  if (fieldAlignment_ != field->GetAlignment()) {
    fieldAlignment_ = field->GetAlignment();
    SetAlignment(fieldAlignment_);
  }
  SetEditMask(field->GetEditMask());
  if ((field->GetDataType() == ftString || field->GetDataType() == ftWideString) && GetMaxLength() == 0)
    SetMaxLength(field->GetSize());
  if (focused_ && dataLink_->CanModify()) {
    SetText(field->GetText());
  } else {
    SetEditText(field->GetDisplayText());
    if (dataLink_->GetEditing() && dataLink_->GetModified()) SetModified(true);
  }
}

void TDBEdit::EditingChange(TObject*) { SyncReadOnly(); }

void TDBEdit::ActiveChange(TObject*) { SyncReadOnly(); }

void TDBEdit::UpdateData(TObject*) {
  ValidateEdit();
  if (TField* field = dataLink_->GetField()) field->SetText(GetText());
}

void TDBEdit::Change() {
  dataLink_->Modified();
  TCustomMaskEdit::Change();
}

bool TDBEdit::EditCanModify() { return !dataLink_->GetReadOnly() && dataLink_->Edit(); }

void TDBEdit::Reset() {
  dataLink_->Reset();
  SetModified(false);
  SelectAll();
}

void TDBEdit::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_ESCAPE && shift.Empty() && (dataLink_->GetModified() || GetModified())) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): only the user's event for this key
    TWinControl::KeyDown(key, shift);
    if (key == 0) return;
    Reset();
    key = 0;
    return;
  }
  // The keys that change the text put the dataset into edit state first; when it cannot, they are
  // dropped.
  bool edits = key == VK_DELETE || key == VK_BACK || (key == VK_INSERT && shift.Contains(ssShift)) ||
               (shift.Contains(ssCtrl) && (key == 'V' || key == 'X' || key == 'Z'));
  if (edits && !IsMasked() && !EditCanModify()) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): only the user's event for this key
    TWinControl::KeyDown(key, shift);
    key = 0;
    return;
  }
  TCustomMaskEdit::KeyDown(key, shift);
}

void TDBEdit::KeyPress(Char& key) {
  TField* field = dataLink_->GetField();
  if (key >= 32 && field && !field->IsValidChar(key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  if (key == u'\x1b') {
    Reset();
    key = 0;
    return;
  }
  // Unmasked, the window takes the character after this: the dataset must be editing by then.
  if (!IsMasked() && key >= 32 && !EditCanModify()) {
    key = 0;
    return;
  }
  TCustomMaskEdit::KeyPress(key);
}

void TDBEdit::CutToClipboardImpl() {
  if (!EditCanModify()) {
    CopyToClipboard();
    return;
  }
  TCustomMaskEdit::CutToClipboardImpl();
}

void TDBEdit::PasteFromClipboardImpl() {
  if (!EditCanModify()) return;
  TCustomMaskEdit::PasteFromClipboardImpl();
}

void TDBEdit::ClearSelectionImpl() {
  if (!EditCanModify()) return;
  TCustomMaskEdit::ClearSelectionImpl();
}

void TDBEdit::DoEnter() {
  // Focused, the edit shows the field's edit text rather than its display text.
  focused_ = true;
  dataLink_->Reset();
  TCustomMaskEdit::DoEnter();
}

void TDBEdit::DoExit() {
  try {
    dataLink_->UpdateRecord();
  } catch (...) {
    // The value stays for the user to mend; the focus comes back to it.
    SelectAll();
    if (CanFocus()) SetFocus();
    throw;
  }
  focused_ = false;
  dataLink_->Reset();
  CheckCursor();
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): the field check replaces the mask's
  TWinControl::DoExit();
}

// ======================= TDBLookupComboBox =======================

// The list source's link: the box follows the list dataset's opening, closing and changes.
class TLookupListLink : public TDataLink {
 public:
  explicit TLookupListLink(TDBLookupComboBox* box) : box_(box) {}

 protected:
  void ActiveChanged() override { box_->ListLinkChanged(); }
  void LayoutChanged() override { box_->ListLinkChanged(); }
  void DataSetChanged() override {}
  void RecordChanged(TField*) override {}

 private:
  TDBLookupComboBox* box_;
};

namespace {

// The drop-down: a Qt popup list that hands its keys to the box, so the keyboard works the same
// whether the box or the popup has it.
class LookupListWidget : public QListWidget {
 public:
  LookupListWidget(QWidget* keyTarget, std::function<void(int)> clicked, std::function<void()> hidden)
      : QListWidget(nullptr),
        keyTarget_(keyTarget),
        clicked_(std::move(clicked)),
        hidden_(std::move(hidden)) {
    setWindowFlags(Qt::Popup);
    // A click on the box that closes the list must not open it again.
    setAttribute(Qt::WA_NoMouseReplay);
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }

  void Detach() {
    clicked_ = nullptr;
    hidden_ = nullptr;
    keyTarget_ = nullptr;
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (keyTarget_) {
      QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat());
      QCoreApplication::sendEvent(keyTarget_, &copy);
    }
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QListWidgetItem* item = itemAt(event->position().toPoint());
    if (item && clicked_) clicked_(row(item));
  }
  void hideEvent(QHideEvent* event) override {
    QListWidget::hideEvent(event);
    if (hidden_) hidden_();
  }

 private:
  QPointer<QWidget> keyTarget_;
  std::function<void(int)> clicked_;
  std::function<void()> hidden_;
};

}  // namespace

class TLookupPopup {
 public:
  // The box is going away: the list's hiding must not call back into it.
  ~TLookupPopup() {
    if (list) list->Detach();
    delete list;
  }
  LookupListWidget* list = nullptr;
};

void TDBLookupComboBox::Published(TPropBuilder<TDBLookupComboBox>& p) {
  p.Object(u"DataSource", &TDBLookupComboBox::GetDataSource, &TDBLookupComboBox::SetDataSource);
  p.Str(u"DataField", &TDBLookupComboBox::GetDataField, &TDBLookupComboBox::SetDataField);
  p.Object(u"ListSource", &TDBLookupComboBox::GetListSource, &TDBLookupComboBox::SetListSource);
  p.Str(u"KeyField", &TDBLookupComboBox::GetKeyField, &TDBLookupComboBox::SetKeyField);
  p.Str(u"ListField", &TDBLookupComboBox::GetListField, &TDBLookupComboBox::SetListField);
  p.Int(u"ListFieldIndex", &TDBLookupComboBox::GetListFieldIndex, &TDBLookupComboBox::SetListFieldIndex)
      .Default(0);
  p.Int(u"DropDownRows", &TDBLookupComboBox::GetDropDownRows, &TDBLookupComboBox::SetDropDownRows).Default(7);
  p.Int(u"DropDownWidth", &TDBLookupComboBox::GetDropDownWidth, &TDBLookupComboBox::SetDropDownWidth)
      .Default(0);
  p.Int(u"NullValueKey", &TDBLookupComboBox::GetNullValueKey, &TDBLookupComboBox::SetNullValueKey).Default(0);
  p.Bool(u"ReadOnly", &TDBLookupComboBox::GetReadOnly, &TDBLookupComboBox::SetReadOnly).Default(false);
  p.Bool(u"TabStop", &TDBLookupComboBox::GetTabStop, &TDBLookupComboBox::SetTabStop).Default(true);
  p.Event(u"OnCloseUp", &TDBLookupComboBox::OnCloseUp);
  p.Event(u"OnDropDown", &TDBLookupComboBox::OnDropDown);
}

TDBLookupComboBox::TDBLookupComboBox(TComponent* owner)
    : TCustomControl(owner),
      dataLink_(std::make_unique<TFieldDataLink>()),
      listLink_(std::make_unique<TLookupListLink>(this)),
      popup_(std::make_unique<TLookupPopup>()) {
  width_ = 145;
  height_ = 21;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
  keyValue_ = Null();
  InstallFocusHandler();
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TDBLookupComboBox::DataChange);
}

TDBLookupComboBox::~TDBLookupComboBox() {
  // Nothing that goes away below calls back into the box: no close-up, no new text.
  destroying_ = true;
  listVisible_ = false;
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
  listLink_->SetDataSource(nullptr);
  popup_.reset();
}

void TDBLookupComboBox::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TDBLookupComboBox::SetDataSource(TDataSource* value) { LinkDataSource(this, dataLink_.get(), value); }

TDataSource* TDBLookupComboBox::GetListSource() const { return listLink_->GetDataSource(); }

void TDBLookupComboBox::SetListSource(TDataSource* value) { LinkDataSource(this, listLink_.get(), value); }

void TDBLookupComboBox::SetKeyField(const String& value) {
  keyFieldName_ = value;
  ListLinkChanged();
}

void TDBLookupComboBox::SetListField(const String& value) {
  listFieldNames_ = value;
  ListLinkChanged();
}

void TDBLookupComboBox::SetListFieldIndex(Integer value) {
  listFieldIndex_ = value < 0 ? 0 : value;
  UpdateText();
}

void TDBLookupComboBox::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (dataLink_ && component == dataLink_->GetDataSource()) SetDataSource(nullptr);
  if (listLink_ && component == listLink_->GetDataSource()) SetListSource(nullptr);
}

void TDBLookupComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_GETDATALINK:
      message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
      return;
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case CM_WANTSPECIALKEY:
      // While the list is open, Enter and Esc belong to it, not to the form's buttons.
      if (listVisible_ && (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE)) {
        message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(message);
}

TDataSet* TDBLookupComboBox::ListDataSet() const { return listLink_->GetDataSet(); }

bool TDBLookupComboBox::ListActive() const {
  return listLink_->GetActive() && ListDataSet() && KeyFieldOf() && ListFieldOf();
}

TField* TDBLookupComboBox::KeyFieldOf() const {
  TDataSet* ds = ListDataSet();
  if (!ds || !listLink_->GetActive() || keyFieldName_.empty()) return nullptr;
  // Several key fields are not supported by a single key value; the first names the key.
  std::vector<String> names = SplitFieldNames(keyFieldName_);
  return names.empty() ? nullptr : ds->FindField(names.front());
}

TField* TDBLookupComboBox::ListFieldOf() const {
  TDataSet* ds = ListDataSet();
  if (!ds || !listLink_->GetActive()) return nullptr;
  std::vector<String> names = SplitFieldNames(listFieldNames_.empty() ? keyFieldName_ : listFieldNames_);
  if (names.empty()) return nullptr;
  size_t index =
      static_cast<size_t>(listFieldIndex_) < names.size() ? static_cast<size_t>(listFieldIndex_) : 0;
  return ds->FindField(names[index]);
}

void TDBLookupComboBox::ListLinkChanged() {
  if (destroying_) return;
  if (listVisible_) CloseUp(false);
  if (listLink_->GetActive() && ListDataSet()) {
    // Wrong field names are an error of the form, reported as the dataset reports them.
    for (const String& name : SplitFieldNames(keyFieldName_)) ListDataSet()->FieldByName(name);
    for (const String& name : SplitFieldNames(listFieldNames_)) ListDataSet()->FieldByName(name);
  }
  UpdateText();
}

void TDBLookupComboBox::DataChange(TObject*) {
  TField* field = dataLink_->GetField();
  SetKeyValue(field ? field->GetValue() : Null());
}

void TDBLookupComboBox::SetKeyValue(const Variant& value) {
  bool same = VarIsNull(value) ? VarIsNull(keyValue_)
                               : (!VarIsEmptyOrNull(keyValue_) && VarSameValue(keyValue_, value));
  keyValue_ = VarIsEmpty(value) ? Null() : value;
  if (same && !text_.empty()) return;
  UpdateText();
}

void TDBLookupComboBox::UpdateText() {
  String text;
  if (!VarIsNull(keyValue_) && ListActive()) {
    TDataSet* ds = ListDataSet();
    if (ds->Locate(KeyFieldOf()->GetFieldName(), keyValue_, {})) text = ListFieldOf()->GetDisplayText();
  }
  if (text != text_) {
    text_ = text;
    Invalidate();
  }
}

void TDBLookupComboBox::SelectKeyValue(const Variant& value) {
  TField* field = dataLink_->GetField();
  if (field) {
    if (dataLink_->Edit()) field->SetValue(value);
  } else {
    SetKeyValue(value);
  }
  Invalidate();
  Click();
}

void TDBLookupComboBox::LoadRows() {
  rows_.clear();
  dropIndex_ = -1;
  if (!ListActive()) return;
  TDataSet* ds = ListDataSet();
  std::vector<TField*> fields;
  for (const String& name : SplitFieldNames(listFieldNames_.empty() ? keyFieldName_ : listFieldNames_))
    fields.push_back(ds->FieldByName(name));
  TField* key = KeyFieldOf();
  TBookmark mark = ds->GetBookmark();
  ds->DisableControls();
  // EnableControls refreshes the linked controls, which may raise.
  TryFinally(
      [&] {
        for (ds->First(); !ds->Eof(); ds->Next()) {
          Row row;
          row.key = key->GetValue();
          for (TField* f : fields) row.texts.push_back(f->GetDisplayText());
          rows_.push_back(std::move(row));
        }
        if (ds->BookmarkValid(mark)) ds->GotoBookmark(mark);
      },
      [&] { ds->EnableControls(); });
  for (size_t i = 0; i < rows_.size(); ++i)
    if (!VarIsNull(keyValue_) && VarSameValue(rows_[i].key, keyValue_)) dropIndex_ = static_cast<Integer>(i);
}

String TDBLookupComboBox::GetDropDownItemText(Integer index) const {
  if (index < 0 || index >= GetDropDownCount()) return String();
  String text;
  for (const String& t : rows_[static_cast<size_t>(index)].texts) {
    if (!text.empty()) text += u"  ";
    text += t;
  }
  return text;
}

void TDBLookupComboBox::DropDown() {
  if (listVisible_ || !ListActive()) return;
  if (OnDropDown) OnDropDown(this);
  LoadRows();
  listVisible_ = true;
  searchText_.clear();
  HandleNeeded();
  QWidget* owner = GetWidget();
  if (!popup_->list) {
    popup_->list = new LookupListWidget(
        owner, [this](int index) { GuardedCall(this, [this, index] { PopupClicked(index); }); },
        [this] { GuardedCall(this, [this] { PopupHidden(); }); });
  }
  LookupListWidget* list = popup_->list;
  list->clear();
  for (Integer i = 0; i < GetDropDownCount(); ++i) list->addItem(ToQString(GetDropDownItemText(i)));
  if (dropIndex_ >= 0) list->setCurrentRow(dropIndex_);
  int rowHeight = std::max(list->sizeHintForRow(0), 16);
  int rows = std::min<int>(dropDownRows_, std::max<int>(1, GetDropDownCount()));
  int width = dropDownWidth_ > 0 ? dropDownWidth_ : width_;
  QPoint below = owner ? owner->mapToGlobal(QPoint(0, owner->height())) : QPoint(0, 0);
  list->setGeometry(below.x(), below.y(), width, rows * rowHeight + 2 * list->frameWidth());
  list->show();
}

void TDBLookupComboBox::CloseUp(bool accept) {
  if (!listVisible_) return;
  listVisible_ = false;
  if (popup_ && popup_->list && popup_->list->isVisible()) popup_->list->hide();
  if (accept && !readOnly_ && dropIndex_ >= 0 && dropIndex_ < GetDropDownCount())
    SelectKeyValue(rows_[static_cast<size_t>(dropIndex_)].key);
  if (OnCloseUp) OnCloseUp(this);
}

void TDBLookupComboBox::PopupClicked(Integer index) {
  if (index < 0 || index >= GetDropDownCount()) return;
  dropIndex_ = index;
  CloseUp(true);
}

void TDBLookupComboBox::PopupHidden() {
  // Closed by a click elsewhere: nothing is chosen.
  if (listVisible_) CloseUp(false);
}

void TDBLookupComboBox::MoveHighlight(Integer delta, bool absolute) {
  Integer count = GetDropDownCount();
  if (count == 0) return;
  Integer index = absolute ? delta : (dropIndex_ < 0 ? (delta > 0 ? 0 : count - 1) : dropIndex_ + delta);
  dropIndex_ = std::clamp<Integer>(index, 0, count - 1);
  if (popup_->list) popup_->list->setCurrentRow(dropIndex_);
}

void TDBLookupComboBox::SelectNeighbour(Integer delta) {
  if (!ListActive() || readOnly_) return;
  LoadRows();
  if (rows_.empty()) return;
  Integer index = dropIndex_ < 0 ? 0 : std::clamp<Integer>(dropIndex_ + delta, 0, GetDropDownCount() - 1);
  if (dropIndex_ >= 0 && index == dropIndex_) return;
  SelectKeyValue(rows_[static_cast<size_t>(index)].key);
}

void TDBLookupComboBox::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  if (nullValueKey_ != 0 && ShortCut(key, shift) == nullValueKey_ && !readOnly_) {
    SelectKeyValue(Null());
    key = 0;
    return;
  }
  bool alt = shift.Contains(ssAlt);
  if ((key == VK_DOWN && alt) || (key == VK_UP && alt) || key == VK_F4) {
    if (listVisible_)
      CloseUp(true);
    else
      DropDown();
    key = 0;
    return;
  }
  if (listVisible_) {
    switch (key) {
      case VK_UP:
        MoveHighlight(-1, false);
        break;
      case VK_DOWN:
        MoveHighlight(1, false);
        break;
      case VK_PRIOR:
        MoveHighlight(-dropDownRows_, false);
        break;
      case VK_NEXT:
        MoveHighlight(dropDownRows_, false);
        break;
      case VK_HOME:
        MoveHighlight(0, true);
        break;
      case VK_END:
        MoveHighlight(GetDropDownCount() - 1, true);
        break;
      case VK_RETURN:
        CloseUp(true);
        break;
      case VK_ESCAPE:
        CloseUp(false);
        break;
      default:
        return;
    }
    key = 0;
    return;
  }
  if (key == VK_UP || key == VK_DOWN) {
    SelectNeighbour(key == VK_UP ? -1 : 1);
    key = 0;
  }
}

bool TDBLookupComboBox::ProcessSearchKey(Char key) {
  if (!ListActive() || readOnly_) return false;
  UInt64 now = GetTickCount();
  // A pause starts a new search, as in the class library's lists.
  if (now - static_cast<UInt64>(searchTick_) > 2000) searchText_.clear();
  searchTick_ = static_cast<Int64>(now);
  String candidate = searchText_;
  if (key == u'\b') {
    if (!candidate.empty()) candidate.pop_back();
  } else {
    candidate += key;
  }
  searchText_ = candidate;
  if (candidate.empty()) return true;
  if (listVisible_) {
    for (Integer i = 0; i < GetDropDownCount(); ++i) {
      const String& text = rows_[static_cast<size_t>(i)].texts[static_cast<size_t>(std::min<Integer>(
          listFieldIndex_, static_cast<Integer>(rows_[static_cast<size_t>(i)].texts.size()) - 1))];
      if (text.size() >= candidate.size() &&
          SameText(AnsiUpperCase(text.substr(0, candidate.size())), AnsiUpperCase(candidate))) {
        MoveHighlight(i, true);
        return true;
      }
    }
    searchText_.pop_back();
    return false;
  }
  TDataSet* ds = ListDataSet();
  if (ds->Locate(ListFieldOf()->GetFieldName(), candidate, {loCaseInsensitive, loPartialKey})) {
    SelectKeyValue(KeyFieldOf()->GetValue());
    return true;
  }
  searchText_.pop_back();
  UpdateText();
  return false;
}

void TDBLookupComboBox::KeyPress(Char& key) {
  TCustomControl::KeyPress(key);
  if (key == 0) return;
  if (key == u'\r' || key == u'\x1b' || key == u'\t') return;
  if (key >= 32 || key == u'\b') {
    if (!ProcessSearchKey(key)) MessageBeep(0);
    key = 0;
  }
}

void TDBLookupComboBox::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button == mbLeft) {
    if (CanFocus()) SetFocus();
    if (listVisible_)
      CloseUp(false);
    else
      DropDown();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TDBLookupComboBox::DoEnter() {
  // The focused box paints its text highlighted.
  Invalidate();
  TCustomControl::DoEnter();
}

void TDBLookupComboBox::DoExit() {
  if (listVisible_) CloseUp(false);
  Invalidate();
  TCustomControl::DoExit();
}

void TDBLookupComboBox::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect client = GetClientRect();
  Integer button = std::min<Integer>(17, client.Width() / 2);
  TRect textRect(client.Left, client.Top, client.Right - button, client.Bottom);
  canvas->GetFont()->Assign(GetFont());
  bool focused = Focused() && !listVisible_;
  canvas->GetBrush()->SetColor(focused ? clHighlight : GetColor());
  canvas->GetFont()->SetColor(focused ? clHighlightText : (IsEnabled() ? clWindowText : clGrayText));
  canvas->FillRect(textRect);
  Integer y = (client.Height() - canvas->TextHeight(u"Wg")) / 2;
  canvas->TextRect(textRect, textRect.Left + 2, y, text_);
  TRect buttonRect(client.Right - button, client.Top, client.Right, client.Bottom);
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->FillRect(buttonRect);
  canvas->GetBrush()->SetColor(clBtnShadow);
  canvas->FrameRect(buttonRect);
  Integer cx = (buttonRect.Left + buttonRect.Right) / 2;
  Integer cy = (buttonRect.Top + buttonRect.Bottom) / 2;
  canvas->GetBrush()->SetColor(IsEnabled() ? clBtnText : clGrayText);
  canvas->GetPen()->SetColor(IsEnabled() ? clBtnText : clGrayText);
  canvas->Polygon({TPoint(cx - 3, cy - 1), TPoint(cx + 3, cy - 1), TPoint(cx, cy + 2)});
}
