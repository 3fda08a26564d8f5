// The in-memory table's data as a whole: creating the structure, loading from datasets and other
// tables, saving to datasets and files, shared data, the blob stream and the tree-view settings.
#include <unistd.h>

#include <filesystem>

#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

bool UnsupportedForStore(TFieldType type) {
  switch (type) {
    case ftCursor:
    case ftArray:
    case ftReference:
    case ftDataSet:
    case ftConnection:
    case ftParams:
    case ftStream:
    case ftObject:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---- Creating ----

void TCustomMemTableEh::CreateDataSet() {
  CheckInactive();
  if (GetFieldCount() > 0) GetFieldDefs()->Clear();
  String autoIncName;
  if (GetFieldDefs()->GetCount() == 0) {
    for (TField* field : GetFields()->List()) {
      if (field->GetFieldKind() != fkData && field->GetFieldKind() != fkInternalCalc) continue;
      if (UnsupportedForStore(field->GetDataType()))
        DatabaseErrorFmt(SFieldUnknownType, {field->GetDisplayName()}, this);
      if (field->GetAutoGenerateValue() == arAutoInc) autoIncName = field->GetFieldName();
      TFieldDef* def = GetFieldDefs()->AddFieldDef();
      def->SetName(field->GetFieldName());
      def->SetDataType(field->GetDataType());
      def->SetSize(field->GetSize());
      def->SetInternalCalcField(field->GetFieldKind() == fkInternalCalc);
      TFieldAttributes attributes;
      if (field->GetRequired()) attributes.Include(faRequired);
      if (field->GetReadOnly()) attributes.Include(faReadonly);
      def->SetAttributes(attributes);
      if (auto* bcd = dynamic_cast<TBCDField*>(field)) def->SetPrecision(bcd->GetPrecision());
    }
  }
  TMemTableDataEh* data = GetMemTableData();
  data->DestroyTable();
  data->GetDataStruct()->BuildStructFromFieldDefs(GetFieldDefs());
  if (!autoIncName.empty())
    if (TMTDataFieldEh* field = data->GetDataStruct()->FindField(autoIncName)) field->SetAutoIncrement(true);
  Open();
}

void TCustomMemTableEh::CreateIndexesFromDefs() {
  TIndexDefs* defs = GetIndexDefs();
  TMTIndexesEh* indexes = GetMemTableData()->GetRecordsList()->GetIndexes();
  for (int i = 0; i < defs->GetCount(); ++i) {
    TIndexDef* def = defs->GetItem(i);
    if (indexes->GetIndexForFields(def->GetFields())) continue;
    TMTIndexEh* index = indexes->Add();
    index->SetFields(def->GetFields());
    index->SetUnical(def->GetOptions().Contains(ixUnique));
    index->SetPrimary(def->GetOptions().Contains(ixPrimary));
  }
  for (int i = 0; i < indexes->GetCount(); ++i) indexes->GetItem(i)->SetActive(true);
}

void TCustomMemTableEh::EmptyTable() {
  if (!FActive) return;
  BeginRecordsViewUpdate();
  auto close = MakeScopeExit([this] { EndRecordsViewUpdate(true); });
  CheckBrowseMode();
  ClearBuffers();
  GetMemTableData()->GetRecordsList()->Clear();
  GetMemTableData()->GetAutoIncrement()->Reset();
  FRecordPos = -1;
  FInstantReadCurRowNum = -1;
  FRecordsViewUpdated = true;
}

void TCustomMemTableEh::DestroyTable() {
  Close();
  GetMemTableData()->DestroyTable();
}

void TCustomMemTableEh::CopyStructure(TDataSet* source) {
  CheckInactive();
  DestroyFields();
  while (GetFieldCount() > 0) delete GetFields()->GetField(GetFieldCount() - 1);
  if (!source) return;
  source->GetFieldDefs()->Update();
  GetFieldDefs()->Assign(source->GetFieldDefs());
  for (int i = GetFieldDefs()->GetCount() - 1; i >= 0; --i)
    if (UnsupportedForStore(GetFieldDefs()->GetItem(i)->GetDataType())) delete GetFieldDefs()->GetItem(i);
  GetMemTableData()->DestroyTable();
}

// ---- Loading and saving datasets ----

Integer TCustomMemTableEh::LoadFromDataSet(TDataSet* source, Integer recordCount, TLoadMode mode,
                                           bool useCachedUpdates) {
  if (source == this) return 0;
  bool sourceWasActive = source->GetActive();
  source->DisableControls();
  DisableControls();
  auto restore = MakeScopeExit([&] {
    EnableControls();
    if (!sourceWasActive) source->Close();
    source->EnableControls();
  });
  source->Open();
  source->CheckBrowseMode();
  source->UpdateCursorPos();
  if (mode == lmCopy || mode == lmCopyStructureOnly) {
    Close();
    GetMemTableData()->DestroyTable();
    GetMemTableData()->GetDataStruct()->BuildStructFromFields(source->GetFields());
    GetFieldDefs()->SetUpdated(false);
  }
  if (mode == lmCopyStructureOnly) return 0;
  if (!FActive) Open();
  CheckBrowseMode();
  if (recordCount <= 0) source->First();
  Integer copied = 0;
  auto first = MakeScopeExit([this] { First(); });
  TMTDataStructEh* ds = GetMemTableData()->GetDataStruct();
  std::vector<TField*> sourceFields;
  for (Integer i = 0; i < ds->GetCount(); ++i)
    sourceFields.push_back(source->FindField(ds->GetDataField(i)->GetFieldName()));
  TRecordsListEh* list = GetMemTableData()->GetRecordsList();
  while (!source->Eof() && (recordCount <= 0 || copied < recordCount)) {
    if (useCachedUpdates && GetCachedUpdates()) {
      Append();
      for (TField* field : GetFields()->List()) {
        if (field->GetFieldKind() != fkData) continue;
        if (mode == lmAppend &&
            (field->GetAutoGenerateValue() == arAutoInc || field->GetDataType() == ftAutoInc))
          continue;
        if (TField* from = source->FindField(field->GetFieldName()))
          field->SetAsVariant(from->GetAsVariant());
      }
      Post();
    } else {
      TMemoryRecordEh* rec = list->NewRecord();
      auto drop = MakeScopeExit([rec] {
        if (!rec->GetAttached()) delete rec;
      });
      for (Integer i = 0; i < ds->GetCount(); ++i) {
        TMTDataFieldEh* dataField = ds->GetDataField(i);
        Variant value;
        if (mode == lmAppend && dataField->GetAutoIncrement())
          value = GetMemTableData()->GetAutoIncrement()->Promote();
        else if (TField* from = sourceFields[static_cast<size_t>(i)])
          value = from->GetAsVariant();
        else
          continue;
        rec->SetDataValue(i, dvvValueEh, StoreRecValueEh(value, dataField->VarDataType()));
      }
      list->FetchRecord(rec);
    }
    ++copied;
    source->Next();
  }
  return copied;
}

Integer TCustomMemTableEh::LoadFromMemTableEh(TCustomMemTableEh* source, Integer recordCount, TLoadMode mode,
                                              TMemTableLoadOptionsEh loadOptions) {
  bool wasActive = FActive;
  DisableControls();
  auto enable = MakeScopeExit([this] { EnableControls(); });
  TMemTableDataEh* data = GetMemTableData();
  TMemTableDataEh* sourceData = source->GetMemTableData();
  if (mode == lmCopy || mode == lmCopyStructureOnly) {
    Close();
    data->DestroyTable();
    data->GetDataStruct()->Assign(sourceData->GetDataStruct());
    GetFieldDefs()->SetUpdated(false);
    if (source->GetActive())
      for (TField* field : source->GetFields()->List())
        if (TMTDataFieldEh* dataField = data->GetDataStruct()->FindField(field->GetFieldName())) {
          dataField->SetDisplayLabel(field->GetDisplayLabel());
          dataField->SetAlignment(field->GetAlignment());
          dataField->SetVisible(field->GetVisible());
        }
  }
  std::vector<TMemoryRecordEh*> range;
  if (mode != lmCopyStructureOnly) {
    TRecordsViewEh* view = source->GetRecordsView();
    TRecordsListEh* sourceList = sourceData->GetRecordsList();
    bool tree = view->GetViewAsTreeList();
    if (loadOptions.Contains(tloDisregardFilterEh)) {
      Integer from = recordCount > 0 && source->GetRec() ? source->GetRec()->GetIndex() : 0;
      for (Integer i = from; i < sourceList->GetCount() && (recordCount <= 0 || i - from < recordCount); ++i)
        range.push_back(sourceList->GetRec(i));
    } else {
      Integer count = tree ? view->GetMemoryTreeList()->GetAccountableCount() : view->Count();
      Integer from = recordCount > 0 ? std::max<Integer>(source->GetRecNo() - 1, 0) : 0;
      for (Integer i = from; i < count && (recordCount <= 0 || i - from < recordCount); ++i)
        range.push_back(tree ? view->GetMemoryTreeList()->GetAccountableItem(i)->GetRec() : view->GetRec(i));
    }
  }
  TRecordsListEh* list = data->GetRecordsList();
  TMTDataStructEh* sourceStruct = sourceData->GetDataStruct();
  TMTDataStructEh* ds = data->GetDataStruct();
  std::vector<Integer> target(static_cast<size_t>(sourceStruct->GetCount()));
  for (Integer f = 0; f < sourceStruct->GetCount(); ++f)
    target[static_cast<size_t>(f)] =
        mode == lmAppend ? ds->FieldIndex(sourceStruct->GetDataField(f)->GetFieldName()) : f;
  list->BeginUpdate();
  {
    auto end = MakeScopeExit([list] { list->EndUpdate(); });
    for (TMemoryRecordEh* from : range) {
      TMemoryRecordEh* rec = list->NewRecord();
      auto drop = MakeScopeExit([rec] {
        if (!rec->GetAttached()) delete rec;
      });
      const TRecValuesEh& values = from->GetData();
      for (size_t f = 0; f < target.size(); ++f)
        if (target[f] >= 0 && target[f] < ds->GetCount()) rec->SetDataValue(target[f], dvvValueEh, values[f]);
      if (loadOptions.Contains(tloUseCachedUpdatesEh))
        FRecordsView->AddRecord(rec);
      else
        list->FetchRecord(rec);
    }
  }
  if (loadOptions.Contains(tloOpenOnLoad))
    Open();
  else if (FActive != wasActive)
    SetActive(wasActive);
  if (FActive && source->GetActive())
    for (TField* field : GetFields()->List())
      if (TField* from = source->FindField(field->GetFieldName()))
        if (from->GetIndex() < GetFieldCount()) field->SetIndex(from->GetIndex());
  return static_cast<Integer>(range.size());
}

Integer TCustomMemTableEh::SaveToDataSet(TDataSet* dest, Integer recordCount) {
  if (dest == this) return 0;
  CheckBrowseMode();
  UpdateCursorPos();
  dest->DisableControls();
  DisableControls();
  auto enable = MakeScopeExit([&] {
    EnableControls();
    dest->EnableControls();
  });
  if (dest->GetActive())
    dest->CheckBrowseMode();
  else
    dest->Open();
  if (recordCount <= 0) First();
  Integer written = 0;
  auto first = MakeScopeExit([dest] { dest->First(); });
  while (!Eof() && (recordCount <= 0 || written < recordCount)) {
    dest->Append();
    for (TField* field : dest->GetFields()->List()) {
      if (field->GetFieldKind() != fkData) continue;
      if (TField* from = FindField(field->GetFieldName())) field->SetAsVariant(from->GetAsVariant());
    }
    dest->Post();
    ++written;
    Next();
  }
  return written;
}

void TCustomMemTableEh::SaveToFile(const String& fileName, TDfmStreamFormatEh format) {
  // The new content goes to a file beside the target and replaces it only when complete, so a failed
  // save never leaves a truncated file where the old one was.
  const std::string target = StringToUtf8(fileName);
  const std::string temporary = target + ".~" + std::to_string(getpid());
  auto dropTemporary = MakeScopeExit([&] {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
  });
  {
    TFileStream stream(Utf8ToString(temporary), fmCreate);
    GetMemTableData()->SaveToStream(&stream, format == dfmTextEh);
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error)
    throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + Utf8ToString(error.message()));
  dropTemporary.Release();
}

void TCustomMemTableEh::LoadFromFile(const String& fileName) {
  bool wasActive = FActive;
  TMemoryStream binary;
  {
    TFileStream file(fileName, fmOpenRead);
    switch (TestStreamFormat(&file)) {
      case sofUnknown:
        throw Exception(u"Invalid stream format.");
      case sofText:
        ObjectTextToBinary(&file, &binary);
        break;
      default:
        binary.LoadFromStream(&file);
        break;
    }
  }
  binary.SetPosition(0);
  // The store reads into a scratch store first: a damaged file raises and the table keeps its data.
  TMemTableDataEh* data = GetMemTableData();
  auto scratch = std::make_unique<TMemTableDataEh>(nullptr);
  scratch->LoadFromStream(&binary);
  Close();
  binary.SetPosition(0);
  data->LoadFromStream(&binary);
  GetFieldDefs()->SetUpdated(false);
  if (GetDefaultFields()) GetFieldDefs()->Clear();
  SetActive(wasActive);
}

void TCustomMemTableEh::SetExternalMemData(TCustomMemTableEh* value) {
  if (value == FExternalMemData) return;
  if (value == this) throw Exception(SCircularDataLink);
  if (value && FDataDriver)
    throw Exception(u"Assigning to ExternalMemData is not allowed if DataDriver is assigned");
  bool wasActive = FActive;
  Close();
  if (FExternalMemData) FExternalMemData->RemoveFreeNotification(this);
  FExternalMemData = value;
  if (value) value->FreeNotification(this);
  FRecordsView->SetMemTableData(GetMemTableData());
  GetMemTableData()->GetDataStruct()->OnStructChanged =
      TNotifyEvent(this, &TCustomMemTableEh::StructChangedHandler);
  GetFieldDefs()->SetUpdated(false);
  if (wasActive && !GetComponentState().Contains(csDestroying)) Open();
}

// ---- Blob values ----

namespace {

TBytes BlobBytes(TField* field, const Variant& value) {
  if (VarIsEmptyOrNull(value)) return TBytes();
  if (VarIsStr(value)) {
    const String text = value.AsString();
    // A wide text is its UTF-16 bytes, two per character, so it reads back at its full length.
    if (field->GetDataType() == ftWideMemo) {
      const Byte* bytes = reinterpret_cast<const Byte*>(text.data());
      return TBytes(bytes, bytes + text.size() * sizeof(Char));
    }
    std::string ansi = StringToAnsi(text).Bytes();
    return TBytes(ansi.begin(), ansi.end());
  }
  return VarToBytes(value);
}

Variant BlobValue(TField* field, const TBytes& bytes) {
  if (bytes.empty()) return Variant::Null();
  switch (field->GetDataType()) {
    case ftWideMemo:
      return String(reinterpret_cast<const Char*>(bytes.data()), bytes.size() / sizeof(Char));
    case ftMemo:
    case ftFmtMemo:
      return AnsiToString(AnsiString::FromBytes(std::string(bytes.begin(), bytes.end())));
    default:
      return VarArrayOfBytes(bytes);
  }
}

}  // namespace

TMemBlobStreamEh::TMemBlobStreamEh(TField* field, TBlobStreamMode mode)
    : TMemBlobStreamEh(field, mode, CheckedMemTable(field)) {}

TMemBlobStreamEh::TMemBlobStreamEh(TField* field, TBlobStreamMode mode, TCustomMemTableEh* table)
    : TFieldBlobStream(field, mode, table->ReadBlobBytes(field, mode),
                       // The buffer of the state the stream was opened in receives the bytes.
                       [table, field, buffer = table->GetActiveRecBuf()](const TBytes& stored) {
                         table->WriteBlobBytes(field, buffer, stored);
                       }) {}

TCustomMemTableEh* TMemBlobStreamEh::CheckedMemTable(TField* field) {
  auto* table = dynamic_cast<TCustomMemTableEh*>(field->GetDataSet());
  if (!table) throw EInvalidCast(u"Invalid class typecast");
  return table;
}

void TMemBlobStreamEh::Truncate() {
  SetSize(0);
  Seek(0, soBeginning);
}

TBytes TCustomMemTableEh::ReadBlobBytes(TField* field, TBlobStreamMode mode) {
  TMTRecBuf* buffer = GetActiveRecBuf();
  Integer index = DataIndexOf(field);
  if (!buffer || index < 0 || mode == bmWrite) return {};
  return BlobBytes(field, buffer->GetValue(index));
}

void TCustomMemTableEh::WriteBlobBytes(TField* field, TMTRecBuf* buffer, const TBytes& bytes) {
  Integer index = DataIndexOf(field);
  if (!buffer || index < 0) return;
  CommitFieldValue(field, buffer, BlobValue(field, bytes));
}

TStream* TCustomMemTableEh::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  return new TMemBlobStreamEh(field, mode);
}

void TCustomMemTableEh::CheckFieldDataVarValue(TField* field, Variant& varValue) {
  if (VarIsEmptyOrNull(varValue)) return;
  auto* bcdField = dynamic_cast<TBCDField*>(field);
  if (!bcdField) return;
  if (field->GetDataType() == ftBCD) {
    Integer precision = bcdField->GetPrecision();
    Integer scale = field->GetSize();
    if (precision <= 0) return;
    double limit = 1;
    for (Integer i = 0; i < precision - scale; ++i) limit *= 10;
    // Both signs: a large negative amount overflows the field just as a large positive one does.
    double value = VarAsType(varValue, varDouble).AsDouble();
    if (value >= limit || value <= -limit) throw EBcdOverflowException(u"BCD overflow");
    if (scale < 4) {
      Currency c = VarAsType(varValue, varCurrency).AsCurrency();
      Int64 factor = 1;
      for (Integer i = 0; i < 4 - scale; ++i) factor *= 10;
      Int64 raw = c.Value;
      Int64 q = raw / factor, r = raw % factor;
      Int64 half = factor / 2;
      if (r > half || (r == half && (q % 2 != 0))) ++q;
      if (r < -half || (r == -half && (q % 2 != 0))) --q;
      varValue = Variant(Currency::FromRaw(q * factor));
    }
    return;
  }
  if (field->GetDataType() == ftFMTBcd) {
    Integer precision = bcdField->GetPrecision();
    Integer scale = field->GetSize();
    if (precision <= 0) return;
    double value = VarAsType(varValue, varDouble).AsDouble();
    if (value == 0) return;
    double limit = 1;
    for (Integer i = 0; i < precision - scale; ++i) limit *= 10;
    if (value >= limit || value <= -limit) throw EBcdOverflowException(u"BCD overflow");
  }
}

// ---- Tree-view settings ----

TMemTableTreeListEh::TMemTableTreeListEh(TCustomMemTableEh* memTable) : FMemTable(memTable) {}

TMemoryTreeListEh* TMemTableTreeListEh::Tree() const {
  return FMemTable->GetRecordsView()->GetMemoryTreeList();
}

bool TMemTableTreeListEh::GetActive() const {
  if (FMemTable->GetComponentState().Contains(csLoading)) return FLoadingActive;
  return FMemTable->GetRecordsView()->GetViewAsTreeList();
}

void TMemTableTreeListEh::SetActive(bool value) {
  if (FMemTable->GetComponentState().Contains(csLoading)) {
    FLoadingActive = value;
    return;
  }
  FMemTable->DisableControls();
  {
    auto enable = MakeScopeExit([this] { FMemTable->EnableControls(); });
    FMemTable->GetRecordsView()->SetViewAsTreeList(value);
  }
  if (FMemTable->GetActive()) {
    FMemTable->ClearBuffers();
    FMemTable->First();
  }
}

void TMemTableTreeListEh::Loaded() {
  if (FLoadingActive) SetActive(true);
}

String TMemTableTreeListEh::GetKeyFieldName() const {
  return FMemTable->GetRecordsView()->GetTreeViewKeyFieldName();
}
void TMemTableTreeListEh::SetKeyFieldName(const String& value) {
  FMemTable->GetRecordsView()->SetTreeViewKeyFieldName(value);
}
String TMemTableTreeListEh::GetRefParentFieldName() const {
  return FMemTable->GetRecordsView()->GetTreeViewRefParentFieldName();
}
void TMemTableTreeListEh::SetRefParentFieldName(const String& value) {
  FMemTable->GetRecordsView()->SetTreeViewRefParentFieldName(value);
}
bool TMemTableTreeListEh::GetDefaultNodeExpanded() const { return Tree()->FDefaultNodeExpanded; }
void TMemTableTreeListEh::SetDefaultNodeExpanded(bool value) { Tree()->FDefaultNodeExpanded = value; }
bool TMemTableTreeListEh::GetDefaultNodeHasChildren() const { return Tree()->FDefaultNodeHasChildren; }
void TMemTableTreeListEh::SetDefaultNodeHasChildren(bool value) { Tree()->FDefaultNodeHasChildren = value; }
bool TMemTableTreeListEh::GetFullBuildCheck() const { return Tree()->FFullBuildCheck; }
void TMemTableTreeListEh::SetFullBuildCheck(bool value) { Tree()->FFullBuildCheck = value; }
bool TMemTableTreeListEh::GetFilterNodeIfParentVisible() const { return Tree()->FFilterNodeIfParentVisible; }
void TMemTableTreeListEh::SetFilterNodeIfParentVisible(bool value) {
  Tree()->FFilterNodeIfParentVisible = value;
}

void TMemTableTreeListEh::SetAllExpanded(bool expanded) {
  FMemTable->DisableControls();
  auto enable = MakeScopeExit([this] { FMemTable->EnableControls(); });
  TMemoryTreeListEh* tree = Tree();
  if (expanded)
    tree->Expand(tree->GetRoot(), true);
  else
    tree->Collapse(tree->GetRoot(), true);
  tree->BuildVisibleItems();
  if (FMemTable->GetActive()) {
    FMemTable->CursorPosChanged();
    FMemTable->UpdateCursorPos();
    FMemTable->Resync({});
  }
}

void TMemTableTreeListEh::FullExpand() { SetAllExpanded(true); }

void TMemTableTreeListEh::FullCollapse() {
  SetAllExpanded(false);
  if (FMemTable->GetActive()) FMemTable->DoAfterScroll();
}

bool TMemTableTreeListEh::Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options) {
  FMemTable->CheckBrowseMode();
  if (FMemTable->Bof() && FMemTable->Eof()) return false;
  TMemoryTreeListEh* tree = Tree();
  TIntArray indexes = FMemTable->GetMemTableData()->GetDataStruct()->FieldsIndex(keyFields);
  if (indexes.empty()) return false;
  for (Integer i = 0, n = tree->GetAccountableCount(); i < n; ++i) {
    TMemRecViewEh* node = tree->GetAccountableItem(i);
    TMemoryRecordEh* rec = node->GetRec();
    bool match;
    if (!options.Empty() && keyFields.find(u';') == String::npos) {
      String text = VarToStr(rec->GetData()[static_cast<size_t>(indexes[0])]);
      String key = VarToStr(keyValues);
      if (options.Contains(loPartialKey)) text = text.substr(0, key.size());
      match = options.Contains(loCaseInsensitive) ? AnsiCompareText(text, key) == 0
                                                  : AnsiCompareStr(text, key) == 0;
    } else {
      Variant value = indexes.size() == 1 ? rec->GetData()[static_cast<size_t>(indexes[0])]
                                          : rec->GetDataIndexValues(indexes, dvvValueEh);
      match = VarEqualsEh(value, keyValues);
    }
    if (!match) continue;
    for (TMemRecViewEh* p = node->GetNodeParent(); p && p->GetRec(); p = p->GetNodeParent())
      p->SetNodeExpanded(true);
    tree->BuildVisibleItems();
    return FMemTable->GotoRec(rec);
  }
  return false;
}
