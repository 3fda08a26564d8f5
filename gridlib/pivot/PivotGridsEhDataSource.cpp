// Pivot grid: the pivot data source. Reads a dataset into its source table and builds the base, axis
// and result tables, with progress reports that a consumer can answer with a cancel.
#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/pivot/PivotGridsEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

const char16_t* const kValueR = u"%Value-R";
const char16_t* const kValueC = u"%Value-C";
const char16_t* const kCountAll = u"Count(*)";
const char16_t* const kRecType = u"%RecType";
const char16_t* const kWidth = u"%Width";
const char16_t* const kForGridAggrLevel = u"ForGridAggrLevel";

// A field of the same class and settings under another name.
TMTDataFieldEh* CopyDataField(TMTDataStructEh* target, TMTDataFieldEh* source, const String& name) {
  TMTDataFieldEh* field = target->CreateField(source->ClassType());
  field->Assign(source);
  field->SetFieldName(name);
  return field;
}

TMTDataFieldEh* AddIntegerField(TMTDataStructEh* target, const String& name) {
  return target->BuildDataFieldForDef(name, ftInteger, 0, 0);
}

// Values of a result field are kept as the calculator gives them: a count of texts is a number and an
// average of whole numbers keeps its fraction.
TMTDataFieldEh* AddResultField(TMTDataStructEh* target, const String& name, const String& label) {
  TMTDataFieldEh* field = target->CreateField(TMTVariantDataFieldEh::StaticClass());
  field->SetFieldName(name);
  field->SetDisplayLabel(label);
  return field;
}

void SetStored(TMemoryRecordEh* rec, Integer index, const Variant& value) {
  rec->SetDataValue(index, dvvValueEh, value);
}

std::vector<Integer> Range(Integer from, Integer count) {
  std::vector<Integer> result;
  for (Integer i = 0; i < count; ++i) result.push_back(from + i);
  return result;
}

std::vector<Variant> KeyOf(TMemoryRecordEh* rec, const std::vector<Integer>& indexes) {
  std::vector<Variant> key;
  key.reserve(indexes.size());
  const TRecValuesEh& data = rec->GetData();
  for (Integer i : indexes) key.push_back(data[static_cast<size_t>(i)]);
  return key;
}

}  // namespace

TPivotDataSourceEh::TPivotDataSourceEh(TComponent* owner)
    : TComponent(owner),
      FPivotFields(std::make_unique<TPivotFieldsEh>(this)),
      FColumnFields(std::make_unique<TStringList>()),
      FRowFields(std::make_unique<TStringList>()),
      FActualColFlds(std::make_unique<TStringList>()),
      FActualRowFlds(std::make_unique<TStringList>()),
      FValueFieldsInfo(std::make_unique<TValueFieldsCollectionEh>(this)),
      FActualValueFields(std::make_unique<TValueFieldsCollectionEh>(this)) {
  FColumnFields->OnChange = TNotifyEvent(this, &TPivotDataSourceEh::AxisListChanged);
  FRowFields->OnChange = TNotifyEvent(this, &TPivotDataSourceEh::AxisListChanged);
  FValueFieldsInfo->OnChangeNotification =
      TCollectionChangeEventEh(this, &TPivotDataSourceEh::ValueDefsChanged);
  for (auto* table : {&FSourceTable, &FBaseTable, &FFullBaseTable, &FColsTable, &FRowsTable,
                      &FResultAggrTable, &FTransResultAggrTable, &FBaseColsTable, &FOldBaseColsTable})
    *table = std::make_unique<TPivotMemTableEh>(nullptr);
  FBaseTable->OnCallBackProgress = TNotifyEvent(this, &TPivotDataSourceEh::BaseTableProgress);
  FFullBaseTable->SetExternalMemData(FBaseTable.get());
}

TPivotDataSourceEh::~TPivotDataSourceEh() {
  FFullBaseTable->Close();
  FFullBaseTable->SetExternalMemData(nullptr);
}

void TPivotDataSourceEh::SetDataSet(TDataSet* value) {
  if (FDataSet == value) return;
  if (FDataSet) FDataSet->RemoveFreeNotification(this);
  FDataSet = value;
  if (FDataSet) FDataSet->FreeNotification(this);
}

void TPivotDataSourceEh::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FDataSet) FDataSet = nullptr;
}

void TPivotDataSourceEh::RegisterChanges(IPivotDataSourceNotificationEh* value) {
  if (std::find(FNotificationConsumers.begin(), FNotificationConsumers.end(), value) ==
      FNotificationConsumers.end())
    FNotificationConsumers.push_back(value);
}

void TPivotDataSourceEh::UnRegisterChanges(IPivotDataSourceNotificationEh* value) {
  std::erase(FNotificationConsumers, value);
}

void TPivotDataSourceEh::LogTimeMetric(const String& name, UInt64 startTicks) {
  if (OnLogTimeMetric) OnLogTimeMetric(this, name, static_cast<Cardinal>(GetTickCount() - startTicks));
}

// ---- Notifications ----

void TPivotDataSourceEh::NotifyPivotDataChanged() {
  for (auto* consumer : std::vector(FNotificationConsumers)) consumer->PivotDataChanged(this);
}

void TPivotDataSourceEh::NotifyBuildDataStarted() {
  for (auto* consumer : std::vector(FNotificationConsumers)) consumer->BuildDataStarted(this);
}

void TPivotDataSourceEh::NotifyBuildDataFinished() {
  const UInt64 start = GetTickCount();
  for (auto* consumer : std::vector(FNotificationConsumers)) consumer->BuildDataFinished(this);
  LogTimeMetric(u"  PivotDataFinishChanging", start);
}

void TPivotDataSourceEh::NotifyBuildDataAborted() {
  for (auto* consumer : std::vector(FNotificationConsumers)) consumer->BuildDataAborted(this);
}

void TPivotDataSourceEh::ReportBuildProgress(Integer percent) {
  FPercent = percent;
  if (FNotificationConsumers.empty()) return;
  const UInt64 now = GetTickCount();
  if (now - FCheckCancelRequestTime < 300 && percent != 100) return;
  bool cancel = false;
  for (auto* consumer : std::vector(FNotificationConsumers))
    if ((cancel = consumer->BuildDataProgress(this, now - FBuildDataProgressTicks, percent))) break;
  FCheckCancelRequestTime = GetTickCount();
  if (cancel) Abort();
}

void TPivotDataSourceEh::BaseTableProgress(TObject*) { ReportBuildProgress(FPercent); }

// ---- Definition changes ----

void TPivotDataSourceEh::AxisListChanged(TObject*) { StructureChanged(); }

void TPivotDataSourceEh::ValueDefsChanged(TCollection*, TCollectionItem*, TCollectionNotification) {
  StructureChanged();
}

void TPivotDataSourceEh::PivotDataStructEndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) StructureChanged();
}

void TPivotDataSourceEh::ResolveAxisFields() {
  if (FInternalDefinitionUpdating || GetComponentState().Contains(csDestroying)) return;
  FInternalDefinitionUpdating = true;
  auto done = MakeScopeExit([this] { FInternalDefinitionUpdating = false; });
  // A name that finds no field leaves no object: an object kept from before may have been freed with
  // the fields it came from.
  for (TStringList* list : {FRowFields.get(), FColumnFields.get()})
    for (int i = 0; i < list->GetCount(); ++i)
      list->PutObject(i, FPivotFields->FindFieldByName(list->Get(i)));
  FValueFieldsInfo->UpdatePivotFieldsFromPivotFieldNames();
}

void TPivotDataSourceEh::ResetUnusedFilterExpressions() {
  for (int i = 0; i < FPivotFields->GetCount(); ++i) {
    TPivotFieldEh* field = FPivotFields->GetPivotField(i);
    if (FRowFields->IndexOfObject(field) < 0 && FColumnFields->IndexOfObject(field) < 0)
      field->ClearExpression();
  }
}

void TPivotDataSourceEh::StructureChanged() {
  if (FInternalDefinitionUpdating || FUpdateCount > 0) return;
  ResolveAxisFields();
  ResetUnusedFilterExpressions();
  for (auto* consumer : std::vector(FNotificationConsumers)) consumer->PivotStructureChanged(this);
}

void TPivotDataSourceEh::PivotFieldsChanged() {
  ResolveAxisFields();
  DestroyPivotTables();
  for (auto* consumer : std::vector(FNotificationConsumers)) consumer->PivotDefinitionChanged(this);
}

void TPivotDataSourceEh::PivotFieldsDisplayChanged() {
  ResolveAxisFields();
  for (auto* consumer : std::vector(FNotificationConsumers)) consumer->PivotDefinitionChanged(this);
}

void TPivotDataSourceEh::DestroyPivotTables() {
  // The actual lists hold the fields as objects: they go with the tables built from them.
  FActualColFlds->Clear();
  FActualRowFlds->Clear();
  FActualValueFields->Clear();
  FFilteredBase.clear();
  FFullBaseTable->Close();
  for (TPivotMemTableEh* table : {FSourceTable.get(), FColsTable.get(), FRowsTable.get(), FBaseTable.get(),
                                  FResultAggrTable.get(), FTransResultAggrTable.get()})
    table->ResetTable();
}

bool TPivotDataSourceEh::DataIsEmpty() const {
  if (FActualColFlds->GetCount() == 0 && FActualRowFlds->GetCount() == 0 &&
      FActualValueFields->GetCount() == 0)
    return true;
  return !(FPivotFields->GetCount() > 0 && FColsTable->GetActive() && FRowsTable->GetActive());
}

// ---- Source table ----

void TPivotDataSourceEh::LoadAndBuildPivotData() {
  CreateAndFillSourceTable();
  BuildPivotData();
}

void TPivotDataSourceEh::CreateAndFillSourceTable() {
  if (!FDataSet) throw Exception(GetName() + u".DataSet is not assigned");
  const UInt64 start = GetTickCount();
  UInt64 step = start;
  CreateSourceTableStruct();
  LogTimeMetric(u"  CreateSourceTableStruct", step);
  step = GetTickCount();
  FillSourceTable();
  LogTimeMetric(u"  FillSourceTable", step);
  step = GetTickCount();
  UpdateKeyValueStates();
  LogTimeMetric(u"  UpdateKeyValueStates", step);
  LogTimeMetric(u"CreateAndFillSourceTable", start);
}

void TPivotDataSourceEh::CreateSourceTableStruct() {
  FSourceTable->ResetTable();
  TMTDataStructEh* target = FSourceTable->Struct();
  for (int i = 0; i < FPivotFields->GetCount(); ++i) {
    TPivotFieldEh* pivotField = FPivotFields->GetPivotField(i);
    TField* field = pivotField->GetSourceFieldName().empty()
                        ? nullptr
                        : FDataSet->FindField(pivotField->GetSourceFieldName());
    TFieldType type = field ? field->GetDataType() : pivotField->GetTypeDef()->DataType;
    if (!field && type == ftUnknown)
      throw Exception(u"Поле сводной таблицы \"" + pivotField->GetFieldName() +
                      u"\": в наборе данных нет поля \"" + pivotField->GetSourceFieldName() +
                      u"\", а тип поля не задан");
    // A sliced date-time keeps its time of day only below the day level.
    if (pivotField->GetSliceLevel() != dtslNonEh && type == ftDate) type = ftDateTime;
    if (type == ftAutoInc) type = ftLargeint;
    TMTDataFieldEh* dataField = target->BuildDataFieldForDef(
        pivotField->GetFieldName(), type, field ? field->GetSize() : pivotField->GetTypeDef()->Size,
        field ? 0 : pivotField->GetTypeDef()->Precision);
    if (field && type == field->GetDataType()) dataField->AssignProps(field);
    dataField->SetFieldName(pivotField->GetFieldName());
    dataField->SetDisplayLabel(pivotField->GetDisplayName());
  }
}

void TPivotDataSourceEh::FillSourceTable() {
  const int count = FPivotFields->GetCount();
  std::vector<TField*> fields(static_cast<size_t>(count), nullptr);
  for (int i = 0; i < count; ++i)
    fields[static_cast<size_t>(i)] =
        FDataSet->FindField(FPivotFields->GetPivotField(i)->GetSourceFieldName());
  TRecordsListEh* list = FSourceTable->Records();
  FDataSet->DisableControls();
  const bool uni = FDataSet->IsUniDirectional();
  list->BeginUpdate();
  TryFinally(
      [&] {
        if (!uni) FDataSet->First();
        while (!FDataSet->GetEof()) {
          std::unique_ptr<TMemoryRecordEh> rec(list->NewRecord());
          for (int i = 0; i < count; ++i) {
            TPivotFieldEh* pivotField = FPivotFields->GetPivotField(i);
            Variant value = Variant::Null();
            bool processed = false;
            if (pivotField->OnFetchValue) pivotField->OnFetchValue(this, pivotField, value, processed);
            if (!processed) value = pivotField->GetValueForSource(FDataSet, fields[static_cast<size_t>(i)]);
            SetStored(rec.get(), i, value);
          }
          list->FetchRecord(rec.release());
          FDataSet->Next();
        }
      },
      [&] {
        list->EndUpdate();
        if (!uni) FDataSet->First();
        FDataSet->EnableControls();
      });
  FSourceTable->OpenIfClosed();
}

void TPivotDataSourceEh::UpdateKeyValueStates() {
  for (int i = 0; i < FPivotFields->GetCount(); ++i) FPivotFields->GetPivotField(i)->UpdateKeyValueStates();
}

// ---- Build ----

void TPivotDataSourceEh::BuildPivotData() { RunBuild(false); }

void TPivotDataSourceEh::BuildGridData() { RunBuild(true); }

void TPivotDataSourceEh::EmptyBuildTables() {
  FFilteredBase.clear();
  for (TPivotMemTableEh* table : {FBaseTable.get(), FColsTable.get(), FRowsTable.get(),
                                  FResultAggrTable.get(), FTransResultAggrTable.get()}) {
    table->Close();
    table->Records()->Clear();
    if (table->Struct()->GetCount() > 0) table->Open();
  }
}

void TPivotDataSourceEh::RunBuild(bool fromGrid) {
  const UInt64 start = GetTickCount();
  FBuildDataProgressTicks = start;
  FCheckCancelRequestTime = start;
  NotifyBuildDataStarted();
  // The consumers dim themselves at the start: they hear of the end on every path, errors included.
  TryFinally(
      [&] {
        if (fromGrid && FColumnFields->GetCount() == 0 && FRowFields->GetCount() == 0 &&
            FValueFieldsInfo->GetCount() == 0) {
          NotifyPivotDataChanged();
          return;
        }
        try {
          CreateAndFillBaseTable();
          UpdateBaseTableFilter();
          BuildResultTables();
        } catch (const EAbort&) {
          NotifyBuildDataAborted();
          EmptyBuildTables();
        } catch (...) {
          // Half-built tables are not left behind for the grid to read.
          EmptyBuildTables();
          throw;
        }
      },
      [&] { NotifyBuildDataFinished(); });
  LogTimeMetric(fromGrid ? u"BuildGridData" : u"BuildPivotData", start);
}

void TPivotDataSourceEh::SetDataFilter() {
  const UInt64 start = GetTickCount();
  FBuildDataProgressTicks = start;
  FCheckCancelRequestTime = start;
  NotifyBuildDataStarted();
  TryFinally(
      [&] {
        try {
          UpdateBaseTableFilter();
          ReportBuildProgress(1);
          BuildResultTables();
          ReportBuildProgress(100);
        } catch (const EAbort&) {
          // A cancelled filter keeps the tables as far as they were built; the consumer asked for it.
        }
      },
      [&] { NotifyBuildDataFinished(); });
  LogTimeMetric(u"SetDataFilter", start);
}

void TPivotDataSourceEh::CreateAndFillBaseTable() {
  const UInt64 start = GetTickCount();
  CreateBaseTableStruct();
  ReportBuildProgress(1);
  FillBaseTable();
  ReportBuildProgress(5);
  LogTimeMetric(u"  CreateAndFillBaseTable", start);
}

void TPivotDataSourceEh::CreateBaseTableStruct() {
  if (FSourceTable->Struct()->GetCount() == 0 && FPivotFields->GetCount() > 0)
    throw Exception(u"Данные сводной таблицы не загружены: сначала загрузите их из набора данных");
  FFullBaseTable->Close();
  FBaseTable->ResetTable();
  TMTDataStructEh* target = FBaseTable->Struct();
  TMTDataStructEh* source = FSourceTable->Struct();
  ResolveAxisFields();

  auto addAxis = [&](TStringList* definition, TStringList* actual, const char16_t* placeholder,
                     String& names) {
    actual->Clear();
    names.clear();
    if (definition->GetCount() == 0) {
      actual->AddObject(placeholder, nullptr);
      ReportBuildProgress(0);
      AddIntegerField(target, placeholder)
          ->SetDisplayLabel(GetGridLibLanguageConsts()->GetPivotValueFieldDisplayNameEh());
      names = placeholder;
      return;
    }
    for (int i = 0; i < definition->GetCount(); ++i) {
      auto* pivotField = static_cast<TPivotFieldEh*>(definition->GetObject(i));
      if (!pivotField) throw Exception(u"Поле сводной таблицы \"" + definition->Get(i) + u"\" не найдено");
      TMTDataFieldEh* sourceField = source->FindField(pivotField->GetFieldName());
      if (!sourceField)
        throw Exception(u"Поле \"" + pivotField->GetFieldName() +
                        u"\" появилось после загрузки данных: загрузите данные заново");
      ReportBuildProgress(0);
      TMTDataFieldEh* field = CopyDataField(target, sourceField, pivotField->GetFieldName());
      field->SetDisplayLabel(pivotField->GetDisplayName());
      field->SetRequired(false);
      actual->AddObject(pivotField->GetFieldName(), pivotField);
      if (!names.empty()) names += u";";
      names += pivotField->GetFieldName();
    }
  };
  addAxis(FRowFields.get(), FActualRowFlds.get(), kValueR, FRowsFieldNames);
  addAxis(FColumnFields.get(), FActualColFlds.get(), kValueC, FColsFieldNames);

  FActualValueFields->BeginUpdate();
  auto endValues = MakeScopeExit([this] { FActualValueFields->EndUpdate(); });
  FActualValueFields->Clear();
  for (int i = 0; i < FValueFieldsInfo->GetCount(); ++i) {
    TPivotFieldValueInfoEh* definition = FValueFieldsInfo->GetPivotFieldValueInfo(i);
    // A definition that names no field would aggregate nothing the user chose: it is refused by name.
    if (!definition->GetPivotField())
      throw Exception(u"Поле значений \"" + definition->GetPivotFieldName() +
                      u"\" не найдено среди полей сводной таблицы");
    if (definition->GetSumFunction() == svtCustomEh)
      throw Exception(u"Для пользовательской итоговой функции поля \"" + definition->GetPivotFieldName() +
                      u"\" нет вычислителя: выберите другую функцию");
    TMTDataFieldEh* sourceField = source->FindField(definition->GetPivotField()->GetFieldName());
    if (!sourceField)
      throw Exception(u"Поле \"" + definition->GetPivotFieldName() +
                      u"\" появилось после загрузки данных: загрузите данные заново");
    ReportBuildProgress(0);
    auto* actual =
        static_cast<TPivotFieldValueInfoEh*>(static_cast<TCollection*>(FActualValueFields.get())->Add());
    actual->Assign(definition);
    const String name =
        definition->GetPivotFieldName() + u"-" + PivotFunctionShortNameEh(definition->GetSumFunction());
    TMTDataFieldEh* field = CopyDataField(target, sourceField, name);
    field->SetDisplayLabel(definition->GetPivotFieldName() + u"-" +
                           PivotFunctionDisplayNameEh(definition->GetSumFunction()));
    field->SetRequired(false);
  }
  if (FValueFieldsInfo->GetCount() == 0) {
    auto* actual =
        static_cast<TPivotFieldValueInfoEh*>(static_cast<TCollection*>(FActualValueFields.get())->Add());
    actual->FPivotFieldName = kCountAll;
    actual->FSumFunction = svtCountEh;
    AddIntegerField(target, kCountAll);
  }
  FR = FActualRowFlds->GetCount();
  FC = FActualColFlds->GetCount();
  FV = FActualValueFields->GetCount();
}

void TPivotDataSourceEh::FillBaseTable() {
  TMTDataStructEh* source = FSourceTable->Struct();
  std::vector<Integer> map;
  for (TStringList* axis : {FActualRowFlds.get(), FActualColFlds.get()})
    for (int i = 0; i < axis->GetCount(); ++i) {
      ReportBuildProgress(2);
      map.push_back(axis->GetObject(i) ? source->FieldIndex(axis->Get(i)) : -1);
    }
  for (int i = 0; i < FActualValueFields->GetCount(); ++i) {
    ReportBuildProgress(3);
    TPivotFieldEh* field = FActualValueFields->GetPivotFieldValueInfo(i)->GetPivotField();
    map.push_back(field ? source->FieldIndex(field->GetFieldName()) : -1);
  }
  TRecordsListEh* from = FSourceTable->Records();
  TRecordsListEh* to = FBaseTable->Records();
  to->BeginUpdate();
  auto end = MakeScopeExit([to] { to->EndUpdate(); });
  const Variant zero(0);
  for (Integer r = 0; r < from->GetCount(); ++r) {
    if ((r & 0x3FFF) == 0) ReportBuildProgress(4);
    const TRecValuesEh& values = from->GetRec(r)->GetData();
    std::unique_ptr<TMemoryRecordEh> rec(to->NewRecord());
    for (size_t f = 0; f < map.size(); ++f)
      SetStored(rec.get(), static_cast<Integer>(f), map[f] < 0 ? zero : values[static_cast<size_t>(map[f])]);
    to->FetchRecord(rec.release());
  }
}

void TPivotDataSourceEh::UpdateBaseTableFilter() {
  std::vector<std::pair<Integer, TPivotFieldEh*>> filtered;
  for (TStringList* axis : {FActualRowFlds.get(), FActualColFlds.get()})
    for (int i = 0; i < axis->GetCount(); ++i) {
      auto* field = static_cast<TPivotFieldEh*>(axis->GetObject(i));
      if (field && field->GetKeyValueStates()->HaveHiddenKeys())
        filtered.emplace_back(FBaseTable->Struct()->FieldIndex(field->GetFieldName()), field);
    }
  // The text form of the filter is what the table shows; the records are chosen by the keys themselves,
  // which no text conversion can blur.
  String text;
  for (auto& [index, field] : filtered) {
    const String part = field->GetFilterExpressionAsStr();
    if (part.empty()) continue;
    if (!text.empty()) text += u" AND ";
    text += part;
  }
  FFilterText = text;
  FFilters = filtered;
  RefreshFilteredBase();
}

void TPivotDataSourceEh::RefreshFilteredBase() {
  TRecordsListEh* list = FBaseTable->Records();
  FFilteredBase.clear();
  FFilteredBase.reserve(static_cast<size_t>(list->GetCount()));
  for (Integer r = 0; r < list->GetCount(); ++r) {
    TMemoryRecordEh* rec = list->GetRec(r);
    bool visible = true;
    for (auto& [index, field] : FFilters)
      if (!(visible = field->KeyVisible(rec->GetData()[static_cast<size_t>(index)]))) break;
    if (visible) FFilteredBase.push_back(rec);
  }
}

void TPivotDataSourceEh::SortBase(const std::vector<Integer>& fieldIndexes) {
  FBaseTable->SortByFieldIndexes(fieldIndexes);
  RefreshFilteredBase();
}

void TPivotDataSourceEh::BuildResultTables() {
  MakeColsRowsTables();
  MakeResultAggrTable();
  MakeTransResultAggrTable();
  for (TPivotMemTableEh* table : {FBaseTable.get(), FColsTable.get(), FRowsTable.get(),
                                  FResultAggrTable.get(), FTransResultAggrTable.get(), FBaseColsTable.get()})
    table->OpenIfClosed();
  FFullBaseTable->OpenIfClosed();
  ReportBuildProgress(100);
  NotifyPivotDataChanged();
}

// ---- Axis tables ----

void TPivotDataSourceEh::MakeColsRowsTables() {
  const UInt64 start = GetTickCount();
  const std::vector<Integer> cols = Range(FR, FC), rows = Range(0, FR);
  SortBase(cols);
  ReportBuildProgress(16);
  MakeBaseColsTable();

  auto recreateAxis = [&](TPivotMemTableEh* table, const std::vector<Integer>& keys) {
    table->ResetTable();
    for (Integer k : keys) {
      TMTDataFieldEh* field = CopyDataField(table->Struct(), FBaseTable->Struct()->GetDataField(k),
                                            FBaseTable->Struct()->GetDataField(k)->GetFieldName());
      field->SetRequired(false);
    }
    AddIntegerField(table->Struct(), kRecType);
  };
  recreateAxis(FColsTable.get(), cols);
  FillAxisTable(FColsTable.get(), FFilteredBase, cols);
  ReportBuildProgress(17);

  std::vector<Integer> rowsThenCols = rows;
  rowsThenCols.insert(rowsThenCols.end(), cols.begin(), cols.end());
  SortBase(rowsThenCols);
  ReportBuildProgress(36);
  recreateAxis(FRowsTable.get(), rows);
  FillAxisTable(FRowsTable.get(), FFilteredBase, rows);
  ReportBuildProgress(37);
  LogTimeMetric(u"  MakeColsRowsTables", start);
}

void TPivotDataSourceEh::MakeBaseColsTable() {
  // The previous column axis with its widths, to carry the widths over.
  FOldBaseColsTable->ResetTable();
  for (Integer i = 0; i < FBaseColsTable->Struct()->GetCount(); ++i) {
    TMTDataFieldEh* field = FBaseColsTable->Struct()->GetDataField(i);
    CopyDataField(FOldBaseColsTable->Struct(), field, field->GetFieldName());
  }
  for (Integer r = 0; r < FBaseColsTable->Records()->GetCount(); ++r) {
    TMemoryRecordEh* rec = FOldBaseColsTable->AppendStored();
    const TRecValuesEh& values = FBaseColsTable->Records()->GetRec(r)->GetData();
    for (size_t f = 0; f < values.size(); ++f) SetStored(rec, static_cast<Integer>(f), values[f]);
  }
  if (FOldBaseColsTable->Struct()->GetCount() > 0) FOldBaseColsTable->OpenIfClosed();

  FBaseColsTable->ResetTable();
  const std::vector<Integer> cols = Range(FR, FC);
  for (Integer k : cols) {
    TMTDataFieldEh* field = CopyDataField(FBaseColsTable->Struct(), FBaseTable->Struct()->GetDataField(k),
                                          FBaseTable->Struct()->GetDataField(k)->GetFieldName());
    field->SetRequired(false);
  }
  AddIntegerField(FBaseColsTable->Struct(), kRecType);
  AddIntegerField(FBaseColsTable->Struct(), kWidth);
  std::vector<TMemoryRecordEh*> all;
  TRecordsListEh* list = FBaseTable->Records();
  all.reserve(static_cast<size_t>(list->GetCount()));
  for (Integer r = 0; r < list->GetCount(); ++r) all.push_back(list->GetRec(r));
  FillAxisTable(FBaseColsTable.get(), all, cols);
  FillBaseColsTableDataState();
}

void TPivotDataSourceEh::FillBaseColsTableDataState() {
  TRecordsListEh* fresh = FBaseColsTable->Records();
  TRecordsListEh* old = FOldBaseColsTable->Records();
  const Integer widthNew = FC + 1;
  const Integer oldKeys = FOldBaseColsTable->Struct()->GetCount() - 2;
  const Integer widthOld = oldKeys + 1;
  const std::vector<Integer> newIdx = Range(0, FC), oldIdx = Range(0, std::max<Integer>(oldKeys, 0));
  Integer n = 0, o = 0;
  while (n < fresh->GetCount() && o < old->GetCount()) {
    const Integer c = PivotKeyArrayCompareEh(KeyOf(fresh->GetRec(n), newIdx), KeyOf(old->GetRec(o), oldIdx));
    if (c == 3)
      throw Exception(u"TPivotDataSourceEh.FillBaseColsTableDataState() .. CompareResult = vrNotEqual");
    if (c == 0) {
      SetStored(fresh->GetRec(n++), widthNew, old->GetRec(o++)->GetData()[static_cast<size_t>(widthOld)]);
    } else if (c == 1) {
      SetStored(fresh->GetRec(n++), widthNew, Variant(-1));
    } else {
      ++o;
    }
  }
  for (; n < fresh->GetCount(); ++n) SetStored(fresh->GetRec(n), widthNew, Variant(-1));
}

void TPivotDataSourceEh::FillAxisTable(TPivotMemTableEh* target, const std::vector<TMemoryRecordEh*>& source,
                                       const std::vector<Integer>& keyIndexes) {
  if (source.empty()) return;
  const Integer n = static_cast<Integer>(keyIndexes.size());
  TRecordsListEh* list = target->Records();
  list->BeginUpdate();
  auto end = MakeScopeExit([list] { list->EndUpdate(); });
  auto line = [&](const std::vector<Variant>& key, Integer keep, Integer recType) {
    TMemoryRecordEh* rec = target->AppendStored();
    for (Integer i = 0; i < n; ++i) SetStored(rec, i, i < keep ? key[static_cast<size_t>(i)] : Variant());
    SetStored(rec, n, Variant(recType));
  };
  std::vector<Variant> prev = KeyOf(source.front(), keyIndexes);
  for (size_t r = 1; r < source.size(); ++r) {
    std::vector<Variant> cur = KeyOf(source[r], keyIndexes);
    const Integer b = PivotKeyPrefixLengthEh(prev, cur, n);
    if (b == n) continue;
    line(prev, n, 0);
    for (Integer k = n - 2; k >= b; --k) line(prev, k + 1, n - k - 1);
    prev = std::move(cur);
  }
  line(prev, n, 0);
  for (Integer k = n - 2; k >= 0; --k) line(prev, k + 1, n - k - 1);
  line(prev, 0, n);
}

// ---- Result tables ----

std::vector<std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh>> TPivotDataSourceEh::MakeCalculatorRow()
    const {
  std::vector<std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh>> row;
  for (int j = 0; j < FActualValueFields->GetCount(); ++j)
    row.push_back(CreatePivotCalculatorEh(FActualValueFields->GetPivotFieldValueInfo(j)->GetSumFunction()));
  return row;
}

void TPivotDataSourceEh::MakeResultAggrTable() {
  const UInt64 start = GetTickCount();
  ReportBuildProgress(37);
  FResultAggrTable->ResetTable();
  TMTDataStructEh* target = FResultAggrTable->Struct();
  TMTDataStructEh* base = FBaseTable->Struct();
  for (Integer i = 0; i < FR + FC; ++i)
    CopyDataField(target, base->GetDataField(i), base->GetDataField(i)->GetFieldName())->SetRequired(false);
  for (Integer j = 0; j < FV; ++j) {
    TMTDataFieldEh* field = base->GetDataField(FR + FC + j);
    AddResultField(target, field->GetFieldName(), field->GetDisplayLabel());
  }
  AddIntegerField(target, kRecType);
  const Integer K = FR + FC;
  std::vector<std::vector<std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh>>> calc;
  for (Integer i = 0; i <= K; ++i) calc.push_back(MakeCalculatorRow());
  const std::vector<Integer> keys = Range(0, K);
  TRecordsListEh* list = FResultAggrTable->Records();
  list->BeginUpdate();
  auto end = MakeScopeExit([list] { list->EndUpdate(); });

  auto emit = [&](const std::vector<Variant>& prev, Integer i) {
    TMemoryRecordEh* rec = FResultAggrTable->AppendStored();
    for (Integer k = 0; k < K; ++k) SetStored(rec, k, k < i ? prev[static_cast<size_t>(k)] : Variant());
    for (Integer j = 0; j < FV; ++j) {
      auto& calculator = calc[static_cast<size_t>(i)][static_cast<size_t>(j)];
      SetStored(rec, K + j, calculator->FinalizeAggregation());
      calculator->ResetAggrHolder();
    }
    SetStored(rec, K + FV, Variant(1));
  };
  std::vector<Variant> prev(static_cast<size_t>(K), Variant::Null());
  if (!FFilteredBase.empty()) prev = KeyOf(FFilteredBase.front(), keys);
  size_t counter = 0;
  for (TMemoryRecordEh* rec : FFilteredBase) {
    if ((++counter & 0x3FFF) == 0) ReportBuildProgress(38);
    std::vector<Variant> cur = KeyOf(rec, keys);
    const Integer b = PivotKeyPrefixLengthEh(prev, cur, K);
    for (Integer i = K; i > b; --i) emit(prev, i);
    const TRecValuesEh& values = rec->GetData();
    for (Integer j = 0; j < FV; ++j) {
      const Variant value = values[static_cast<size_t>(K) + static_cast<size_t>(j)];
      for (Integer i = 0; i <= K; ++i) calc[static_cast<size_t>(i)][static_cast<size_t>(j)]->AggrValue(value);
    }
    prev = std::move(cur);
  }
  ReportBuildProgress(39);
  for (Integer i = K; i >= 1; --i) emit(prev, i);
  // One line per column line with the rows totalled; the last one is the grand total.
  TRecordsListEh* cols = FColsTable->Records();
  TMemoryRecordEh* last = nullptr;
  for (Integer c = 0; c < cols->GetCount(); ++c) {
    last = FResultAggrTable->AppendStored();
    const TRecValuesEh& key = cols->GetRec(c)->GetData();
    for (Integer k = 0; k < K; ++k)
      SetStored(last, k, k >= FR ? key[static_cast<size_t>(k - FR)] : Variant());
    SetStored(last, K + FV, Variant(1));
  }
  if (!last) {
    last = FResultAggrTable->AppendStored();
    SetStored(last, K + FV, Variant(1));
  }
  for (Integer j = 0; j < FV; ++j)
    SetStored(last, K + j, calc[0][static_cast<size_t>(j)]->FinalizeAggregation());
  ReportBuildProgress(40);
  LogTimeMetric(u"  MakeResultAggrTable", start);
}

void TPivotDataSourceEh::MakeTransResultAggrTable() {
  const UInt64 start = GetTickCount();
  FTransResultAggrTable->ResetTable();
  TMTDataStructEh* target = FTransResultAggrTable->Struct();
  TMTDataStructEh* base = FBaseTable->Struct();
  for (Integer i = 0; i < FC; ++i)
    CopyDataField(target, base->GetDataField(FR + i), base->GetDataField(FR + i)->GetFieldName())
        ->SetRequired(false);
  for (Integer i = 0; i < FR; ++i)
    CopyDataField(target, base->GetDataField(i), base->GetDataField(i)->GetFieldName())->SetRequired(false);
  for (Integer j = 0; j < FV; ++j) {
    TMTDataFieldEh* field = base->GetDataField(FR + FC + j);
    AddResultField(target, field->GetFieldName(), field->GetDisplayLabel());
  }
  AddIntegerField(target, kRecType);
  AddIntegerField(target, kForGridAggrLevel);
  ReportBuildProgress(60);
  for (Integer level = FC; level >= 1; --level) {
    std::vector<Integer> order = Range(FR, level);
    for (Integer i = 0; i < FR; ++i) order.push_back(i);
    SortBase(order);
    ReportBuildProgress(80);
    MakeTransResultAggrLevel(level);
  }
  std::vector<Integer> rowsThenCols = Range(0, FR + FC);
  SortBase(rowsThenCols);
  ReportBuildProgress(99);
  LogTimeMetric(u"  MakeTransResultAggrTable", start);
}

void TPivotDataSourceEh::MakeTransResultAggrLevel(Integer level) {
  const Integer K = FC + FR;
  std::vector<std::vector<std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh>>> calc;
  for (Integer i = 0; i <= K; ++i) calc.push_back(MakeCalculatorRow());
  auto keyOf = [&](TMemoryRecordEh* rec) {
    const TRecValuesEh& data = rec->GetData();
    std::vector<Variant> key(static_cast<size_t>(K));
    for (Integer i = 0; i < level; ++i)
      key[static_cast<size_t>(i)] = data[static_cast<size_t>(FR) + static_cast<size_t>(i)];
    for (Integer i = 0; i < FR; ++i)
      key[static_cast<size_t>(FC) + static_cast<size_t>(i)] = data[static_cast<size_t>(i)];
    return key;
  };
  TRecordsListEh* list = FTransResultAggrTable->Records();
  list->BeginUpdate();
  auto end = MakeScopeExit([list] { list->EndUpdate(); });
  auto emit = [&](const std::vector<Variant>& prev, Integer j) {
    TMemoryRecordEh* rec = FTransResultAggrTable->AppendStored();
    for (Integer k = 0; k < K; ++k) SetStored(rec, k, k < j ? prev[static_cast<size_t>(k)] : Variant());
    for (Integer v = 0; v < FV; ++v)
      SetStored(rec, K + v, calc[static_cast<size_t>(j)][static_cast<size_t>(v)]->FinalizeAggregation());
    SetStored(rec, K + FV, Variant(1));
    SetStored(rec, K + FV + 1, Variant(level));
  };
  auto reset = [&](Integer j) {
    for (auto& calculator : calc[static_cast<size_t>(j)]) calculator->ResetAggrHolder();
  };
  std::vector<Variant> prev(static_cast<size_t>(K), Variant::Null());
  if (!FFilteredBase.empty()) prev = keyOf(FFilteredBase.front());
  size_t counter = 0;
  for (TMemoryRecordEh* rec : FFilteredBase) {
    if ((++counter & 0x3FFF) == 0) ReportBuildProgress(80);
    std::vector<Variant> cur = keyOf(rec);
    const Integer b = PivotKeyPrefixLengthEh(prev, cur, K);
    if (b <= K - 2)
      for (Integer j = K - 1; j > b; --j) {
        if (level <= j && j < FC) continue;
        if (level == FC || j > FC) emit(prev, j);
        reset(j);
      }
    const TRecValuesEh& values = rec->GetData();
    for (Integer v = 0; v < FV; ++v) {
      const Variant value =
          values[static_cast<size_t>(FR) + static_cast<size_t>(FC) + static_cast<size_t>(v)];
      for (Integer j = 0; j < K; ++j) calc[static_cast<size_t>(j)][static_cast<size_t>(v)]->AggrValue(value);
    }
    prev = std::move(cur);
  }
  for (Integer j = K - 1; j >= 1; --j) {
    if (level <= j && j < FC) continue;
    emit(prev, j);
    reset(j);
  }
}
