// The shared behaviour of the accounting's list and edit screens.
#include "app/ListScreen.h"

#include <memory>

#include "app/FormSetUp.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/rtl/Bcd.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

void SetUpListScreen(TCustomForm* form, int number, TDataSet* list, TDBGrid*& grid, TDataSource*& source,
                     TEdit*& filterBox) {
  BindComponent(form, u"DBGrid1", grid);
  BindComponent(form, u"DataSource1", source);
  BindComponent(form, u"Edit1", filterBox);
  source->SetDataSet(list);
  AccountingFormSetUp(form, number);
}

void SetUpDataGrid(TDBGridEh* grid) {
  grid->SetReadOnly(true);
  grid->SetAllowedOperations({});
}

String LikeFilter(const String& field, const String& typed, bool anywhere) {
  // Typed wildcards keep working; a typed "[" is only a character, never the start of "[c]".
  String text;
  for (Char c : typed) text += c == u'[' ? String(u"[[]") : String(1, c);
  return field + u" like " + QuotedStr((anywhere ? String(u"%") : String()) + text + u"%");
}

void ApplyListFilter(TDataSet* data, const String& typed, const String& filter) {
  if (typed.empty()) {
    data->SetFiltered(false);
    return;
  }
  TFilterOptions options;
  options.Include(foCaseInsensitive);
  data->SetFilterOptions(options);
  data->SetFilter(filter);
  data->SetFiltered(true);
}

void FilterBoxKeyDown(TDataSet* data, Word& key, bool swallowAll) {
  const bool arrow = key == VK_UP || key == VK_DOWN;
  if (key == VK_UP) data->Prior();
  if (key == VK_DOWN) data->Next();
  // Backspace and the clipboard keys are keys the box must still see, or the filter cannot be erased.
  const bool boxKey = (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE;
  if (arrow || (swallowAll && boxKey)) key = 0;
}

void ToggleSort(TCustomADODataSet* data, const String& field, std::initializer_list<TSortTexts> texts) {
  for (const TSortTexts& t : texts) {
    if (field != t.Field) continue;
    const bool descending = data->GetSort().find(u"DESC") != String::npos;
    data->SetSort(descending ? t.Ascending : t.Descending);
    return;
  }
}

void Reopen(TDataSet* data) {
  data->Close();
  data->Open();
}

void RestoreRecNo(TDataSet* data, Integer recNo) {
  if (data->IsEmpty()) return;
  const Integer count = data->GetRecordCount();
  data->SetRecNo(recNo > count ? count : (recNo < 1 ? 1 : recNo));
}

bool AskDelete(const String& text) {
  return Application->MessageBox(text, u"Удаление", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void DeleteListRow(TDataSet* list, const String& question, TADOCommand* command, const String& sql) {
  if (list->IsEmpty()) return;
  const Integer recNo = list->GetRecNo();
  if (AskDelete(question)) {
    RunStatement(command, sql, {{u"id", IntField(list, u"id")}});
    Reopen(list);
  }
  RestoreRecNo(list, recNo);
}

void ErrorBox(const String& text) { Application->MessageBox(text, u"Ошибка", MB_ICONSTOP); }

bool RequiredMissing(std::initializer_list<String> values) {
  for (const String& v : values) {
    if (v.empty()) {
      ErrorBox(u"Все поля должны быть заполнены!");
      return true;
    }
  }
  return false;
}

String TrimmedField(TDataSet* data, const Char* name) { return Trim(data->FieldByName(name)->GetAsString()); }

Integer IntField(TDataSet* data, const Char* name) {
  TField* f = data->FieldByName(name);
  return f->GetIsNull() ? 0 : f->GetAsInteger();
}

void SetEnabledByName(TComponent* form, const Char* name, bool enabled) {
  if (auto* control = dynamic_cast<TControl*>(form->FindComponent(name))) control->SetEnabled(enabled);
}

double CurrentFloat(TDataSet* data, const Char* name) {
  if (!data->GetActive() || data->IsEmpty()) return 0;
  TField* f = data->FieldByName(name);
  return f->GetIsNull() ? 0 : f->GetAsFloat();
}

Integer CurrentInt(TDataSet* data, const Char* name) {
  if (!data->GetActive() || data->IsEmpty()) return 0;
  return IntField(data, name);
}

Integer LookupKey(TDBLookupComboBox* box) {
  const Variant key = box->GetKeyValue();
  return key.IsNull() || key.IsEmpty() ? 0 : key.AsInteger();
}

void SetLookupKey(TDBLookupComboBox* box, Integer key) { box->SetKeyValue(Variant(key)); }

void FocusIfVisible(TWinControl* control) {
  if (control->GetVisible() && control->CanFocus()) control->SetFocus();
}

void StepFocusedLookup(std::initializer_list<TDBLookupComboBox*> boxes, Word key) {
  for (TDBLookupComboBox* box : boxes)
    if (box->Focused()) box->Perform(WM_KEYDOWN, key, 0);
}

bool TryDecimalValue(const String& typed, Variant& value) {
  if (typed.empty()) {
    value = Variant(0);
    return true;
  }
  String text = typed;
  const size_t comma = text.find(u',');
  if (comma != String::npos) text[comma] = u'.';
  TFormatSettings point = TFormatSettings::Russian();
  point.DecimalSeparator = u'.';
  TBcd number;
  if (!TryStrToBcd(text, number, point)) return false;
  value = Variant(number);
  return true;
}

Variant DecimalValue(const String& typed) {
  Variant value;
  if (!TryDecimalValue(typed, value)) throw EConvertError(u"'" + typed + u"' is not a valid number");
  return value;
}

Variant DecimalOf(double value) { return DecimalValue(FloatToStrF(value, ffFixed, 18, 6)); }

namespace {

void BindValues(TParameters* parameters, TBoundValues values) {
  for (const auto& [name, value] : values) {
    // A value the statement does not name is one the other branch of its handler uses.
    TParameter* p = parameters->FindParam(name);
    if (!p) continue;
    // A type left from the command's last text would bind this value as that type.
    p->SetDataType(ftUnknown);
    p->SetValue(value);
  }
}

}  // namespace

void RunStatement(TADOCommand* command, const String& sql, TBoundValues values) {
  command->SetCommandText(sql);
  BindValues(command->GetParameters(), values);
  command->Execute();
}

Integer InsertReturningId(TADOConnection* connection, const String& sql, TBoundValues values) {
  return QueryValue(connection, sql, values).AsInteger();
}

Variant QueryValue(TADOConnection* connection, const String& sql, TBoundValues values) {
  std::unique_ptr<TADOQuery> query(new TADOQuery(nullptr));
  query->SetConnection(connection);
  query->GetSQL()->SetText(sql);
  BindValues(query->GetParameters(), values);
  query->Open();
  const Variant value = query->IsEmpty() ? Variant::Null() : query->GetFields()->GetField(0)->GetValue();
  query->Close();
  return value;
}

void OpenWith(TADOQuery* query, TBoundValues values) {
  query->Close();
  BindValues(query->GetParameters(), values);
  query->Open();
}

TPickedItem PickedItemOf(TDataSet* items) {
  TPickedItem item;
  item.Id = IntField(items, u"id");
  item.Caption = TrimmedField(items, u"marka");
  item.UnitId = IntField(items, u"id_msm");
  item.UnitCaption = TrimmedField(items, u"s_identification");
  item.Painted = IntField(items, u"ral") != 0;
  item.BlankId = IntField(items, u"id_gds");
  return item;
}

namespace {
// The screens' resources name data sources; the class library's other controls register themselves.
const bool kListScreenClassesRegistered = [] {
  if (!GetClass(u"TDataSource")) RegisterClass(TDataSource::StaticClass());
  return true;
}();
}  // namespace
