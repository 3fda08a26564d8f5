// Records with their value versions, the records list with the change log and notifications, listeners,
// the store with its auto-increment counter, and the store's streamed form value by value.
#include "gridlib/memtable/MemTableDataEh.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/QuickSort.h"
#include "platform/rtl/Strings.h"

namespace {

const Char* const kOldValuesMissing = u"TMemoryRecordEh.GetDataValues: Old values is not accessible.";
const Char* const kEditValuesMissing = u"TMemoryRecordEh.GetDataValues: Edit values is not accessible.";

bool IsBinaryStreamType(TFieldType type) {
  switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet:
      return true;
    default:
      return false;
  }
}

TBytes BytesOfAnsi(const AnsiString& s) {
  const Byte* p = reinterpret_cast<const Byte*>(s.data());
  return TBytes(p, p + s.size());
}

// Reads the fixed-position number at 1-based pos; missing text gives 0 only where allowed.
Integer NumberAt(const String& text, int pos, int len, bool optional) {
  if (optional && Length(text) < pos) return 0;
  return StrToInt(Copy(text, pos, len));
}

}  // namespace

Variant StoreRecValueEh(const Variant& value, TVarType varType) {
  if (value.IsNull()) return Variant::Null();
  if (value.IsEmpty()) return Variant();
  switch (varType) {
    case varVariant:
    case varUnknown:
    case varDispatch:
    case varError:
    case varEmpty:
      // Interface, object and untyped fields keep what they are given.
      return value;
    default:
      break;
  }
  if (varType == varString && value.Type() == (varArray | varByte)) {
    const TBytes& bytes = value.GetBytes();
    return Variant(
        AnsiString::FromBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
  }
  if (varType == (varArray | varByte)) {
    if (value.Type() == (varArray | varByte)) return value;
    return VarArrayOfBytes(VarToBytes(value));
  }
  if (value.Type() == varType) return value;
  return VarAsType(value, varType);
}

String FormatSQLTimeStampTextEh(const Variant& value) {
  TSQLTimeStampOffset ts;
  bool withZone = VarIsSQLTimeStampOffset(value);
  if (withZone) {
    ts = VarToSQLTimeStampOffset(value);
  } else {
    TSQLTimeStamp plain = VarToSQLTimeStamp(value);
    ts.Year = plain.Year;
    ts.Month = plain.Month;
    ts.Day = plain.Day;
    ts.Hour = plain.Hour;
    ts.Minute = plain.Minute;
    ts.Second = plain.Second;
    ts.Fractions = plain.Fractions;
  }
  String text;
  if (ts.Fractions == 0)
    text =
        Format(u"%.4d-%.2d-%.2dT%.2d:%.2d:%.2d", {ts.Year, ts.Month, ts.Day, ts.Hour, ts.Minute, ts.Second});
  else
    text = Format(u"%.4d-%.2d-%.2dT%.2d:%.2d:%.2d.%.3d",
                  {ts.Year, ts.Month, ts.Day, ts.Hour, ts.Minute, ts.Second, static_cast<int>(ts.Fractions)});
  if (withZone && (ts.TimeZoneHour != 0 || ts.TimeZoneMinute != 0)) {
    int total = ts.TimeZoneHour * 60 + ts.TimeZoneMinute;
    text +=
        Format(u"%s%.2d:%.2d", {String(total >= 0 ? u"+" : u"-"), std::abs(static_cast<int>(ts.TimeZoneHour)),
                                std::abs(static_cast<int>(ts.TimeZoneMinute))});
  }
  return text;
}

Variant ParseSQLTimeStampTextEh(const String& text, TVarType varType) {
  TSQLTimeStampOffset ts;
  ts.Year = static_cast<SmallInt>(NumberAt(text, 1, 4, false));
  ts.Month = static_cast<Word>(NumberAt(text, 6, 2, false));
  ts.Day = static_cast<Word>(NumberAt(text, 9, 2, false));
  ts.Hour = static_cast<Word>(NumberAt(text, 12, 2, true));
  ts.Minute = static_cast<Word>(NumberAt(text, 15, 2, true));
  ts.Second = static_cast<Word>(NumberAt(text, 18, 2, true));
  int signPos = 20;
  if (Length(text) >= 20 && text[19] == u'.') {
    ts.Fractions = static_cast<LongWord>(NumberAt(text, 21, 3, false));
    signPos = 24;
  }
  if (Length(text) >= signPos && (text[signPos - 1] == u'+' || text[signPos - 1] == u'-')) {
    int sign = text[signPos - 1] == u'-' ? -1 : 1;
    ts.TimeZoneHour = static_cast<SmallInt>(sign * NumberAt(text, signPos + 1, 2, false));
    ts.TimeZoneMinute = static_cast<SmallInt>(sign * NumberAt(text, signPos + 4, 2, false));
  }
  if (varType == varSQLTimeStampOffset) return VarSQLTimeStampOffsetCreate(ts);
  TSQLTimeStamp plain;
  plain.Year = ts.Year;
  plain.Month = ts.Month;
  plain.Day = ts.Day;
  plain.Hour = ts.Hour;
  plain.Minute = ts.Minute;
  plain.Second = ts.Second;
  plain.Fractions = ts.Fractions;
  return VarSQLTimeStampCreate(plain);
}

// ---- Field values in the component stream ----

void TMTDataFieldEh::WriteDataToWriter(TWriter* writer, const Variant& value) {
  if (IsBinaryStreamType(GetDataType())) {
    TBytes bytes;
    if (value.Type() == (varArray | varByte))
      bytes = value.GetBytes();
    else if (value.Type() == varString)
      bytes = BytesOfAnsi(value.AsAnsiString());
    else if (!value.IsNull() && !value.IsEmpty())
      bytes = VarToBytes(value);
    writer->WriteBinary(bytes);
    return;
  }
  if (value.IsNull()) {
    writer->WriteVariant(Variant());
    return;
  }
  if (value.IsEmpty()) throw Exception(u"\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty");
  if (VarIsSQLTimeStamp(value) || VarIsSQLTimeStampOffset(value)) {
    writer->WriteString(FormatSQLTimeStampTextEh(value));
    return;
  }
  if (VarIsFMTBcd(value)) {
    String text;
    VarToStorageStrEh(value, text);
    writer->WriteString(text);
    return;
  }
  writer->WriteVariant(value);
}

Variant TMTDataFieldEh::ReadDataFromReader(TReader* reader) {
  TVarType varType = VarDataType();
  if (IsBinaryStreamType(GetDataType())) {
    if (reader->NextValue() != vaBinary) {
      reader->SkipValue();
      throw EReadError(u"Invalid property value");
    }
    TBytes bytes = reader->ReadBinary();
    // A null blob is written as no bytes; it reads back as null, not as an empty value.
    if (bytes.empty()) return Variant::Null();
    if (varType == varString)
      return Variant(
          AnsiString::FromBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    // A bytes field built from a dataset field keeps untyped values: its bytes must survive too.
    if (varType == (varArray | varByte) || varType == varVariant) return VarArrayOfBytes(std::move(bytes));
    return Variant::Null();
  }
  Variant value = reader->ReadVariant();
  if (value.IsEmpty()) return Variant::Null();
  if (varType == varFMTBcd) {
    Variant result;
    StorageStrToVarEh(VarToStr(value), varFMTBcd, result);
    return result;
  }
  if ((varType == varSQLTimeStamp || varType == varSQLTimeStampOffset) &&
      VarIsType(value, {varUString, varOleStr, varString}))
    return ParseSQLTimeStampTextEh(VarToStr(value), varType);
  if (varType == varVariant) return value;
  return StoreRecValueEh(value, varType);
}

// ---- TRecValuesEh ----

TRecValuesEh::TRecValuesEh(const TRecDataValues& values) {
  resize(values.size());
  for (size_t i = 0; i < values.size(); ++i) Set(i, values[i]);
}

TRecValuesEh::TRecValuesEh(const TRecValuesEh& other) { *this = other; }

TRecValuesEh& TRecValuesEh::operator=(const TRecValuesEh& other) {
  if (this == &other) return *this;
  clear();
  if (!other.block_) return *this;
  const size_t bytes = BlockBytes(other.size(), other.Head()->tail);
  block_ = std::malloc(bytes);
  if (!block_) throw std::bad_alloc();
  std::memcpy(block_, other.block_, bytes);
  // Boxed values are owned one per block: none is shared while the copies are made.
  for (size_t i = 0; i < size(); ++i)
    if (Tags()[i] == kBoxed) Tags()[i] = kNull;
  for (size_t i = 0; i < size(); ++i)
    if (other.Tags()[i] == kBoxed) {
      Slots()[i] = reinterpret_cast<uint64_t>(new Variant(*reinterpret_cast<Variant*>(other.Slots()[i])));
      Tags()[i] = kBoxed;
    }
  return *this;
}

TRecValuesEh& TRecValuesEh::operator=(TRecValuesEh&& other) noexcept {
  if (this != &other) {
    clear();
    block_ = other.block_;
    other.block_ = nullptr;
  }
  return *this;
}

void TRecValuesEh::clear() {
  if (!block_) return;
  for (size_t i = 0; i < size(); ++i) ReleaseBoxed(i);
  std::free(block_);
  block_ = nullptr;
}

void TRecValuesEh::ReleaseBoxed(size_t index) {
  if (Tags()[index] != kBoxed) return;
  delete reinterpret_cast<Variant*>(Slots()[index]);
  Tags()[index] = kNull;
}

void TRecValuesEh::resize(size_t count) {
  const size_t old = size();
  if (count == old) return;
  if (count == 0) {
    clear();
    return;
  }
  for (size_t i = count; i < old; ++i) ReleaseBoxed(i);
  // Texts beyond the new count are dropped by laying the tail out again.
  std::string tail;
  std::vector<std::pair<size_t, size_t>> texts(std::min(old, count), {0, 0});
  for (size_t i = 0; i < texts.size(); ++i)
    if (HasText(Tags()[i])) {
      const size_t at = tail.size() + (tail.size() & 1);
      tail.resize(at);
      const uint64_t slot = Slots()[i];
      tail.append(Tail() + (slot & 0xFFFFFFFF), slot >> 32);
      texts[i] = {at, slot >> 32};
    }
  void* block = std::malloc(BlockBytes(count, tail.size()));
  if (!block) throw std::bad_alloc();
  void* oldBlock = block_;
  const uint8_t* oldTags = old ? Tags() : nullptr;
  const uint64_t* oldSlots = old ? Slots() : nullptr;
  block_ = block;
  Head()->count = static_cast<uint32_t>(count);
  Head()->tail = static_cast<uint32_t>(tail.size());
  std::memset(Tags(), kNull, TagBytes(count));
  std::memset(Slots(), 0, count * sizeof(uint64_t));
  for (size_t i = 0; i < texts.size(); ++i) {
    Tags()[i] = oldTags[i];
    Slots()[i] =
        HasText(oldTags[i]) ? texts[i].first | (static_cast<uint64_t>(texts[i].second) << 32) : oldSlots[i];
  }
  if (!tail.empty()) std::memcpy(Tail(), tail.data(), tail.size());
  std::free(oldBlock);
}

void TRecValuesEh::ReplaceText(size_t index, uint8_t tag, uint64_t slot, const void* bytes, size_t length) {
  const size_t count = size();
  size_t tailBytes = 0;
  for (size_t i = 0; i < count; ++i)
    if (i != index && HasText(Tags()[i])) tailBytes += (Slots()[i] >> 32) + 1;
  if (bytes) tailBytes += length + 1;
  if (tailBytes > 0xFFFFFFFFu) throw EOutOfMemory(u"Out of memory");
  void* block = std::malloc(BlockBytes(count, tailBytes));
  if (!block) throw std::bad_alloc();
  TRecValuesEh fresh;
  fresh.block_ = block;
  fresh.Head()->count = static_cast<uint32_t>(count);
  std::memcpy(fresh.Tags(), Tags(), TagBytes(count));
  std::memcpy(fresh.Slots(), Slots(), count * sizeof(uint64_t));
  size_t at = 0;
  auto place = [&](size_t i, const void* from, size_t n) {
    at += at & 1;  // wide texts start on an even byte
    if (n) std::memcpy(fresh.Tail() + at, from, n);
    fresh.Slots()[i] = at | (static_cast<uint64_t>(n) << 32);
    at += n;
  };
  for (size_t i = 0; i < count; ++i)
    if (i != index && HasText(Tags()[i])) place(i, Tail() + (Slots()[i] & 0xFFFFFFFF), Slots()[i] >> 32);
  fresh.Tags()[index] = tag;
  if (bytes)
    place(index, bytes, length);
  else
    fresh.Slots()[index] = slot;
  fresh.Head()->tail = static_cast<uint32_t>(at);
  // The old block's boxed values now belong to the new one; the replaced value's is released first.
  ReleaseBoxed(index);
  std::free(block_);
  block_ = fresh.block_;
  fresh.block_ = nullptr;
}

void TRecValuesEh::Set(size_t index, const Variant& value) {
  uint8_t tag = kBoxed;
  uint64_t slot = 0;
  auto bits = [](double d) { return std::bit_cast<uint64_t>(d); };
  switch (value.Type()) {
    case varNull:
      tag = kNull;
      break;
    case varEmpty:
      tag = kEmpty;
      break;
    case varSmallint:
      tag = kSmallint;
      slot = static_cast<uint64_t>(value.AsInt64());
      break;
    case varInteger:
      tag = kInteger;
      slot = static_cast<uint64_t>(value.AsInt64());
      break;
    case varShortInt:
      tag = kShortInt;
      slot = static_cast<uint64_t>(value.AsInt64());
      break;
    case varInt64:
      tag = kInt64;
      slot = static_cast<uint64_t>(value.AsInt64());
      break;
    case varByte:
      tag = kByte;
      slot = value.AsUInt64();
      break;
    case varWord:
      tag = kWord;
      slot = value.AsUInt64();
      break;
    case varLongWord:
      tag = kLongWord;
      slot = value.AsUInt64();
      break;
    case varUInt64:
      tag = kUInt64;
      slot = value.AsUInt64();
      break;
    case varSingle:
      tag = kSingle;
      slot = bits(value.AsDouble());
      break;
    case varDouble:
      tag = kDouble;
      slot = bits(value.AsDouble());
      break;
    case varDate:
      tag = kDate;
      slot = bits(value.AsDateTime());
      break;
    case varCurrency:
      tag = kCurrency;
      slot = static_cast<uint64_t>(value.AsCurrency().Value);
      break;
    case varBoolean:
      tag = kBoolean;
      slot = value.AsBoolean() ? 1 : 0;
      break;
    case varUString: {
      const String text = value.AsString();
      ReplaceText(index, kUString, 0, text.data(), text.size() * sizeof(Char));
      return;
    }
    case varString: {
      const AnsiString text = value.AsAnsiString();
      ReplaceText(index, kAnsi, 0, text.data(), text.size());
      return;
    }
    default:
      break;
  }
  std::unique_ptr<Variant> boxed;
  if (tag == kBoxed) {
    boxed = std::make_unique<Variant>(value);
    slot = reinterpret_cast<uint64_t>(boxed.get());
  }
  if (HasText(Tags()[index])) {
    ReplaceText(index, tag, slot, nullptr, 0);
    static_cast<void>(boxed.release());
    return;
  }
  static_cast<void>(boxed.release());
  ReleaseBoxed(index);
  Tags()[index] = tag;
  Slots()[index] = slot;
}

Variant TRecValuesEh::operator[](size_t index) const {
  const uint64_t slot = Slots()[index];
  switch (Tags()[index]) {
    case kNull:
      return Variant::Null();
    case kEmpty:
      return Variant();
    case kSmallint:
      return Variant(static_cast<int16_t>(slot));
    case kInteger:
      return Variant(static_cast<int32_t>(slot));
    case kShortInt:
      return Variant(static_cast<int8_t>(slot));
    case kInt64:
      return Variant(static_cast<Int64>(slot));
    case kByte:
      return Variant(static_cast<uint8_t>(slot));
    case kWord:
      return Variant(static_cast<uint16_t>(slot));
    case kLongWord:
      return Variant(static_cast<uint32_t>(slot));
    case kUInt64:
      return Variant(static_cast<UInt64>(slot));
    case kSingle:
      return Variant(static_cast<float>(std::bit_cast<double>(slot)));
    case kDouble:
      return Variant(std::bit_cast<double>(slot));
    case kDate:
      return Variant::FromDate(std::bit_cast<double>(slot));
    case kCurrency:
      return Variant(Currency::FromRaw(static_cast<Int64>(slot)));
    case kBoolean:
      return Variant(slot != 0);
    case kUString:
      return Variant(String(TextAt(index)));
    case kAnsi:
      return Variant(AnsiString::FromBytes(std::string_view(Tail() + (slot & 0xFFFFFFFF), slot >> 32)));
    default:
      return *reinterpret_cast<const Variant*>(slot);
  }
}

TVarType TRecValuesEh::TypeAt(size_t index) const {
  static constexpr TVarType kTypes[] = {
      varNull, varEmpty, varSmallint, varInteger, varShortInt, varInt64,   varSingle,  varDouble, varDate,
      varByte, varWord,  varLongWord, varUInt64,  varCurrency, varBoolean, varUString, varString};
  const uint8_t tag = Tags()[index];
  return tag == kBoxed ? reinterpret_cast<const Variant*>(Slots()[index])->Type() : kTypes[tag];
}

double TRecValuesEh::FloatAt(size_t index) const { return std::bit_cast<double>(Slots()[index]); }

std::u16string_view TRecValuesEh::TextAt(size_t index) const {
  const uint64_t slot = Slots()[index];
  return {reinterpret_cast<const Char*>(Tail() + (slot & 0xFFFFFFFF)), (slot >> 32) / sizeof(Char)};
}

TRecDataValues TRecValuesEh::ToVector() const {
  TRecDataValues values;
  values.reserve(size());
  for (size_t i = 0; i < size(); ++i) values.push_back((*this)[i]);
  return values;
}

// ---- TMemoryRecordEh ----

TMemoryRecordEh::TMemoryRecordEh() = default;

TMemoryRecordEh::~TMemoryRecordEh() {
  if (!GetAttached() || !recordsList_) return;
  // A record freed while a list still holds it leaves that list a dangling pointer: with the check
  // switched on, that stops the program with the check's message, as a failed assertion does.
  try {
    recordsList_->CheckRecordDestroy(this);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    std::abort();
  }
}

void TMemoryRecordEh::CheckFieldIndex(Integer fieldIndex) const {
  Integer count = dataStruct_ ? dataStruct_->GetCount() : static_cast<Integer>(data_.size());
  if (fieldIndex < 0 || fieldIndex >= count)
    throw EListError(Format(u"List index out of bounds (%d)", {fieldIndex}));
}

const TRecValuesEh& TMemoryRecordEh::ValuesFor(TDataValueVersionEh version) const {
  switch (version) {
    case dvvOldValueEh:
      if (oldData_.empty()) throw Exception(kOldValuesMissing);
      return oldData_;
    case dvvCurValueEh:
      return editState_ == resEditEh && !tmpOldRecValue_.empty() ? tmpOldRecValue_ : data_;
    case dvvEditValueEh:
      if (tmpOldRecValue_.empty()) throw Exception(kEditValuesMissing);
      return data_;
    case dvvValueEh:
      return data_;
    case dvvOldestValue:
      if (!oldData_.empty()) return oldData_;
      return tmpOldRecValue_.empty() ? data_ : tmpOldRecValue_;
    case dvvRefreshValue:
      return oldData_.empty() ? data_ : oldData_;
  }
  return data_;
}

TRecValuesEh& TMemoryRecordEh::ValuesFor(TDataValueVersionEh version) {
  return const_cast<TRecValuesEh&>(static_cast<const TMemoryRecordEh*>(this)->ValuesFor(version));
}

Variant TMemoryRecordEh::GetDataValue(Integer fieldIndex, TDataValueVersionEh version) const {
  CheckFieldIndex(fieldIndex);
  const TRecValuesEh& values = ValuesFor(version);
  if (static_cast<size_t>(fieldIndex) >= values.size()) return Variant::Null();
  return values[fieldIndex];
}

void TMemoryRecordEh::SetDataValue(Integer fieldIndex, TDataValueVersionEh version, const Variant& value) {
  CheckFieldIndex(fieldIndex);
  TRecValuesEh& values = ValuesFor(version);
  TVarType varType = dataStruct_ ? dataStruct_->GetDataField(fieldIndex)->VarDataType() : varVariant;
  Variant stored = StoreRecValueEh(value, varType);
  if (static_cast<size_t>(fieldIndex) >= values.size()) values.resize(static_cast<size_t>(fieldIndex) + 1);
  values.Set(static_cast<size_t>(fieldIndex), stored);
}

Variant TMemoryRecordEh::GetDataValues(const String& fieldNames, TDataValueVersionEh version) const {
  if (version == dvvOldValueEh && oldData_.empty()) throw Exception(kOldValuesMissing);
  if (fieldNames.find(u';') != String::npos) {
    TList fields;
    dataStruct_->GetFieldList(&fields, fieldNames);
    std::vector<Variant> values;
    for (int i = 0; i < fields.GetCount(); ++i)
      values.push_back(GetDataValue(static_cast<TMTDataFieldEh*>(fields.Get(i))->GetIndex(), version));
    return VarArrayOf(values);
  }
  Integer index = dataStruct_ ? dataStruct_->FieldIndex(fieldNames) : -1;
  if (index < 0) throw EDatabaseError(Format(SFieldNotFound, {fieldNames}));
  return GetDataValue(index, version);
}

void TMemoryRecordEh::SetDataValues(const String& fieldNames, TDataValueVersionEh version,
                                    const Variant& value) {
  if (fieldNames.find(u';') != String::npos) {
    TList fields;
    dataStruct_->GetFieldList(&fields, fieldNames);
    for (int i = 0; i < fields.GetCount(); ++i)
      SetDataValue(static_cast<TMTDataFieldEh*>(fields.Get(i))->GetIndex(), version, value.GetElement(i));
    return;
  }
  SetDataValue(dataStruct_ ? dataStruct_->FieldIndex(fieldNames) : -1, version, value);
}

Variant TMemoryRecordEh::GetDataIndexValues(const TIntArray& fieldIndexes,
                                            TDataValueVersionEh version) const {
  if (fieldIndexes.empty()) return Variant(String());
  if (fieldIndexes.size() == 1) return GetDataValue(fieldIndexes[0], version);
  std::vector<Variant> values;
  values.reserve(fieldIndexes.size());
  for (Integer index : fieldIndexes) values.push_back(GetDataValue(index, version));
  return VarArrayOf(values);
}

void TMemoryRecordEh::SetDataIndexValues(const TIntArray& fieldIndexes, TDataValueVersionEh version,
                                         const Variant& value) {
  if (fieldIndexes.size() < 2) {
    SetDataValue(fieldIndexes.empty() ? -1 : fieldIndexes[0], version, value);
    return;
  }
  for (size_t i = 0; i < fieldIndexes.size(); ++i)
    SetDataValue(fieldIndexes[i], version, value.GetElement(static_cast<int>(i)));
}

void TMemoryRecordEh::Edit() {
  if (editState_ != resBrowseEh) return;
  editState_ = resEditEh;
  tmpOldRecValue_ = data_;
}

void TMemoryRecordEh::EditForRefresh() {
  if (editState_ == resEditEh || editState_ == resInsertEh)
    throw Exception(u"procedure TMemoryRecordEh.EditForRefresh: The MemoryRecord is in resEditEh state.");
  editState_ = resEditForRefresh;
}

void TMemoryRecordEh::Post() {
  switch (editState_) {
    case resInsertEh:
      recordsList_->AddRecord(this);
      return;
    case resBrowseEh:
      throw EDatabaseError(SNotEditing);
    case resEditForRefresh:
      editState_ = resBrowseEh;
      if (recordsList_ && GetAttached()) recordsList_->Notify(this, index_, rlnRecChangedEh);
      return;
    case resEditEh:
      break;
  }
  TRecordsListEh* list = recordsList_;
  if (!list || !GetAttached()) {
    tmpOldRecValue_.clear();
    editState_ = resBrowseEh;
    return;
  }
  list->Notify(this, index_, rlnRecChangingEh);
  if (list->GetCachedUpdates()) {
    if (updateStatus_ == usUnmodified) updateStatus_ = usModified;
    list->AppendToDelta(this);
    if (updateStatus_ == usModified && oldData_.empty()) oldData_ = tmpOldRecValue_;
  } else if (list->GetMemTableData() && list->GetMemTableData()->HasApplyUpdatesHandler()) {
    list->ApplyRecordUpdate(this, ukModify);
  }
  tmpOldRecValue_.clear();
  editState_ = resBrowseEh;
  list->Notify(this, index_, rlnRecChangedEh);
}

void TMemoryRecordEh::Cancel() {
  switch (editState_) {
    case resInsertEh:
      if (!GetAttached()) delete this;
      return;
    case resBrowseEh:
      throw EDatabaseError(SNotEditing);
    case resEditEh:
      data_ = std::move(tmpOldRecValue_);
      tmpOldRecValue_.clear();
      editState_ = resBrowseEh;
      return;
    case resEditForRefresh:
      editState_ = resBrowseEh;
      return;
  }
}

void TMemoryRecordEh::InternalMergeChanges() {
  oldData_.clear();
  updateStatus_ = usUnmodified;
  if (recordsList_) recordsList_->EmptyDeltaSlot(this);
  updateIndex_ = -1;
  updateError_.reset();
}

void TMemoryRecordEh::MergeChanges() {
  if (updateStatus_ == usUnmodified) return;
  if (updateStatus_ == usDeleted && recordsList_ && GetAttached()) recordsList_->PersistRemoveRecord(index_);
  InternalMergeChanges();
}

void TMemoryRecordEh::RevertRecord() {
  if (updateStatus_ == usModified || updateStatus_ == usDeleted) {
    // A deleted record that had been changed comes back with the values from before the change. The
    // indexes see the values coming back before they are kept, so a unique index can refuse them.
    TRecValuesEh values = oldData_.empty() ? data_ : oldData_;
    auto revert = [&] {
      data_ = values;
      updateStatus_ = usUnmodified;
    };
    TUpdateStatus status = updateStatus_;
    if (GetAttached() && recordsList_) {
      try {
        recordsList_->ChangeValuesChecked(this, revert);
      } catch (...) {
        updateStatus_ = status;
        throw;
      }
    } else {
      revert();
    }
    oldData_.clear();
  }
  updateError_.reset();
}

void TMemoryRecordEh::RefreshRecord(TMemoryRecordEh* rec) {
  if (updateStatus_ == usModified)
    oldData_ = rec->data_;
  else
    data_ = rec->data_;
}

// ---- TRecordsListEh ----

TRecordsListEh::TRecordsListEh(TComponent* owner) : TComponent(owner) {
  if (owner && !dynamic_cast<TMemTableDataEh*>(owner)) throw Exception(owner->ClassName());
  memTableData_ = static_cast<TMemTableDataEh*>(owner);
  indexes_ = std::make_unique<TMTIndexesEh>(this);
}

TRecordsListEh::~TRecordsListEh() {
  indexes_.reset();
  for (Integer i = 0; i < recList_.GetCount(); ++i) {
    auto* rec = static_cast<TMemoryRecordEh*>(recList_.Get(i));
    if (!rec) continue;
    rec->index_ = -1;
    delete rec;
  }
  recList_.Clear();
  FreeDeletedList();
}

TMTDataStructEh* TRecordsListEh::GetDataStruct() const {
  return memTableData_ ? memTableData_->GetDataStruct() : nullptr;
}

Integer TRecordsListEh::GetRecValCount() const {
  TMTDataStructEh* ds = GetDataStruct();
  return ds ? ds->GetCount() : 0;
}

TMemoryRecordEh* TRecordsListEh::GetRec(Integer index) const {
  return static_cast<TMemoryRecordEh*>(recList_.Get(index));
}

void TRecordsListEh::SetRec(Integer index, TMemoryRecordEh* rec) { recList_.Put(index, rec); }

Variant TRecordsListEh::GetValue(Integer recIndex, Integer valIndex) const {
  return GetRec(recIndex)->GetDataValue(valIndex, dvvValueEh);
}

void TRecordsListEh::SetValue(Integer recIndex, Integer valIndex, const Variant& value) {
  TMemoryRecordEh* rec = GetRec(recIndex);
  rec->CheckFieldIndex(valIndex);
  ChangeValuesChecked(rec, [&] {
    if (static_cast<size_t>(valIndex) >= rec->data_.size())
      rec->data_.resize(static_cast<size_t>(valIndex) + 1);
    rec->data_.Set(static_cast<size_t>(valIndex), value);
  });
}

void TRecordsListEh::ChangeValuesChecked(TMemoryRecordEh* rec, const std::function<void()>& change) {
  Integer index = rec->index_;
  if (rec->editState_ != resBrowseEh) {
    Notify(rec, index, rlnRecChangingEh);
    change();
    Notify(rec, index, rlnRecChangedEh);
    return;
  }
  // The change is made under a short edit so that the changing notification sees the new values next to
  // the current ones: a unique index can refuse it, and the values then go back.
  rec->tmpOldRecValue_ = rec->data_;
  rec->editState_ = resEditEh;
  try {
    change();
    Notify(rec, index, rlnRecChangingEh);
  } catch (...) {
    rec->data_ = std::move(rec->tmpOldRecValue_);
    rec->tmpOldRecValue_.clear();
    rec->editState_ = resBrowseEh;
    throw;
  }
  rec->tmpOldRecValue_.clear();
  rec->editState_ = resBrowseEh;
  Notify(rec, index, rlnRecChangedEh);
}

TMemoryRecordEh* TRecordsListEh::NewRecord() {
  auto* rec = new TMemoryRecordEh();
  rec->hashCode_ = newHashCode_++;
  rec->data_.resize(static_cast<size_t>(GetRecValCount()));
  rec->recordsList_ = this;
  rec->dataStruct_ = GetDataStruct();
  return rec;
}

Integer TRecordsListEh::AddRecord(TMemoryRecordEh* rec) {
  return InternalAddRecord(rec, GetCount(), true, false);
}

void TRecordsListEh::InsertRecord(Integer index, TMemoryRecordEh* rec) {
  if (index < 0 || index > GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  InternalAddRecord(rec, index, index == GetCount(), false);
}

Integer TRecordsListEh::FetchRecord(TMemoryRecordEh* rec) {
  bool saved = cachedUpdates_;
  cachedUpdates_ = false;
  try {
    Integer result = InternalAddRecord(rec, GetCount(), true, true);
    cachedUpdates_ = saved;
    return result;
  } catch (...) {
    cachedUpdates_ = saved;
    throw;
  }
}

Integer TRecordsListEh::InternalAddRecord(TMemoryRecordEh* rec, Integer index, bool append, bool fetching) {
  if (rec->recordsList_ != this) throw Exception(u"Record.RecordsList is not the same.");
  if (rec->GetAttached()) throw Exception(u"The record is already attached to RecordsList.");
  Notify(rec, index, rlnRecAddingEh);
  if (!fetching) {
    SetAutoIncValue(rec);
    if (!cachedUpdates_ && memTableData_ && memTableData_->HasApplyUpdatesHandler())
      ApplyRecordUpdate(rec, ukInsert);
  }
  if (append) {
    index = recList_.Add(rec);
    rec->index_ = index;
  } else {
    recList_.Insert(index, rec);
    RenumberFrom(index);
  }
  rec->recordsList_ = this;
  if (cachedUpdates_) {
    rec->updateStatus_ = usInserted;
    AppendToDelta(rec);
  } else {
    rec->updateStatus_ = usUnmodified;
  }
  rec->editState_ = resBrowseEh;
  Notify(rec, index, rlnRecAddedEh);
  return index;
}

void TRecordsListEh::SetAutoIncValue(TMemoryRecordEh* rec) {
  if (memTableData_) memTableData_->SetAutoIncValue(rec);
}

void TRecordsListEh::RenumberFrom(Integer index) {
  for (Integer i = std::max<Integer>(index, 0); i < recList_.GetCount(); ++i)
    if (auto* rec = GetRec(i)) rec->index_ = i;
}

void TRecordsListEh::EmptyDeltaSlot(TMemoryRecordEh* rec) {
  Integer slot = rec->updateIndex_;
  if (slot >= 0 && slot < deltaList_.GetCount() && deltaList_.Get(slot) == rec) deltaList_.Put(slot, nullptr);
  rec->updateIndex_ = -1;
}

void TRecordsListEh::AppendToDelta(TMemoryRecordEh* rec) {
  if (rec->updateIndex_ >= 0) return;
  rec->updateIndex_ = deltaList_.Add(rec);
}

void TRecordsListEh::FreeDeletedList() {
  for (Integer i = 0; i < deletedList_.GetCount(); ++i) {
    auto* rec = static_cast<TMemoryRecordEh*>(deletedList_.Get(i));
    if (!rec) continue;
    rec->index_ = -1;
    delete rec;
  }
  deletedList_.Clear();
}

void TRecordsListEh::DeleteRecord(Integer index) {
  TMemoryRecordEh* rec = GetRec(index);
  if (!cachedUpdates_) {
    PersistDeleteRecord(index);
    return;
  }
  switch (rec->updateStatus_) {
    case usDeleted:
      throw Exception(u"Can't MarkDel the Deleted record");
    case usInserted:
      EmptyDeltaSlot(rec);
      PersistDeleteRecord(index);
      return;
    default:
      break;
  }
  // A modified record keeps its old values and its place in the log: cancelling the delete gives back
  // the values from before the first change, and the log reports those as the deleted row.
  rec->updateStatus_ = usDeleted;
  AppendToDelta(rec);
  Notify(rec, index, rlnRecMarkedForDelEh);
}

void TRecordsListEh::PersistDeleteRecord(Integer index) {
  TMemoryRecordEh* rec = GetRec(index);
  Notify(rec, index, rlnRecDeletingEh);
  if (!cachedUpdates_ && memTableData_ && memTableData_->HasApplyUpdatesHandler())
    ApplyRecordUpdate(rec, ukDelete);
  recList_.Delete(index);
  RenumberFrom(index);
  rec->index_ = -1;
  Notify(rec, index, rlnRecDeletedEh);
  delete rec;
}

void TRecordsListEh::DeleteRecords(const TRecordsRangesEh& ranges) {
  if (cachedUpdates_) throw Exception(u"Delete a range of record in CachedUpdates mode is not supported");
  PersistDeleteRecords(ranges);
}

void TRecordsListEh::PersistDeleteRecords(const TRecordsRangesEh& ranges) {
  for (const auto& [first, last] : ranges) {
    if (first < 0 || first >= GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {first}));
    if (last < first || last >= GetCount())
      throw EListError(Format(u"List index out of bounds (%d)", {last}));
  }
  bool apply = memTableData_ && memTableData_->HasApplyUpdatesHandler();
  for (const auto& [first, last] : ranges) {
    for (Integer i = first; i <= last; ++i) {
      TMemoryRecordEh* rec = GetRec(i);
      if (!rec) continue;
      if (apply) ApplyRecordUpdate(rec, ukDelete);
      recList_.Put(i, nullptr);
      rec->index_ = -1;
      delete rec;
    }
  }
  recList_.Pack();
  RenumberFrom(0);
  Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::PersistRemoveRecord(Integer index) {
  TMemoryRecordEh* rec = GetRec(index);
  Notify(rec, index, rlnRecDeletingEh);
  deletedList_.Add(rec);
  recList_.Delete(index);
  RenumberFrom(index);
  rec->index_ = -1;
  Notify(rec, index, rlnRecDeletedEh);
}

void TRecordsListEh::MergeRecordLeavingSlot(TMemoryRecordEh* rec) {
  if (rec->updateStatus_ == usDeleted && rec->GetAttached()) {
    Integer index = rec->index_;
    Notify(rec, index, rlnRecDeletingEh);
    deletedList_.Add(rec);
    recList_.Put(index, nullptr);
    rec->index_ = -1;
    Notify(rec, index, rlnRecDeletedEh);
  }
  rec->InternalMergeChanges();
}

void TRecordsListEh::Clear() {
  FreeDeletedList();
  deltaList_.Clear();
  for (Integer i = 0; i < indexes_->GetCount(); ++i) indexes_->GetItem(i)->ClearIndex();
  for (Integer i = 0; i < recList_.GetCount(); ++i) {
    auto* rec = GetRec(i);
    if (!rec) continue;
    rec->index_ = -1;
    delete rec;
  }
  recList_.Clear();
  Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::RevertRecord(Integer index) {
  TMemoryRecordEh* rec = GetRec(index);
  if (rec->updateStatus_ == usInserted) {
    EmptyDeltaSlot(rec);
    PersistDeleteRecord(index);
    return;
  }
  rec->RevertRecord();
}

void TRecordsListEh::RefreshRecord(Integer index, TMemoryRecordEh* fromRec) {
  GetRec(index)->RefreshRecord(fromRec);
}

void TRecordsListEh::CancelUpdates() {
  for (Integer i = recList_.GetCount() - 1; i >= 0; --i) {
    TMemoryRecordEh* rec = GetRec(i);
    switch (rec->updateStatus_) {
      case usModified:
        // A status set from outside without old values has nothing to go back to.
        if (rec->oldData_.empty()) break;
        rec->data_ = std::move(rec->oldData_);
        rec->oldData_.clear();
        rec->updateStatus_ = usUnmodified;
        rec->updateIndex_ = -1;
        break;
      case usInserted:
        EmptyDeltaSlot(rec);
        recList_.Delete(i);
        RenumberFrom(i);
        rec->index_ = -1;
        delete rec;
        break;
      case usDeleted:
        if (!rec->oldData_.empty()) rec->data_ = std::move(rec->oldData_);
        rec->oldData_.clear();
        rec->updateStatus_ = usUnmodified;
        rec->updateIndex_ = -1;
        break;
      case usUnmodified:
        break;
    }
  }
  deltaList_.Clear();
  Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::MergeChangeLog() {
  Integer count = deltaList_.GetCount();
  if (count == 0) return;
  if (count == 1) {
    if (auto* rec = static_cast<TMemoryRecordEh*>(deltaList_.Get(0))) rec->MergeChanges();
    FreeDeletedList();
    deltaList_.Clear();
    return;
  }
  BeginUpdate();
  try {
    Integer before = recList_.GetCount();
    for (Integer i = 0; i < count; ++i)
      if (auto* rec = static_cast<TMemoryRecordEh*>(deltaList_.Get(i))) MergeRecordLeavingSlot(rec);
    FreeDeletedList();
    recList_.Pack();
    if (recList_.GetCount() != before) RenumberFrom(0);
    deltaList_.Clear();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TRecordsListEh::CleanupChangedRecs() {
  FreeDeletedList();
  deltaList_.Pack();
  for (Integer i = 0; i < deltaList_.GetCount(); ++i)
    static_cast<TMemoryRecordEh*>(deltaList_.Get(i))->updateIndex_ = i;
}

void TRecordsListEh::ApplyRecordUpdate(TMemoryRecordEh* rec, TUpdateKind kind) {
  auto shadow = std::make_unique<TMemTableDataShadowEh>(memTableData_);
  TRecordsListEh* list = shadow->GetRecordsList();
  list->SetCachedUpdates(true);
  TMemoryRecordEh* shadowRec = list->NewRecord();
  switch (kind) {
    case ukModify:
      shadowRec->data_ = rec->ValuesFor(dvvOldestValue);
      list->FetchRecord(shadowRec);
      shadowRec->Edit();
      shadowRec->data_ = rec->data_;
      shadowRec->Post();
      break;
    case ukInsert:
      shadowRec->data_ = rec->data_;
      shadowRec->Post();
      break;
    case ukDelete:
      shadowRec->data_ = rec->ValuesFor(dvvOldestValue);
      list->FetchRecord(shadowRec);
      list->DeleteRecord(0);
      break;
  }
  memTableData_->NotifyApplyUpdates(shadow.get());
  if (kind != ukDelete && list->GetCount() > 0) rec->data_ = list->GetRec(0)->data_;
}

void TRecordsListEh::SortData(const TCompareRecords& compare, TObject* paramSort) {
  if (GetCount() > 1) QuickSort(0, GetCount() - 1, compare, paramSort);
  RenumberFrom(0);
  Notify(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::QuickSort(Integer l, Integer r, const TCompareRecords& compare, TObject* paramSort) {
  QuickSortRange(
      l, r, [&](Integer a, Integer b) { return compare(GetRec(a), GetRec(b), paramSort); },
      [&](Integer a, Integer b) { recList_.Exchange(a, b); });
}

void TRecordsListEh::Move(Integer curIndex, Integer newIndex) {
  if (curIndex == newIndex) return;
  TMemoryRecordEh* rec = GetRec(curIndex);
  recList_.Move(curIndex, newIndex);
  RenumberFrom(std::min(curIndex, newIndex));
  RecordMoved(rec, curIndex, newIndex);
}

Integer TRecordsListEh::IndexOf(TMemoryRecordEh* item) const { return recList_.IndexOf(item); }

void TRecordsListEh::Notify(TMemoryRecordEh* rec, Integer index, TRecordsListNotification action) {
  if (updateCount_ > 0) return;
  indexes_->RecordsListNotify(rec, index, action);
  if (memTableData_) memTableData_->Notify(rec, index, action);
}

void TRecordsListEh::RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex) {
  if (updateCount_ > 0) return;
  indexes_->RecordMoved(item, oldIndex, newIndex);
  if (memTableData_) memTableData_->NotifyRecordMoved(item, oldIndex, newIndex);
}

void TRecordsListEh::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) Notify(nullptr, -1, rlnListChangedEh);
}

bool& TRecordsListEh::CheckRecordDestroyEnabled() {
  static bool enabled = false;
  return enabled;
}

void TRecordsListEh::CheckRecordDestroy(TMemoryRecordEh* rec) {
  if (!CheckRecordDestroyEnabled()) return;
  if (deletedList_.IndexOf(rec) >= 0) throw Exception(u"Can not delete Record if it present in DeletedList.");
  if (deltaList_.IndexOf(rec) >= 0)
    throw Exception(u"Can not delete Record if it present in CachedUpdate pending list.");
  if (recList_.IndexOf(rec) >= 0) throw Exception(u"Can not delete Record if it present in active list.");
}

bool TRecordsListEh::DataDiffersFromAncestor(TRecordsListEh* ancestor) {
  auto bytes = [](TRecordsListEh* list) {
    TMemoryStream stream;
    {
      TWriter writer(&stream, 1024);
      list->WriteData(&writer);
      writer.FlushBuffer();
    }
    const Byte* p = static_cast<const Byte*>(stream.Memory());
    return std::vector<Byte>(p, p + stream.GetSize());
  };
  return bytes(this) != bytes(ancestor);
}

void TRecordsListEh::DefineProperties(TFiler* filer) {
  bool hasData = GetCount() > 0;
  if (TPersistent* ancestor = filer->GetAncestor()) {
    auto* ancestorList = dynamic_cast<TRecordsListEh*>(ancestor);
    hasData =
        !ancestorList || ancestorList->ClassType() != ClassType() || DataDiffersFromAncestor(ancestorList);
  }
  filer->DefineProperty(u"Data", TReaderProc(this, &TRecordsListEh::ReadData),
                        TWriterProc(this, &TRecordsListEh::WriteData), hasData);
}

void TRecordsListEh::WriteData(TWriter* writer) {
  TMTDataStructEh* ds = GetDataStruct();
  writer->WriteListBegin();
  for (Integer r = 0; r < GetCount(); ++r) {
    TMemoryRecordEh* rec = GetRec(r);
    writer->WriteListBegin();
    for (Integer f = 0; f < ds->GetCount(); ++f)
      ds->GetDataField(f)->WriteDataToWriter(
          writer, static_cast<size_t>(f) < rec->data_.size() ? rec->data_[f] : Variant::Null());
    writer->WriteListEnd();
  }
  writer->WriteListEnd();
}

void TRecordsListEh::ReadData(TReader* reader) {
  Clear();
  TMTDataStructEh* ds = GetDataStruct();
  reader->ReadListBegin();
  while (!reader->EndOfList()) {
    std::unique_ptr<TMemoryRecordEh> rec(NewRecord());
    reader->ReadListBegin();
    for (Integer f = 0; f < ds->GetCount(); ++f) {
      if (reader->NextValue() == vaNull) throw EReadError(u"Invalid property value");
      rec->data_.Set(static_cast<size_t>(f), ds->GetDataField(f)->ReadDataFromReader(reader));
    }
    reader->ReadListEnd();
    FetchRecord(rec.get());
    // The records list owns the record from here on.
    static_cast<void>(rec.release());
  }
  reader->ReadListEnd();
}

KIV_REGISTER_CLASS(TRecordsListEh);

// ---- TRecordsListNotificatorEh ----

TRecordsListNotificatorEh::TRecordsListNotificatorEh(TComponent* owner) : TComponent(owner) {}

TRecordsListNotificatorEh::~TRecordsListNotificatorEh() { DropDataObject(); }

void TRecordsListNotificatorEh::SetDataObject(TComponent* value) {
  if (dataObject_ == value) return;
  DataEvent(nullptr, -1, rlnListChangingEh);
  if (dataObject_) {
    LeaveDataObject(dataObject_);
    RemoveFreeNotification(dataObject_);
  }
  dataObject_ = nullptr;
  if (value) {
    JoinDataObject(value);
    FreeNotification(value);
  }
  dataObject_ = value;
  DataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListNotificatorEh::DropDataObject() noexcept {
  TComponent* left = dataObject_;
  if (!left) return;
  RunReportingFailure(this, [this] { DataEvent(nullptr, -1, rlnListChangingEh); });
  RunReportingFailure(this, [this, left] {
    LeaveDataObject(left);
    RemoveFreeNotification(left);
  });
  dataObject_ = nullptr;
  RunReportingFailure(this, [this] { DataEvent(nullptr, -1, rlnListChangedEh); });
}

void TRecordsListNotificatorEh::JoinDataObject(TComponent* dataObject) {
  if (auto* store = dynamic_cast<TMemTableDataEh*>(dataObject)) store->RegisterNotificator(this);
}

void TRecordsListNotificatorEh::LeaveDataObject(TComponent* dataObject) {
  if (auto* store = dynamic_cast<TMemTableDataEh*>(dataObject)) store->UnregisterNotificator(this);
}

void TRecordsListNotificatorEh::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component && component == dataObject_) DropDataObject();
}

Integer TRecordsListNotificatorEh::FetchRecords(Integer count) {
  return OnFetchRecords ? OnFetchRecords(count) : 0;
}

void TRecordsListNotificatorEh::AfterDataEvent(TMemoryRecordEh* memRec, Integer index,
                                               TRecordsListNotification action) {
  if (OnAfterDataEvent) OnAfterDataEvent(memRec, index, action);
}

void TRecordsListNotificatorEh::DataEvent(TMemoryRecordEh* memRec, Integer index,
                                          TRecordsListNotification action) {
  if (OnDataEvent) OnDataEvent(memRec, index, action);
  switch (action) {
    case rlnRecAddedEh:
      RecordAdded(memRec, index);
      break;
    case rlnRecChangedEh:
      RecordChanged(memRec, index);
      break;
    case rlnRecDeletedEh:
      RecordDeleted(memRec, index);
      break;
    case rlnListChangedEh:
      RecordsListChanged();
      break;
    default:
      break;
  }
}

void TRecordsListNotificatorEh::RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex) {
  if (OnRecordMoved) OnRecordMoved(item, oldIndex, newIndex);
}

void TRecordsListNotificatorEh::StructChanged(TMemTableDataEh* memTableData) {
  if (OnStructChanged) OnStructChanged(memTableData);
}

// ---- TAutoIncrementEh ----

void TAutoIncrementEh::Published(TPropBuilder<TAutoIncrementEh>& p) {
  p.Int(u"InitValue", &TAutoIncrementEh::GetInitValue, &TAutoIncrementEh::SetInitValue).Default(-1);
  p.Int(u"Step", &TAutoIncrementEh::GetStep, &TAutoIncrementEh::SetStep).Default(-1);
}

void TAutoIncrementEh::SetInitValue(Integer value) {
  if (curValue_ == initValue_) curValue_ = value;
  initValue_ = value;
}

Integer TAutoIncrementEh::Promote() {
  Integer result = curValue_;
  curValue_ += step_;
  return result;
}

void TAutoIncrementEh::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TAutoIncrementEh*>(source)) {
    step_ = src->step_;
    SetInitValue(src->initValue_);
    return;
  }
  TPersistent::Assign(source);
}

// ---- TMemTableDataEh ----

TMemTableDataEh::TMemTableDataEh(TComponent* owner)
    : TComponent(owner), autoIncrement_(std::make_unique<TAutoIncrementEh>()) {
  dataStruct_ = new TMTDataStructEh(this);
  dataStruct_->SetName(u"DataStruct");
  recordsList_ = CreateRecordsList();
  recordsList_->SetName(u"RecordsList");
}

TMemTableDataEh::~TMemTableDataEh() {
  while (notificators_.GetCount() > 0) {
    auto* first = GetNotificator(0);
    first->DropDataObject();
    // A descendant that joined otherwise must not keep the loop going.
    notificators_.Remove(first);
  }
  delete recordsList_;
  recordsList_ = nullptr;
  newDataStruct_.reset();
  delete dataStruct_;
  dataStruct_ = nullptr;
}

void TMemTableDataEh::Published(TPropBuilder<TMemTableDataEh>&) {}

TRecordsListEh* TMemTableDataEh::CreateRecordsList() { return new TRecordsListEh(this); }

TRecordsListNotificatorEh* TMemTableDataEh::GetNotificator(Integer index) const {
  return static_cast<TRecordsListNotificatorEh*>(notificators_.Get(index));
}

void TMemTableDataEh::RegisterNotificator(TRecordsListNotificatorEh* notificator) {
  if (notificators_.IndexOf(notificator) < 0) notificators_.Add(notificator);
}

void TMemTableDataEh::UnregisterNotificator(TRecordsListNotificatorEh* notificator) {
  notificators_.Remove(notificator);
}

void TMemTableDataEh::NotifyApplyUpdates(TMemTableDataEh* memTableData) {
  for (Integer i = 0; i < notificators_.GetCount(); ++i) {
    TRecordsListNotificatorEh* n = GetNotificator(i);
    if (n->OnApplyUpdates) n->OnApplyUpdates(memTableData);
  }
}

bool TMemTableDataEh::HasApplyUpdatesHandler() const {
  for (Integer i = 0; i < notificators_.GetCount(); ++i)
    if (GetNotificator(i)->OnApplyUpdates) return true;
  return false;
}

void TMemTableDataEh::Notify(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action) {
  if ((action == rlnRecAddedEh || action == rlnRecChangedEh) && memRec) CalcRecordFields(memRec);
  for (Integer i = 0; i < notificators_.GetCount(); ++i) GetNotificator(i)->DataEvent(memRec, index, action);
}

void TMemTableDataEh::CalcRecordFields(TMemoryRecordEh* memRec) {
  if (!onFieldCalculation_) return;
  TMTDataStructEh* ds = GetDataStruct();
  TVariantArrayEh values(static_cast<size_t>(ds->GetCount()));
  onFieldCalculation_(memRec, values);
  for (Integer i = 0; i < ds->GetCount() && static_cast<size_t>(i) < values.size(); ++i) {
    if (!ds->GetDataField(i)->GetCalculated()) continue;
    memRec->SetDataValue(i, dvvValueEh, values[i].IsEmpty() ? Variant::Null() : values[i]);
  }
}

void TMemTableDataEh::SetOnFieldCalculation(const TMemoryRecordEventEh& value) {
  if (onFieldCalculation_ == value) return;
  onFieldCalculation_ = value;
  for (Integer i = 0; i < recordsList_->GetCount(); ++i) CalcRecordFields(recordsList_->GetRec(i));
}

void TMemTableDataEh::NotifyRecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex) {
  for (Integer i = 0; i < notificators_.GetCount(); ++i)
    GetNotificator(i)->RecordMoved(item, oldIndex, newIndex);
}

void TMemTableDataEh::SetAutoIncValue(TMemoryRecordEh* memRec) {
  TMTDataStructEh* ds = GetDataStruct();
  bool promoted = false;
  Integer value = 0;
  for (Integer i = 0; i < ds->GetCount(); ++i) {
    TMTDataFieldEh* field = ds->GetDataField(i);
    if (field->GetDataType() != ftAutoInc && !field->GetAutoIncrement()) continue;
    if (!promoted) {
      value = autoIncrement_->Promote();
      promoted = true;
    }
    memRec->SetDataValue(i, dvvValueEh, Variant(value));
  }
}

void TMemTableDataEh::StructChanged() {
  TMTDataStructEh* ds = GetDataStruct();
  if (!ds || !recordsList_) return;
  incFieldIndexes_.clear();
  for (Integer i = 0; i < ds->GetCount(); ++i)
    if (ds->GetDataField(i)->GetDataType() == ftAutoInc) incFieldIndexes_.push_back(i);
  // Records follow a field added at the end with a null; conversions go through Assign.
  size_t count = static_cast<size_t>(ds->GetCount());
  for (Integer r = 0; r < recordsList_->GetCount(); ++r) {
    TMemoryRecordEh* rec = recordsList_->GetRec(r);
    if (rec && rec->data_.size() < count) rec->data_.resize(count);
  }
  // Keys may have moved or changed with the fields.
  if (recordsList_->GetCount() > 0) recordsList_->GetIndexes()->UpdateIndexes();
  for (Integer i = 0; i < notificators_.GetCount(); ++i) GetNotificator(i)->StructChanged(this);
}

TMTDataStructEh* TMemTableDataEh::BeginRestruct() {
  if (restructMode_) throw Exception(u"MemTableData already in RestructMode.");
  newDataStruct_.reset(dataStruct_->GetCopy());
  restructMode_ = true;
  return newDataStruct_.get();
}

Integer TMemTableDataEh::FetchRecords(Integer count) {
  Integer total = 0;
  for (Integer i = 0; i < notificators_.GetCount(); ++i) total += GetNotificator(i)->FetchRecords(count);
  return total;
}

void TMemTableDataEh::CancelRestruct() {
  restructMode_ = false;
  newDataStruct_.reset();
}

void TMemTableDataEh::CommitRestruct() {
  restructMode_ = false;
  // The edited copy becomes the structure; records follow their fields by GUID.
  if (newDataStruct_) dataStruct_->EndRestructure(newDataStruct_.release(), true);
}

void TMemTableDataEh::DestroyTable() {
  recordsList_->GetIndexes()->Clear();
  recordsList_->Clear();
  autoIncrement_->Reset();
  dataStruct_->Clear();
}

void TMemTableDataEh::ResetRecords() {
  recordsList_->GetIndexes()->Clear();
  recordsList_->Clear();
  autoIncrement_->Reset();
}

void TMemTableDataEh::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component) notificators_.Remove(component);
}

void TMemTableDataEh::ReadAutoIncCurValue(TReader* reader) {
  autoIncrement_->SetCurValue(reader->ReadInteger());
}

void TMemTableDataEh::WriteAutoIncCurValue(TWriter* writer) {
  writer->WriteInteger(autoIncrement_->GetCurValue());
}

void TMemTableDataEh::DefineProperties(TFiler* filer) {
  TComponent::DefineProperties(filer);
  filer->DefineProperty(u"AutoIncCurValue", TReaderProc(this, &TMemTableDataEh::ReadAutoIncCurValue),
                        TWriterProc(this, &TMemTableDataEh::WriteAutoIncCurValue),
                        autoIncrement_->GetCurValue() != autoIncrement_->GetInitValue());
}

void TMemTableDataEh::GetChildren(const TGetChildProc& proc, TComponent*) {
  if (storeStructInStream_) proc(dataStruct_);
  if (storeRecordsInStream_) proc(recordsList_);
}

void TMemTableDataEh::ReadState(TReader* reader) {
  // The structure and the records list are owned and named, so the reader finds and fills them.
  TComponent::ReadState(reader);
}

void TMemTableDataEh::SaveToStream(TStream* stream, bool textForm) {
  bool savedStruct = storeStructInStream_;
  bool savedRecords = storeRecordsInStream_;
  storeStructInStream_ = storeRecordsInStream_ = true;
  try {
    if (textForm) {
      TMemoryStream binary;
      binary.WriteComponent(this);
      binary.SetPosition(0);
      ObjectBinaryToText(&binary, stream);
    } else {
      stream->WriteComponent(this);
    }
  } catch (...) {
    storeStructInStream_ = savedStruct;
    storeRecordsInStream_ = savedRecords;
    throw;
  }
  storeStructInStream_ = savedStruct;
  storeRecordsInStream_ = savedRecords;
}

void TMemTableDataEh::LoadFromStream(TStream* stream) {
  auto scratch = std::make_unique<TMemTableDataEh>(nullptr);
  scratch->dataStruct_->Assign(dataStruct_);
  scratch->autoIncrement_->Assign(autoIncrement_.get());
  ReadComponentFromStream(stream, scratch.get());
  TakeContentsOf(scratch.get());
}

void TMemTableDataEh::TakeContentsOf(TMemTableDataEh* source) {
  recordsList_->BeginUpdate();
  try {
    recordsList_->Clear();
    dataStruct_->Assign(source->dataStruct_);
    TRecordsListEh* from = source->GetRecordsList();
    for (Integer i = 0; i < from->GetCount(); ++i) {
      TMemoryRecordEh* rec = recordsList_->NewRecord();
      rec->data_ = from->GetRec(i)->data_;
      recordsList_->FetchRecord(rec);
    }
    autoIncrement_->SetCurValue(source->autoIncrement_->GetCurValue());
  } catch (...) {
    recordsList_->EndUpdate();
    throw;
  }
  recordsList_->EndUpdate();
}

KIV_REGISTER_CLASS(TMemTableDataEh);

// ---- TMemTableDataShadowEh ----

TMemTableDataShadowEh::TMemTableDataShadowEh(TMemTableDataEh* masterTable)
    : TMemTableDataEh(masterTable), masterTable_(masterTable) {}

TMemTableDataShadowEh::~TMemTableDataShadowEh() = default;

TMTDataStructEh* TMemTableDataShadowEh::GetDataStruct() const {
  return masterTable_ ? masterTable_->GetDataStruct() : TMemTableDataEh::GetDataStruct();
}
