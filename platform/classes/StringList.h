// TStrings and TStringList: string lists with objects, name=value pairs, the class library's
// CommaText/DelimitedText quoting, sorting by the Russian collation, change events and text files.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/classes/Delegate.h"
#include "platform/classes/Encoding.h"
#include "platform/classes/Object.h"

class TStream;
class TReader;
class TWriter;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
  KIV_CLASS(TStrings, TPersistent)
 public:
  TStrings() = default;

  virtual String Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int) const { return nullptr; }
  virtual void Put(int index, const String& s);
  virtual void PutObject(int, TObject*) {}
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const String& s) = 0;
  virtual void InsertObject(int index, const String& s, TObject* object);
  virtual int Add(const String& s);
  virtual int AddObject(const String& s, TObject* object);
  void Append(const String& s) { Add(s); }
  void AddStrings(const TStrings* strings);
  void AddStrings(std::initializer_list<String> strings);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  virtual int IndexOf(const String& s) const;
  int IndexOfName(const String& name) const;
  int IndexOfObject(const TObject* object) const;
  bool Equals(const TStrings* strings) const;

  String operator[](int index) const { return Get(index); }
  String Strings(int index) const { return Get(index); }
  TObject* Objects(int index) const { return GetObject(index); }
  int Count() const { return GetCount(); }

  // Everything the class does in one step: copies strings, objects and the text settings.
  void Assign(TPersistent* source) override;
  void BeginUpdate();
  void EndUpdate();
  int GetUpdateCount() const { return updateCount_; }

  // ---- name=value pairs ----
  String GetName(int index) const;
  String Names(int index) const { return GetName(index); }
  String GetValue(const String& name) const;
  String Values(const String& name) const { return GetValue(name); }
  // An empty value deletes the pair.
  void SetValue(const String& name, const String& value);
  String GetValueFromIndex(int index) const;
  void SetValueFromIndex(int index, const String& value);
  Char GetNameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(Char c) { nameValueSeparator_ = c; }

  // ---- text forms ----
  // Each string followed by LineBreak (CR LF).
  virtual String GetText() const;
  // Breaks at CR, LF and CR LF.
  virtual void SetText(const String& text);
  String GetCommaText() const;
  void SetCommaText(const String& text);
  String GetDelimitedText() const;
  void SetDelimitedText(const String& text);
  Char GetDelimiter() const { return delimiter_; }
  void SetDelimiter(Char c) { delimiter_ = c; }
  Char GetQuoteChar() const { return quoteChar_; }
  void SetQuoteChar(Char c) { quoteChar_ = c; }
  bool GetStrictDelimiter() const { return strictDelimiter_; }
  void SetStrictDelimiter(bool strict) { strictDelimiter_ = strict; }
  const String& GetLineBreak() const { return lineBreak_; }
  void SetLineBreak(const String& s) { lineBreak_ = s; }
  std::vector<String> ToStringArray() const;

  // ---- files and streams ----
  // Without an encoding: a byte-order mark decides, else windows-1251. The encoding used is kept for
  // saving.
  void LoadFromFile(const String& fileName, const TEncoding* encoding = nullptr);
  // Virtual so that lists with a format of their own (the rich edit's RTF) read it from files too.
  virtual void LoadFromStream(TStream* stream, const TEncoding* encoding = nullptr);
  // Without an encoding: the one the list was loaded with (windows-1251 at first). Text that
  // windows-1251 cannot hold is saved as UTF-8 with its mark instead of losing characters.
  void SaveToFile(const String& fileName, const TEncoding* encoding = nullptr) const;
  virtual void SaveToStream(TStream* stream, const TEncoding* encoding = nullptr) const;
  const TEncoding* GetEncoding() const { return encoding_; }
  const TEncoding* GetDefaultEncoding() const { return defaultEncoding_; }
  void SetDefaultEncoding(const TEncoding* encoding) {
    defaultEncoding_ = encoding ? encoding : TEncoding::Default();
  }
  bool GetWriteBOM() const { return writeBOM_; }
  void SetWriteBOM(bool write) { writeBOM_ = write; }

  void DefineProperties(TFiler* filer) override;

 protected:
  virtual void SetUpdateState(bool) {}
  virtual int CompareStrings(const String& s1, const String& s2) const;
  [[noreturn]] void Error(const String& message, int index) const;
  [[noreturn]] void IndexError(int index) const;

 private:
  void ReadData(TReader* reader);
  void WriteData(TWriter* writer);

  int updateCount_ = 0;
  Char nameValueSeparator_ = u'=';
  Char delimiter_ = u',';
  Char quoteChar_ = u'"';
  bool strictDelimiter_ = false;
  String lineBreak_ = u"\r\n";
  const TEncoding* encoding_ = nullptr;
  const TEncoding* defaultEncoding_ = TEncoding::Default();
  bool writeBOM_ = true;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

class TStringList : public TStrings {
  KIV_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
  ~TStringList() override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  String Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  TObject* GetObject(int index) const override;
  // A sorted list refuses Put, Insert and Move: EStringListError "Operation not allowed on sorted list".
  void Put(int index, const String& s) override;
  void PutObject(int index, TObject* object) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const String& s) override;
  void InsertObject(int index, const String& s, TObject* object) override;
  // Sorted: a duplicate is ignored (answering the existing index), accepted, or refused with
  // EStringListError "String list does not allow duplicates".
  int Add(const String& s) override;
  int AddObject(const String& s, TObject* object) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  int IndexOf(const String& s) const override;
  void Assign(TPersistent* source) override;

  // Binary search of a sorted list: true when found; index is the match or the insertion point.
  bool Find(const String& s, int& index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& compare);

  bool GetSorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates GetDuplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool GetCaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool caseSensitive);
  bool GetOwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

 protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(const String& s1, const String& s2) const override;
  virtual void Changed();
  virtual void Changing();

 private:
  struct Item {
    String text;
    TObject* object;
  };
  void InsertItem(int index, const String& s, TObject* object);
  void CheckIndex(int index) const;

  std::vector<Item> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
};
