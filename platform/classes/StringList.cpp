// TStrings and TStringList.
#include "platform/classes/StringList.h"

#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/QuickSort.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// ======================= TStrings =======================

void TStrings::Error(const String& message, int index) const {
  throw EStringListError(message.find(u"%d") == String::npos
                             ? message
                             : StringReplace(message, u"%d", IntToStr(index), TReplaceFlags()));
}

void TStrings::IndexError(int index) const { Error(u"List index out of bounds (%d)", index); }

int TStrings::CompareStrings(const String& s1, const String& s2) const { return AnsiCompareText(s1, s2); }

void TStrings::Put(int index, const String& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::InsertObject(int index, const String& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::Add(const String& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings* strings) {
  BeginUpdate();
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        for (int i = 0; i < strings->GetCount(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
      },
      [&] { EndUpdate(); });
}

void TStrings::AddStrings(std::initializer_list<String> strings) {
  BeginUpdate();
  TryFinally(
      [&] {
        for (const String& s : strings) Add(s);
      },
      [&] { EndUpdate(); });
}

void TStrings::Exchange(int index1, int index2) {
  BeginUpdate();
  TryFinally(
      [&] {
        String s = Get(index1);
        TObject* o = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, o);
      },
      [&] { EndUpdate(); });
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  BeginUpdate();
  TryFinally(
      [&] {
        String s = Get(curIndex);
        TObject* o = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, o);
      },
      [&] { EndUpdate(); });
}

int TStrings::IndexOf(const String& s) const {
  for (int i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const String& name) const {
  for (int i = 0; i < GetCount(); ++i) {
    String s = Get(i);
    size_t p = s.find(nameValueSeparator_);
    if (p != String::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

bool TStrings::Equals(const TStrings* strings) const {
  if (GetCount() != strings->GetCount()) return false;
  for (int i = 0; i < GetCount(); ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

void TStrings::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TStrings*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  TryFinally(
      [&] {
        Clear();
        nameValueSeparator_ = other->nameValueSeparator_;
        quoteChar_ = other->quoteChar_;
        delimiter_ = other->delimiter_;
        lineBreak_ = other->lineBreak_;
        strictDelimiter_ = other->strictDelimiter_;
        AddStrings(other);
      },
      [&] { EndUpdate(); });
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

String TStrings::GetName(int index) const {
  String s = Get(index);
  size_t p = s.find(nameValueSeparator_);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::GetValue(const String& name) const {
  int i = IndexOfName(name);
  if (i < 0) return String();
  String s = Get(i);
  return s.substr(std::min(s.size(), s.find(nameValueSeparator_) + 1));
}

void TStrings::SetValue(const String& name, const String& value) {
  int i = IndexOfName(name);
  if (!value.empty()) {
    if (i < 0) i = Add(String());
    Put(i, name + nameValueSeparator_ + value);
  } else if (i >= 0) {
    Delete(i);
  }
}

String TStrings::GetValueFromIndex(int index) const {
  if (index < 0) return String();
  String s = Get(index);
  size_t nameLength = GetName(index).size();
  return nameLength + 1 >= s.size() ? String() : s.substr(nameLength + 1);
}

void TStrings::SetValueFromIndex(int index, const String& value) {
  if (!value.empty()) {
    if (index < 0) index = Add(String());
    Put(index, GetName(index) + nameValueSeparator_ + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

String TStrings::GetText() const {
  String result;
  for (int i = 0; i < GetCount(); ++i) result += Get(i) + lineBreak_;
  return result;
}

void TStrings::SetText(const String& text) {
  BeginUpdate();
  TryFinally(
      [&] {
        Clear();
        size_t p = 0;
        // A #0 ends the text, as it ends a C string in the class library.
        size_t end = std::min(text.size(), text.find(u'\0'));
        while (p < end) {
          size_t start = p;
          while (p < end && text[p] != u'\r' && text[p] != u'\n') ++p;
          Add(text.substr(start, p - start));
          if (p < end && text[p] == u'\r') ++p;
          if (p < end && text[p] == u'\n') ++p;
        }
      },
      [&] { EndUpdate(); });
}

std::vector<String> TStrings::ToStringArray() const {
  std::vector<String> out;
  for (int i = 0; i < GetCount(); ++i) out.push_back(Get(i));
  return out;
}

String TStrings::GetDelimitedText() const {
  int count = GetCount();
  if (count == 1 && Get(0).empty()) return String(2, quoteChar_);
  String result;
  for (int i = 0; i < count; ++i) {
    String s = Get(i);
    bool quote = std::any_of(s.begin(), s.end(), [this](Char c) {
      return c == 0 || c == quoteChar_ || c == delimiter_ || (!strictDelimiter_ && c <= u' ');
    });
    if (quote) s = AnsiQuotedStr(s, quoteChar_);
    if (i > 0) result += delimiter_;
    result += s;
  }
  return result;
}

void TStrings::SetDelimitedText(const String& text) {
  // Walks the text as the class library does, treating the end (or a #0) as its terminator.
  const Char* p = text.c_str();
  auto blank = [](Char c) { return c >= 1 && c <= u' '; };
  BeginUpdate();
  TryFinally(
      [&] {
        Clear();
        if (!strictDelimiter_)
          while (blank(*p)) ++p;
        while (*p != 0) {
          String s;
          if (*p == quoteChar_) {
            s = AnsiExtractQuotedStr(p, quoteChar_);
          } else {
            const Char* start = p;
            while (((!strictDelimiter_ && *p > u' ') || (strictDelimiter_ && *p != 0)) && *p != delimiter_)
              ++p;
            s.assign(start, static_cast<size_t>(p - start));
          }
          Add(s);
          if (!strictDelimiter_)
            while (blank(*p)) ++p;
          if (*p == delimiter_) {
            if (p[1] == 0) Add(String());
            do {
              ++p;
            } while (!strictDelimiter_ && blank(*p));
          }
        }
      },
      [&] { EndUpdate(); });
}

namespace {
// Keeps a list's text settings and puts them back, also when an exception passes.
class CommaSettings {
 public:
  explicit CommaSettings(TStrings* s)
      : s_(s), delimiter_(s->GetDelimiter()), quote_(s->GetQuoteChar()), strict_(s->GetStrictDelimiter()) {
    s->SetDelimiter(u',');
    s->SetQuoteChar(u'"');
    s->SetStrictDelimiter(false);
  }
  ~CommaSettings() {
    s_->SetDelimiter(delimiter_);
    s_->SetQuoteChar(quote_);
    s_->SetStrictDelimiter(strict_);
  }

 private:
  TStrings* s_;
  Char delimiter_, quote_;
  bool strict_;
};
}  // namespace

String TStrings::GetCommaText() const {
  CommaSettings settings(const_cast<TStrings*>(this));
  return GetDelimitedText();
}

void TStrings::SetCommaText(const String& text) {
  CommaSettings settings(this);
  SetDelimitedText(text);
}

void TStrings::LoadFromFile(const String& fileName, const TEncoding* encoding) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream, encoding);
}

void TStrings::LoadFromStream(TStream* stream, const TEncoding* encoding) {
  TBytes bytes = stream->ReadAllBytes();
  std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  int mark = TEncoding::GetBufferEncoding(view, encoding, defaultEncoding_);
  view.remove_prefix(static_cast<size_t>(mark));
  SetText(encoding->GetString(view));
  encoding_ = encoding;
}

void TStrings::SaveToFile(const String& fileName, const TEncoding* encoding) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream, encoding);
}

void TStrings::SaveToStream(TStream* stream, const TEncoding* encoding) const {
  String text = GetText();
  if (!encoding) {
    encoding = encoding_ ? encoding_ : defaultEncoding_;
    if (!encoding->CanEncode(text)) encoding = TEncoding::UTF8();
  }
  TBytes preamble = encoding->GetPreamble();
  // A list saved as UTF-8 for want of characters must keep its mark, or it would load as 1251.
  bool mark = writeBOM_ || (encoding != encoding_ && encoding != defaultEncoding_);
  if (mark && !preamble.empty()) stream->WriteBuffer(preamble.data(), static_cast<Integer>(preamble.size()));
  TBytes bytes = encoding->GetBytes(text);
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TStrings::DefineProperties(TFiler* filer) {
  bool hasData;
  if (auto* ancestor = filer->GetAncestor()) {
    auto* strings = dynamic_cast<TStrings*>(ancestor);
    hasData = !strings || !Equals(strings);
  } else {
    hasData = GetCount() > 0;
  }
  filer->DefineProperty(u"Strings", TReaderProc(this, &TStrings::ReadData),
                        TWriterProc(this, &TStrings::WriteData), hasData);
}

void TStrings::ReadData(TReader* reader) {
  reader->ReadListBegin();
  BeginUpdate();
  TryFinally(
      [&] {
        Clear();
        while (!reader->EndOfList()) Add(reader->ReadString());
      },
      [&] { EndUpdate(); });
  reader->ReadListEnd();
}

void TStrings::WriteData(TWriter* writer) {
  writer->WriteListBegin();
  for (int i = 0; i < GetCount(); ++i) writer->WriteString(Get(i));
  writer->WriteListEnd();
}

// ======================= TStringList =======================

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (ownsObjects_)
    for (Item& item : items_) delete item.object;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
}

void TStringList::Changed() {
  if (GetUpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (GetUpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const String& s1, const String& s2) const {
  return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

String TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[index].text;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[index].object;
}

void TStringList::Put(int index, const String& s) {
  if (sorted_) Error(u"Operation not allowed on sorted list", 0);
  CheckIndex(index);
  Changing();
  items_[index].text = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  items_[index].object = object;
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<Item> doomed;
  doomed.swap(items_);
  if (ownsObjects_)
    for (Item& item : doomed) delete item.object;
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  TObject* object = items_[index].object;
  items_.erase(items_.begin() + index);
  if (ownsObjects_) delete object;
  Changed();
}

void TStringList::InsertItem(int index, const String& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Insert(int index, const String& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const String& s, TObject* object) {
  if (sorted_) Error(u"Operation not allowed on sorted list", 0);
  if (index < 0 || index > GetCount()) IndexError(index);
  InsertItem(index, s, object);
}

int TStringList::Add(const String& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const String& s, TObject* object) {
  int index = GetCount();
  if (sorted_ && Find(s, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) Error(u"String list does not allow duplicates", 0);
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[index1], items_[index2]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  // Checked before anything moves, so a refused move loses nothing (nor frees an owned object).
  if (sorted_) Error(u"Operation not allowed on sorted list", 0);
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  Changing();
  Item item = items_[curIndex];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
  Changed();
}

int TStringList::IndexOf(const String& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index = 0;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const String& s, int& index) const {
  bool found = false;
  int l = 0, h = GetCount() - 1;
  while (l <= h) {
    int i = (l + h) >> 1;
    int c = CompareStrings(items_[i].text, s);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) l = i;
      }
    }
  }
  index = l;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, int a, int b) {
    return list->CompareStrings(list->items_[a].text, list->items_[b].text);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (sorted_ || GetCount() < 2) return;
  Changing();
  QuickSortRange(
      0, GetCount() - 1, [&](int a, int b) { return compare(this, a, b); },
      [&](int a, int b) { std::swap(items_[a], items_[b]); });
  Changed();
}

void TStringList::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive_ == caseSensitive) return;
  caseSensitive_ = caseSensitive;
  // The order depends on the case rule: sort again under the new one.
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TStringList::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TStringList*>(source);
  if (other && other != this) {
    BeginUpdate();
    TryFinally(
        [&] {
          Clear();
          caseSensitive_ = other->caseSensitive_;
          duplicates_ = other->duplicates_;
          sorted_ = false;
          TStrings::Assign(source);
          sorted_ = other->sorted_;
        },
        [&] { EndUpdate(); });
    return;
  }
  TStrings::Assign(source);
}
