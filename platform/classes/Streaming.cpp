// Component streaming in the binary form: TReader, TWriter and the stream helpers that use them.
#include "platform/classes/Streaming.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

#include "platform/classes/Collection.h"
#include "platform/rtl/AnsiString.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "platform/rtl/Variant.h"

static_assert(LDBL_MANT_DIG == 64, "the stream's 10-byte floats are x87 extended values");

namespace {
constexpr int kMaxDepth = 200;
const Byte kSignature[4] = {'T', 'P', 'F', '0'};

[[noreturn]] void InvalidValue() { throw EReadError(u"Invalid property value"); }

bool IsIntValue(TValueType v) { return v == vaInt8 || v == vaInt16 || v == vaInt32 || v == vaInt64; }

bool IsAscii(const String& s) {
  return std::all_of(s.begin(), s.end(), [](Char c) { return c < 0x80; });
}

class DepthGuard {
 public:
  DepthGuard(int& depth, const std::function<void()>& onTooDeep) : depth_(depth) {
    if (++depth_ > kMaxDepth) {
      --depth_;
      onTooDeep();
    }
  }
  ~DepthGuard() { --depth_; }

 private:
  int& depth_;
};

// True when c is root or one of the components root owns, directly or further down.
bool IsOwnedBy(const TComponent* root, const TComponent* c) {
  if (root == c) return true;
  for (int i = 0; i < root->GetComponentCount(); ++i)
    if (IsOwnedBy(root->GetComponent(i), c)) return true;
  return false;
}

std::function<TComponent*(const String&)>& GlobalFinder() {
  static std::function<TComponent*(const String&)> finder;
  return finder;
}
}  // namespace

void SetFindGlobalComponent(std::function<TComponent*(const String& name)> finder) {
  GlobalFinder() = std::move(finder);
}

TComponent* FindGlobalComponent(const String& name) {
  auto& finder = GlobalFinder();
  return finder ? finder(name) : nullptr;
}

// ======================= TReader =======================

TReader::TReader(TStream* stream, Integer bufSize)
    : TFiler(stream), bufSize_(std::max<Integer>(bufSize, 16)) {
  streamBase_ = stream->GetPosition();
}

TReader::~TReader() {
  size_t unread = bufEnd_ - bufPos_;
  if (unread > 0) {
    try {
      stream_->Seek(-static_cast<Int64>(unread), soCurrent);
    } catch (...) {
      // The stream is left where the read-ahead stopped; nothing else to give back.
    }
  }
}

void TReader::ReadError() {
  broken_ = true;
  throw EReadError(u"Stream read error");
}

void TReader::Fill(Integer count) {
  size_t have = bufEnd_ - bufPos_;
  if (have >= static_cast<size_t>(count)) return;
  if (bufPos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + bufPos_, have);
    streamBase_ += static_cast<Int64>(bufPos_);
    bufPos_ = 0;
    bufEnd_ = have;
  }
  size_t want = std::max<size_t>(static_cast<size_t>(bufSize_), static_cast<size_t>(count));
  if (buffer_.size() < want) buffer_.resize(want);
  while (bufEnd_ < static_cast<size_t>(count)) {
    Integer n = stream_->Read(buffer_.data() + bufEnd_, static_cast<Integer>(buffer_.size() - bufEnd_));
    if (n <= 0) ReadError();
    bufEnd_ += static_cast<size_t>(n);
  }
}

void TReader::CheckAvailable(Int64 count) {
  if (count < 0) ReadError();
  Int64 buffered = static_cast<Int64>(bufEnd_ - bufPos_);
  if (count <= buffered) return;
  Int64 rest = stream_->GetSize() - stream_->GetPosition();
  if (count > buffered + rest) ReadError();
}

Int64 TReader::Tell() const { return streamBase_ + static_cast<Int64>(bufPos_); }

void TReader::SeekTo(Int64 position) {
  if (position >= streamBase_ && position <= streamBase_ + static_cast<Int64>(bufEnd_)) {
    bufPos_ = static_cast<size_t>(position - streamBase_);
    return;
  }
  stream_->SetPosition(position);
  streamBase_ = position;
  bufPos_ = bufEnd_ = 0;
}

void TReader::Read(void* buffer, Integer count) {
  if (count <= 0) return;
  CheckAvailable(count);
  Fill(count);
  std::memcpy(buffer, buffer_.data() + bufPos_, static_cast<size_t>(count));
  bufPos_ += static_cast<size_t>(count);
}

namespace {
template <class T>
T ReadRaw(TReader& r) {
  T v;
  r.Read(&v, sizeof v);
  return v;
}
}  // namespace

TValueType TReader::ReadValue() {
  Byte b = ReadRaw<Byte>(*this);
  if (b > vaDouble) {
    broken_ = true;
    throw EReadError(u"Invalid stream format");
  }
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  TValueType v = ReadValue();
  --bufPos_;
  return v;
}

void TReader::CheckValue(TValueType value) {
  if (ReadValue() != value) {
    --bufPos_;
    InvalidValue();
  }
}

// Looks at the raw byte: a component's prefix byte (0xF0 and up) may come next, not only values.
bool TReader::EndOfList() {
  Fill(1);
  return buffer_[bufPos_] == vaNull;
}
void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

void TReader::ReadSignature() {
  Byte sig[4];
  Read(sig, 4);
  if (std::memcmp(sig, kSignature, 4) != 0) {
    broken_ = true;
    throw EReadError(u"Invalid stream format");
  }
}

void TReader::ReadPrefix(TFilerFlags& flags, Integer& childPos) {
  flags.Clear();
  childPos = 0;
  Fill(1);
  Byte b = buffer_[bufPos_];
  if ((b & 0xF0) != 0xF0) return;
  ++bufPos_;
  flags = TFilerFlags::FromBits(b & 0x07);
  if (flags.Contains(ffChildPos)) childPos = ReadInteger();
}

bool TReader::ReadBoolean() {
  TValueType v = ReadValue();
  if (v == vaTrue) return true;
  if (v == vaFalse) return false;
  --bufPos_;
  InvalidValue();
}

Char TReader::ReadChar() {
  if (IsIntValue(NextValue())) return static_cast<Char>(ReadInteger());
  String s = ReadString();
  if (s.size() != 1) InvalidValue();
  return s[0];
}

Integer TReader::ReadInteger() {
  TValueType v = ReadValue();
  switch (v) {
    case vaInt8:
      return ReadRaw<std::int8_t>(*this);
    case vaInt16:
      return ReadRaw<std::int16_t>(*this);
    case vaInt32:
      return ReadRaw<std::int32_t>(*this);
    default:
      --bufPos_;
      InvalidValue();
  }
}

Int64 TReader::ReadInt64() {
  if (NextValue() == vaInt64) {
    ReadValue();
    return ReadRaw<std::int64_t>(*this);
  }
  return ReadInteger();
}

Extended TReader::ReadFloat() {
  TValueType v = ReadValue();
  switch (v) {
    case vaExtended: {
      Byte raw[10];
      Read(raw, 10);
      long double d = 0;
      std::memcpy(&d, raw, 10);
      return d;
    }
    case vaDouble:
    case vaDate:
      return ReadRaw<double>(*this);
    case vaSingle:
      return ReadRaw<float>(*this);
    case vaCurrency:
      return static_cast<Extended>(ReadRaw<std::int64_t>(*this)) / 10000;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      --bufPos_;
      return static_cast<Extended>(ReadInt64());
    default:
      --bufPos_;
      InvalidValue();
  }
}

Single TReader::ReadSingle() { return static_cast<Single>(ReadFloat()); }
Double TReader::ReadDouble() { return static_cast<Double>(ReadFloat()); }

Currency TReader::ReadCurrency() {
  if (NextValue() == vaCurrency) {
    ReadValue();
    return Currency::FromRaw(ReadRaw<std::int64_t>(*this));
  }
  return Currency(ReadFloat());
}

TDateTime TReader::ReadDate() { return static_cast<TDateTime>(ReadFloat()); }

String TReader::ReadString() {
  TValueType v = ReadValue();
  switch (v) {
    case vaString: {
      Byte len = ReadRaw<Byte>(*this);
      std::string bytes(len, '\0');
      Read(bytes.data(), len);
      return Cp1251ToString(bytes);
    }
    case vaLString:
    case vaUTF8String: {
      std::int32_t len = ReadRaw<std::int32_t>(*this);
      CheckAvailable(len);
      std::string bytes(static_cast<size_t>(len), '\0');
      Read(bytes.data(), len);
      return v == vaLString ? Cp1251ToString(bytes) : Utf8ToString(bytes);
    }
    case vaWString: {
      std::int32_t count = ReadRaw<std::int32_t>(*this);
      if (count < 0) ReadError();
      CheckAvailable(static_cast<Int64>(count) * 2);
      String s(static_cast<size_t>(count), u'\0');
      for (std::int32_t i = 0; i < count; ++i) s[i] = static_cast<Char>(ReadRaw<std::uint16_t>(*this));
      return s;
    }
    default:
      --bufPos_;
      InvalidValue();
  }
}

String TReader::ReadStr() {
  Byte len = ReadRaw<Byte>(*this);
  std::string bytes(len, '\0');
  Read(bytes.data(), len);
  return Utf8ToString(bytes);
}

String TReader::ReadIdent() {
  TValueType v = ReadValue();
  switch (v) {
    case vaIdent:
      return ReadStr();
    case vaFalse:
      return u"False";
    case vaTrue:
      return u"True";
    case vaNil:
      return u"nil";
    case vaNull:
      return u"Null";
    default:
      --bufPos_;
      InvalidValue();
  }
}

TBytes TReader::ReadBinary() {
  CheckValue(vaBinary);
  std::int32_t len = ReadRaw<std::int32_t>(*this);
  CheckAvailable(len);
  TBytes bytes(static_cast<size_t>(len));
  Read(bytes.data(), len);
  return bytes;
}

void TReader::SkipValue() {
  DepthGuard guard(depth_, [this] {
    broken_ = true;
    throw EReadError(u"Invalid stream format");
  });
  auto skip = [this](Int64 n) {
    CheckAvailable(n);
    while (n > 0) {
      Integer chunk = static_cast<Integer>(std::min<Int64>(n, bufSize_));
      Fill(chunk);
      bufPos_ += static_cast<size_t>(chunk);
      n -= chunk;
    }
  };
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      break;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8:
      skip(1);
      break;
    case vaInt16:
      skip(2);
      break;
    case vaInt32:
    case vaSingle:
      skip(4);
      break;
    case vaExtended:
      skip(10);
      break;
    case vaInt64:
    case vaCurrency:
    case vaDate:
    case vaDouble:
      skip(8);
      break;
    case vaString:
    case vaIdent:
      skip(ReadRaw<Byte>(*this));
      break;
    case vaBinary:
    case vaLString:
    case vaUTF8String:
      skip(ReadRaw<std::int32_t>(*this));
      break;
    case vaWString: {
      std::int32_t count = ReadRaw<std::int32_t>(*this);
      if (count < 0) ReadError();
      skip(static_cast<Int64>(count) * 2);
      break;
    }
    case vaSet:
      while (!ReadStr().empty()) {
      }
      break;
    case vaCollection:
      while (!EndOfList()) {
        if (IsIntValue(NextValue())) ReadInt64();
        SkipValue();
      }
      ReadListEnd();
      break;
  }
}

Variant TReader::ReadVariant() {
  switch (NextValue()) {
    case vaNil:
      ReadValue();
      return Variant();
    case vaNull:
      ReadValue();
      return Variant::Null();
    case vaInt8:
      return Variant(static_cast<ShortInt>(ReadInteger()));
    case vaInt16:
      return Variant(static_cast<SmallInt>(ReadInteger()));
    case vaInt32:
      return Variant(static_cast<Integer>(ReadInteger()));
    case vaInt64:
      return Variant(ReadInt64());
    case vaExtended:
    case vaDouble:
      return Variant(static_cast<double>(ReadFloat()));
    case vaSingle:
      return Variant(ReadSingle());
    case vaCurrency:
      return Variant(ReadCurrency());
    case vaDate:
      return Variant::FromDate(ReadDate());
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
      return Variant(ReadString());
    case vaFalse:
    case vaTrue:
      return Variant(ReadBoolean());
    case vaList: {
      DepthGuard guard(depth_, [this] {
        broken_ = true;
        throw EReadError(u"Invalid stream format");
      });
      ReadListBegin();
      std::vector<Variant> items;
      while (!EndOfList()) items.push_back(ReadVariant());
      ReadListEnd();
      return VarArrayOf(items);
    }
    default:
      InvalidValue();
  }
}

Int64 TReader::ReadSetValue(const TTypeInfo* setType) {
  CheckValue(vaSet);
  const TTypeInfo* elements = setType ? setType->CompType : nullptr;
  UInt64 bits = 0;
  String bad;
  for (String name = ReadStr(); !name.empty(); name = ReadStr()) {
    Integer v = GetEnumValue(elements, name);
    if (v < 0 || v >= 64)
      bad = name;
    else
      bits |= UInt64(1) << v;
  }
  if (!bad.empty()) InvalidValue();
  return static_cast<Int64>(bits);
}

void TReader::ReadCollection(TCollection* collection) {
  DepthGuard guard(depth_, [this] {
    broken_ = true;
    throw EReadError(u"Invalid stream format");
  });
  collection->BeginUpdate();
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        if (!EndOfList()) {
          if (fixups_) {
            std::erase_if(*fixups_, [collection](const Fixup& f) {
              return std::any_of(f.readers.begin(), f.readers.end(), [collection](TPersistent* p) {
                auto* item = dynamic_cast<TCollectionItem*>(p);
                return item && item->GetCollection() == collection;
              });
            });
          }
          collection->Clear();
        }
        while (!EndOfList()) {
          if (IsIntValue(NextValue())) ReadInt64();
          TCollectionItem* item = collection->Add();
          ReadListBegin();
          while (!EndOfList()) ReadProperty(item);
          ReadListEnd();
        }
        ReadListEnd();
      },
      [&] { collection->EndUpdate(); });
}

Int64 TReader::ReadOrdinalOf(const TPropInfo* info) {
  switch (info->Kind()) {
    case tkInteger:
    case tkInt64:
      if (NextValue() == vaIdent) {
        String ident = ReadIdent();
        TIdentToInt map = FindIdentToInt(info->PropType);
        Integer v = 0;
        if (!map || !map(ident, v)) InvalidValue();
        return v;
      }
      return ReadInt64();
    case tkChar:
    case tkWChar:
      return ReadChar();
    case tkEnumeration: {
      if (info->PropType == TypeInfoBoolean()) return ReadBoolean() ? 1 : 0;
      Integer v = GetEnumValue(info->PropType, ReadIdent());
      if (v < 0) InvalidValue();
      return v;
    }
    case tkSet:
      return ReadSetValue(info->PropType);
    default:
      InvalidValue();
  }
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo* info) {
  switch (info->Kind()) {
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
      SetOrdProp(instance, info, ReadOrdinalOf(info));
      return;
    case tkFloat:
      SetFloatProp(instance, info, ReadFloat());
      return;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      SetStrProp(instance, info, ReadString());
      return;
    case tkVariant: {
      Variant v = ReadVariant();
      if (!info->SetVar) InvalidValue();
      info->SetVar(instance, v);
      return;
    }
    case tkMethod: {
      if (NextValue() == vaNil) {
        ReadValue();
        SetMethodPropByName(instance, info, root_, String());
        return;
      }
      String name = ReadIdent();
      if (!MethodExists(root_, name)) throw EReadError(u"Method '" + name + u"' not found");
      SetMethodPropByName(instance, info, root_, name);
      return;
    }
    case tkClass: {
      switch (NextValue()) {
        case vaCollection: {
          auto* collection = dynamic_cast<TCollection*>(GetObjectProp(instance, info));
          if (!collection) InvalidValue();
          ReadValue();
          ReadCollection(collection);
          return;
        }
        case vaNil:
          ReadValue();
          SetObjectProp(instance, info, nullptr);
          return;
        case vaIdent: {
          String name = ReadIdent();
          if (!info->PropType->ClassType ||
              !info->PropType->ClassType->InheritsFrom(TComponent::StaticClass()))
            InvalidValue();
          if (fixups_) {
            fixups_->push_back(Fixup{instance, info, name, instances_});
          } else {
            TComponent* c = ResolveReference(name);
            if (!c) throw EReadError(u"Invalid reference to component '" + name + u"'");
            SetObjectProp(instance, info, c);
          }
          return;
        }
        default:
          InvalidValue();
      }
    }
    default:
      InvalidValue();
  }
}

void TReader::PropertyError(const TPersistent* instance, const String& path, const String& message) {
  String name;
  if (auto* c = dynamic_cast<const TComponent*>(instance))
    name = c->GetName();
  else if (instance)
    name = instance->GetNamePath();
  String full = u"Error reading " + name + (name.empty() ? u"" : u".") + path + u": " + message;
  bool handled = false;
  if (OnError) {
    OnError(this, full, handled);
  } else if (tolerant_) {
    errors_.push_back(full);
    handled = true;
  }
  if (!handled) throw EReadError(full);
}

void TReader::ReadProperty(TPersistent* instance) {
  String path = ReadStr();
  Int64 valueStart = Tell();
  instances_.push_back(instance);
  struct Pop {
    std::vector<TPersistent*>& stack;
    ~Pop() { stack.pop_back(); }
  } pop{instances_};
  try {
    TPersistent* target = instance;
    size_t start = 0;
    for (size_t dot = path.find(u'.'); dot != String::npos; dot = path.find(u'.', start)) {
      String part = path.substr(start, dot - start);
      const TPropInfo* info = GetPropInfo(target, part);
      TPersistent* sub = nullptr;
      if (info && info->Kind() == tkClass) sub = dynamic_cast<TPersistent*>(info->GetObj(target));
      if (!sub) throw EReadError(u"Invalid property path");
      target = sub;
      start = dot + 1;
    }
    String last = path.substr(start);
    if (const TPropInfo* info = GetPropInfo(target, last)) {
      ReadPropValue(target, info);
      return;
    }
    propName_ = last;
    propFound_ = false;
    target->DefineProperties(this);
    propName_.clear();
    if (!propFound_) throw EReadError(u"Property " + last + u" does not exist");
  } catch (const Exception& e) {
    propName_.clear();
    if (broken_) throw;
    // Whatever part of the value was read, the next property starts after all of it.
    SeekTo(valueStart);
    SkipValue();
    PropertyError(instance, path, e.Message());
  }
}

void TReader::DefineProperty(const String& name, TReaderProc readData, TWriterProc, bool) {
  if (propFound_ || propName_.empty() || !readData || !SameText(name, propName_)) return;
  propFound_ = true;
  readData(this);
}

void TReader::DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc, bool) {
  if (propFound_ || propName_.empty() || !readData || !SameText(name, propName_)) return;
  propFound_ = true;
  TBytes bytes = ReadBinary();
  TMemoryStream data;
  if (!bytes.empty()) data.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  data.SetPosition(0);
  readData(&data);
}

TComponentClass TReader::FindComponentClass(const String& className) {
  TComponentClass cls = nullptr;
  if (OnFindComponentClass) OnFindComponentClass(this, className, cls);
  if (!cls) cls = FindClass(className);
  if (!cls->InheritsFrom(TComponent::StaticClass()))
    throw EClassNotFound(u"Class '" + className + u"' is not a component class");
  return cls;
}

TComponent* TReader::ResolveReference(const String& name) {
  if (!root_) return nullptr;
  size_t dot = name.find(u'.');
  if (dot == String::npos) {
    if (SameText(root_->GetName(), name)) return root_;
    return root_->FindComponent(name);
  }
  String first = name.substr(0, dot), rest = name.substr(dot + 1);
  TComponent* base = SameText(first, root_->GetName()) ? root_ : root_->FindComponent(first);
  if (!base) base = FindGlobalComponent(first);
  if (!base) return nullptr;
  for (size_t d = rest.find(u'.'); base && d != String::npos; d = rest.find(u'.')) {
    base = base->FindComponent(rest.substr(0, d));
    rest = rest.substr(d + 1);
  }
  return base ? base->FindComponent(rest) : nullptr;
}

void TReader::FixupReferences() {
  std::vector<Fixup> fixups;
  fixups.swap(*fixups_);
  for (const Fixup& f : fixups) {
    TComponent* c = ResolveReference(f.name);
    try {
      if (!c) throw EReadError(u"Invalid reference to component '" + f.name + u"'");
      SetObjectProp(f.instance, f.info, c);
    } catch (const Exception& e) {
      PropertyError(f.instance, f.info->Name, e.Message());
    }
  }
}

void TReader::ReadDataInner(TComponent* instance) {
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
  TComponent* oldParent = parent_;
  TComponent* oldOwner = owner_;
  parent_ = instance->GetChildParent();
  owner_ = instance->GetChildOwner();
  if (!owner_) owner_ = root_;
  auto restore = MakeScopeExit([&] {
    parent_ = oldParent;
    owner_ = oldOwner;
  });
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
}

void TReader::ReadData(TComponent* instance) {
  if (fixups_) {
    ReadDataInner(instance);
    return;
  }
  std::vector<Fixup> fixups;
  fixups_ = &fixups;
  auto clearFixups = MakeScopeExit([&] { fixups_ = nullptr; });
  ReadDataInner(instance);
  FixupReferences();
}

TComponent* TReader::ReadComponent(TComponent* component) {
  DepthGuard guard(depth_, [this] {
    broken_ = true;
    throw EReadError(u"Invalid stream format");
  });
  TFilerFlags flags;
  Integer childPos = 0;
  ReadPrefix(flags, childPos);
  String className = ReadStr();
  String name = ReadStr();
  TComponent* result = component;
  bool created = false;
  if (!result) {
    TComponent* existing = owner_ && !name.empty() ? owner_->FindComponent(name) : nullptr;
    if (flags.Contains(ffInherited)) {
      result = existing;
      if (!result && OnAncestorNotFound) OnAncestorNotFound(this, name, GetClass(className), result);
      if (!result) throw EReadError(u"Ancestor for '" + name + u"' not found");
    } else if (existing && SameText(existing->ClassName(), className)) {
      // Reading into a tree that already has this component: only the named properties change.
      result = existing;
    } else {
      TComponentClass cls = FindComponentClass(className);
      if (OnCreateComponent) OnCreateComponent(this, cls, result);
      if (!result) result = cls->Create<TComponent>(owner_);
      created = true;
    }
  }
  size_t loadedMark = loaded_ ? loaded_->size() : 0;
  auto undo = MakeScopeExit([&] {
    if (created) {
      if (loaded_) loaded_->resize(std::min(loaded_->size(), loadedMark));
      delete result;
    } else {
      result->SetReading(false);
    }
  });
  if (created) result->SetName(name);
  result->SetLoading(true);
  result->SetReading(true);
  if (loaded_ && std::find(loaded_->begin(), loaded_->end(), result) == loaded_->end())
    loaded_->push_back(result);
  if (parent_ && parent_ != result && result->HasParent()) result->SetParentComponent(parent_);
  if (flags.Contains(ffChildPos) && parent_) parent_->SetChildOrder(result, childPos);
  result->ReadState(this);
  result->SetReading(false);
  undo.Release();
  return result;
}

void TReader::SetRootName(TComponent* root, const String& name) {
  if (name.empty() || SameText(root->GetName(), name)) return;
  try {
    root->SetName(name);
    return;
  } catch (const EComponentError&) {
    if (!IsValidIdent(name)) throw;
  }
  // Another component of the owner has the name: take the first free "Name_n", as the class library does.
  for (int i = 1;; ++i) {
    String candidate = name + u"_" + IntToStr(i);
    if (!root->GetOwner() || !root->GetOwner()->FindComponent(candidate)) {
      root->SetName(candidate);
      return;
    }
  }
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
  ReadSignature();
  TFilerFlags flags;
  Integer childPos = 0;
  ReadPrefix(flags, childPos);
  String className = ReadStr();
  String name = ReadStr();
  bool created = false;
  if (!root) {
    root = FindComponentClass(className)->Create<TComponent>(nullptr);
    created = true;
  }
  std::vector<TComponent*> loaded;
  loaded_ = &loaded;
  root_ = root;
  lookupRoot_ = root;
  owner_ = root;
  parent_ = nullptr;
  auto undo = MakeScopeExit([&] {
    loaded_ = nullptr;
    if (created) {
      delete root;
    } else {
      for (TComponent* c : loaded) {
        if (!IsOwnedBy(root, c)) continue;
        c->SetReading(false);
        c->SetLoading(false);
      }
    }
    root_ = lookupRoot_ = owner_ = nullptr;
  });
  SetRootName(root, name);
  root->SetLoading(true);
  root->SetReading(true);
  loaded.push_back(root);
  root->ReadState(this);
  root->SetReading(false);
  for (TComponent* c : loaded) c->Loaded();
  for (TComponent* c : loaded) c->SetLoading(false);
  undo.Release();
  loaded_ = nullptr;
  return root;
}

// ======================= TWriter =======================

TWriter::TWriter(TStream* stream, Integer bufSize)
    : TFiler(stream), bufSize_(std::max<Integer>(bufSize, 16)) {
  buffer_.reserve(static_cast<size_t>(bufSize_));
}

TWriter::~TWriter() {
  try {
    FlushBuffer();
  } catch (...) {
    // Callers that must know flush themselves; a destructor cannot report.
  }
}

void TWriter::FlushBuffer() {
  if (buffer_.empty()) return;
  std::vector<Byte> pending;
  pending.swap(buffer_);
  stream_->WriteBuffer(pending.data(), static_cast<Integer>(pending.size()));
}

void TWriter::Write(const void* buffer, Integer count) {
  if (count <= 0) return;
  const Byte* p = static_cast<const Byte*>(buffer);
  buffer_.insert(buffer_.end(), p, p + count);
  if (buffer_.size() >= static_cast<size_t>(bufSize_)) FlushBuffer();
}

namespace {
template <class T>
void WriteRaw(TWriter& w, T v) {
  w.Write(&v, sizeof v);
}
}  // namespace

void TWriter::WriteValue(TValueType value) { WriteRaw<Byte>(*this, value); }

void TWriter::WriteSignature() { Write(kSignature, 4); }

void TWriter::WritePrefix(TFilerFlags flags, Integer childPos) {
  if (flags.Empty()) return;
  WriteRaw<Byte>(*this, static_cast<Byte>(0xF0 | flags.Bits()));
  if (flags.Contains(ffChildPos)) WriteInteger(childPos);
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteChar(Char value) { WriteString(String(1, value)); }

void TWriter::WriteInteger(Int64 value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    WriteRaw<std::int8_t>(*this, static_cast<std::int8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    WriteRaw<std::int16_t>(*this, static_cast<std::int16_t>(value));
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteRaw<std::int32_t>(*this, static_cast<std::int32_t>(value));
  } else {
    WriteValue(vaInt64);
    WriteRaw<std::int64_t>(*this, value);
  }
}

void TWriter::WriteFloat(Extended value) {
  WriteValue(vaExtended);
  Byte raw[16] = {};
  std::memcpy(raw, &value, sizeof value);
  Write(raw, 10);
}

void TWriter::WriteSingle(Single value) {
  WriteValue(vaSingle);
  WriteRaw<float>(*this, value);
}

void TWriter::WriteDouble(Double value) {
  WriteValue(vaDouble);
  WriteRaw<double>(*this, value);
}

void TWriter::WriteCurrency(Currency value) {
  WriteValue(vaCurrency);
  WriteRaw<std::int64_t>(*this, value.Value);
}

void TWriter::WriteDate(TDateTime value) {
  WriteValue(vaDate);
  WriteRaw<double>(*this, value);
}

void TWriter::WriteString(const String& value) {
  if (IsAscii(value)) {
    if (value.size() <= 255) {
      WriteValue(vaString);
      WriteRaw<Byte>(*this, static_cast<Byte>(value.size()));
    } else {
      WriteValue(vaLString);
      WriteRaw<std::int32_t>(*this, static_cast<std::int32_t>(value.size()));
    }
    for (Char c : value) WriteRaw<char>(*this, static_cast<char>(c));
    return;
  }
  WriteValue(vaWString);
  WriteRaw<std::int32_t>(*this, static_cast<std::int32_t>(value.size()));
  for (Char c : value) WriteRaw<std::uint16_t>(*this, c);
}

void TWriter::WriteUTF8Str(const String& value) {
  std::string bytes = StringToUtf8(value);
  WriteValue(vaUTF8String);
  WriteRaw<std::int32_t>(*this, static_cast<std::int32_t>(bytes.size()));
  Write(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TWriter::WriteStr(const String& value) {
  std::string bytes = StringToUtf8(value);
  if (bytes.size() > 255) throw EWriteError(u"Stream write error");
  WriteRaw<Byte>(*this, static_cast<Byte>(bytes.size()));
  Write(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TWriter::WriteIdent(const String& ident) {
  if (SameText(ident, u"False"))
    WriteValue(vaFalse);
  else if (SameText(ident, u"True"))
    WriteValue(vaTrue);
  else if (SameText(ident, u"nil"))
    WriteValue(vaNil);
  else if (SameText(ident, u"Null"))
    WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteBinary(const TBytes& bytes) {
  WriteValue(vaBinary);
  WriteRaw<std::int32_t>(*this, static_cast<std::int32_t>(bytes.size()));
  Write(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TWriter::WriteVariant(const Variant& value) {
  TVarType type = value.Type();
  if (value.IsArray()) throw EWriteError(u"Stream write error");
  switch (type) {
    case varEmpty:
      WriteValue(vaNil);
      return;
    case varNull:
      WriteValue(vaNull);
      return;
    case varShortInt:
    case varSmallint:
    case varInteger:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      WriteInteger(value.AsInt64());
      return;
    case varUInt64: {
      UInt64 u = value.AsUInt64();
      if (u > static_cast<UInt64>(INT64_MAX)) throw EWriteError(u"Stream write error");
      WriteInteger(static_cast<Int64>(u));
      return;
    }
    case varSingle:
      WriteSingle(value.AsSingle());
      return;
    case varDouble:
      WriteFloat(value.AsDouble());
      return;
    case varCurrency:
      WriteCurrency(value.AsCurrency());
      return;
    case varDate:
      WriteDate(value.AsDateTime());
      return;
    case varBoolean:
      WriteBoolean(value.AsBoolean());
      return;
    case varString:
    case varUString:
    case varOleStr:
      WriteString(value.AsString());
      return;
    case varObject:
    case varError:
      throw EWriteError(u"Stream write error");
    default:
      break;
  }
  String text;
  try {
    text = value.AsString();
  } catch (const Exception&) {
    throw EWriteError(u"Stream write error");
  }
  WriteString(text);
}

void TWriter::WritePropName(const String& name) { WriteStr(propPath_ + name); }

void TWriter::WriteCollection(TCollection* collection) {
  WriteValue(vaCollection);
  if (collection) {
    for (int i = 0; i < collection->GetCount(); ++i) {
      WriteListBegin();
      String savedPath = propPath_;
      TPersistent* savedAncestor = ancestor_;
      propPath_.clear();
      ancestor_ = nullptr;
      {
        auto restore = MakeScopeExit([&] {
          propPath_ = savedPath;
          ancestor_ = savedAncestor;
        });
        WriteProperties(collection->GetItem(i));
      }
      WriteListEnd();
    }
  }
  WriteListEnd();
}

String TWriter::ComponentReferenceName(const TComponent* component) const {
  if (component == root_) return root_->GetName();
  if (component->GetName().empty()) return String();
  const TComponent* owner = component->GetOwner();
  if (!owner || owner == lookupRoot_) return component->GetName();
  if (owner->GetName().empty()) return String();
  return owner->GetName() + u"." + component->GetName();
}

void TWriter::WriteProperties(TPersistent* instance) {
  for (const TPropInfo* info : GetPropList(instance)) {
    if (!info->IsStored(instance)) continue;
    if (info->IsReadOnly()) {
      // A read-only object property still stores its sub-object's own properties.
      if (info->Kind() != tkClass) continue;
      TObject* obj = info->GetObj(instance);
      auto* comp = dynamic_cast<TComponent*>(obj);
      if (!dynamic_cast<TPersistent*>(obj) || (comp && !comp->GetComponentStyle().Contains(csSubComponent)))
        continue;
    }
    WriteProperty(instance, info);
  }
  instance->DefineProperties(this);
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo* info) {
  TPersistent* ancestor = ancestor_ && GetPropInfo(ancestor_, info->Name) == info ? ancestor_ : nullptr;
  switch (info->Kind()) {
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet: {
      Int64 v = info->GetOrd(instance);
      if (ancestor ? v == info->GetOrd(ancestor) : info->HasDefault && v == info->Default) return;
      WritePropName(info->Name);
      switch (info->Kind()) {
        case tkEnumeration:
          if (info->PropType == TypeInfoBoolean())
            WriteBoolean(v != 0);
          else
            WriteIdent(GetEnumName(info->PropType, static_cast<Integer>(v)));
          return;
        case tkSet:
          WriteValue(vaSet);
          for (int i = 0; i < 64; ++i)
            if ((static_cast<UInt64>(v) >> i) & 1) WriteStr(GetEnumName(info->PropType->CompType, i));
          WriteStr(String());
          return;
        case tkChar:
        case tkWChar:
          WriteChar(static_cast<Char>(v));
          return;
        default: {
          String ident;
          TIntToIdent map = FindIntToIdent(info->PropType);
          if (map && v >= INT32_MIN && v <= INT32_MAX && map(static_cast<Integer>(v), ident))
            WriteIdent(ident);
          else
            WriteInteger(v);
          return;
        }
      }
    }
    case tkFloat: {
      Extended v = info->GetFloat(instance);
      if (ancestor ? v == info->GetFloat(ancestor) : v == 0) return;
      WritePropName(info->Name);
      if (info->PropType == TypeInfoDateTime())
        WriteDate(static_cast<TDateTime>(v));
      else if (info->PropType->FloatType == TFloatType::ftSingle)
        WriteSingle(static_cast<Single>(v));
      else if (info->PropType->FloatType == TFloatType::ftCurr)
        WriteCurrency(Currency(v));
      else
        WriteFloat(v);
      return;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
      String v = info->GetStr(instance);
      if (ancestor ? v == info->GetStr(ancestor) : v.empty()) return;
      WritePropName(info->Name);
      WriteString(v);
      return;
    }
    case tkMethod: {
      String name = GetMethodPropName(instance, info, root_);
      if (ancestor ? name == GetMethodPropName(ancestor, info, rootAncestor_) : name.empty()) return;
      WritePropName(info->Name);
      if (name.empty())
        WriteValue(vaNil);
      else
        WriteIdent(name);
      return;
    }
    case tkVariant: {
      Variant v;
      info->GetVar(instance, v);
      if (ancestor) {
        Variant a;
        info->GetVar(ancestor, a);
        if (VarSameValue(v, a)) return;
      } else if (v.IsEmpty()) {
        return;
      }
      WritePropName(info->Name);
      WriteVariant(v);
      return;
    }
    case tkClass: {
      TObject* obj = info->GetObj(instance);
      TObject* ancestorObj = ancestor ? info->GetObj(ancestor) : nullptr;
      if (!obj) {
        if (ancestorObj) {
          WritePropName(info->Name);
          WriteValue(vaNil);
        }
        return;
      }
      auto* comp = dynamic_cast<TComponent*>(obj);
      if (comp && !comp->GetComponentStyle().Contains(csSubComponent)) {
        String ref = ComponentReferenceName(comp);
        if (ref.empty()) return;
        if (auto* ancestorComp = dynamic_cast<TComponent*>(ancestorObj);
            ancestorComp && SameText(ancestorComp->GetName(), comp->GetName()))
          return;
        WritePropName(info->Name);
        WriteIdent(ref);
        return;
      }
      if (auto* collection = dynamic_cast<TCollection*>(obj)) {
        auto* ancestorCollection = dynamic_cast<TCollection*>(ancestorObj);
        if (ancestor ? ancestorCollection && CollectionsEqual(collection, ancestorCollection)
                     : collection->GetCount() == 0)
          return;
        WritePropName(info->Name);
        WriteCollection(collection);
        return;
      }
      if (auto* sub = dynamic_cast<TPersistent*>(obj)) {
        String savedPath = propPath_;
        TPersistent* savedAncestor = ancestor_;
        propPath_ += info->Name + u".";
        ancestor_ = dynamic_cast<TPersistent*>(ancestorObj);
        auto restore = MakeScopeExit([&] {
          propPath_ = savedPath;
          ancestor_ = savedAncestor;
        });
        WriteProperties(sub);
      }
      return;
    }
    default:
      return;
  }
}

void TWriter::DefineProperty(const String& name, TReaderProc, TWriterProc writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(this);
}

void TWriter::DefineBinaryProperty(const String& name, TStreamProc, TStreamProc writeData, bool hasData) {
  if (!hasData || !writeData) return;
  TMemoryStream data;
  writeData(&data);
  WritePropName(name);
  WriteValue(vaBinary);
  WriteRaw<std::int32_t>(*this, static_cast<std::int32_t>(data.GetSize()));
  Write(data.Memory(), static_cast<Integer>(data.GetSize()));
}

void TWriter::WriteData(TComponent* instance) {
  TFilerFlags flags;
  if (ancestor_) flags.Include(ffInherited);
  if (instance->GetComponentState().Contains(csInline)) flags.Include(ffInline);
  // A length byte of 0xF0 or more would read back as a prefix.
  if (StringToUtf8(instance->ClassName()).size() >= 0xF0) throw EWriteError(u"Stream write error");
  WritePrefix(flags, 0);
  WriteStr(instance->ClassName());
  WriteStr(instance->GetName());
  WriteProperties(instance);
  WriteListEnd();
  if (!ignoreChildren_) {
    TPersistent* saved = ancestor_;
    instance->GetChildren([this](TComponent* child) { WriteComponent(child); }, root_);
    ancestor_ = saved;
  }
  WriteListEnd();
}

void TWriter::WriteComponent(TComponent* component) {
  TPersistent* savedAncestor = ancestor_;
  if (component == root_)
    ancestor_ = rootAncestor_;
  else
    ancestor_ = rootAncestor_ ? rootAncestor_->FindComponent(component->GetName()) : nullptr;
  component->SetWriting(true);
  auto restore = MakeScopeExit([&] {
    component->SetWriting(false);
    ancestor_ = savedAncestor;
  });
  component->WriteState(this);
}

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  rootAncestor_ = ancestor;
  ancestor_ = ancestor;
  root_ = root;
  lookupRoot_ = root;
  WriteSignature();
  WriteComponent(root);
  FlushBuffer();
}

void TWriter::WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }

bool CollectionsEqual(TCollection* c1, TCollection* c2, TComponent* owner1, TComponent* owner2) {
  if (c1 == c2) return true;
  if (!c1 || !c2 || c1->ClassType() != c2->ClassType() || c1->GetCount() != c2->GetCount()) return false;
  auto bytes = [](TCollection* c, TComponent* owner) {
    TMemoryStream stream;
    {
      TWriter writer(&stream, 1024);
      writer.SetRoot(owner);
      writer.WriteCollection(c);
      writer.FlushBuffer();
    }
    const Byte* p = static_cast<const Byte*>(stream.Memory());
    return std::vector<Byte>(p, p + stream.GetSize());
  };
  return bytes(c1, owner1) == bytes(c2, owner2);
}

// ======================= Stream helpers =======================

TComponent* TStream::ReadComponent(TComponent* instance) {
  TReader reader(this, 4096);
  return reader.ReadRootComponent(instance);
}

void TStream::WriteComponent(TComponent* instance) { WriteDescendent(instance, nullptr); }

void TStream::WriteDescendent(TComponent* instance, TComponent* ancestor) {
  TWriter writer(this, 4096);
  writer.WriteDescendent(instance, ancestor);
}

TComponent* ReadComponentFromStream(TStream* stream, TComponent* instance, bool tolerant,
                                    std::vector<String>* errors) {
  TStreamOriginalFormat format = TestStreamFormat(stream);
  if (format == sofUnknown) throw EFilerError(u"Invalid stream format.");
  auto read = [&](TStream* binary) {
    TReader reader(binary, 4096);
    reader.SetTolerant(tolerant);
    TComponent* result = reader.ReadRootComponent(instance);
    if (errors) *errors = reader.Errors();
    return result;
  };
  if (format == sofBinary) return read(stream);
  TMemoryStream binary;
  ObjectTextToBinary(stream, &binary);
  binary.SetPosition(0);
  return read(&binary);
}
