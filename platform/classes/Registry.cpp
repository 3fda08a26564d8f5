// The registry substitute over INI files.
#include "platform/classes/Registry.h"

#include "platform/classes/IniFiles.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"

namespace {
String RootName(HKEY key) {
  switch (key) {
    case HKEY_CLASSES_ROOT:
      return u"HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER:
      return u"HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE:
      return u"HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
      return u"HKEY_USERS";
    case HKEY_CURRENT_CONFIG:
      return u"HKEY_CURRENT_CONFIG";
    default:
      return u"HKEY_" + IntToHex(static_cast<UInt64>(key), 8);
  }
}

// "a\\b\\" and "/a/b" both become "a\b".
String NormalizePath(const String& path) {
  String out;
  for (Char c : path) {
    Char d = c == u'/' ? u'\\' : c;
    if (d == u'\\' && (out.empty() || out.back() == u'\\')) continue;
    out += d;
  }
  while (!out.empty() && out.back() == u'\\') out.pop_back();
  return out;
}

bool IsBelow(const String& section, const String& key) {
  if (key.empty()) return !section.empty();
  return section.size() > key.size() && section[key.size()] == u'\\' &&
         AnsiSameText(section.substr(0, key.size()), key);
}
}  // namespace

String RegistryFolder() { return GetSpecialFolderPath(CSIDL_APPDATA) + u"/registry"; }

TRegistry::TRegistry() = default;
TRegistry::TRegistry(Cardinal access) : access_(access) {}
TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY key) {
  if (key == rootKey_) return;
  CloseKey();
  rootKey_ = key;
  file_.reset();
}

TMemIniFile* TRegistry::File() {
  // Read afresh on each use from a closed state, so other TRegistry objects' writes are seen.
  if (!file_) file_ = std::make_unique<TMemIniFile>(RegistryFolder() + u"/" + RootName(rootKey_) + u".ini");
  return file_.get();
}

void TRegistry::Save() { File()->UpdateFile(); }

String TRegistry::Resolve(const String& key) const {
  if (!key.empty() && (key[0] == u'\\' || key[0] == u'/')) return NormalizePath(key);
  if (currentPath_.empty()) return NormalizePath(key);
  return NormalizePath(currentPath_ + u"\\" + key);
}

bool TRegistry::KeyExists(const String& key) {
  String path = Resolve(key);
  if (path.empty()) return true;
  for (const String& section : File()->SectionNames())
    if (AnsiSameText(section, path) || IsBelow(section, path)) return true;
  return false;
}

bool TRegistry::OpenKey(const String& key, bool canCreate) {
  file_.reset();
  String path = Resolve(key);
  if (!KeyExists(u"\\" + path)) {
    if (!canCreate) return false;
    File()->AddSection(path);
    Save();
  }
  currentPath_ = path;
  keyOpen_ = true;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key) {
  access_ = KEY_READ;
  return OpenKey(key, false);
}

void TRegistry::CloseKey() {
  currentPath_.clear();
  keyOpen_ = false;
}

bool TRegistry::CreateKey(const String& key) {
  String path = Resolve(key);
  if (KeyExists(u"\\" + path)) return false;
  File()->AddSection(path);
  Save();
  return true;
}

bool TRegistry::DeleteKey(const String& key) {
  String path = Resolve(key);
  if (path.empty() || !KeyExists(u"\\" + path)) return false;
  for (const String& section : File()->SectionNames())
    if (AnsiSameText(section, path) || IsBelow(section, path)) File()->EraseSection(section);
  Save();
  return true;
}

void TRegistry::GetKeyNames(TStrings* strings) {
  strings->Clear();
  for (const String& section : File()->SectionNames()) {
    if (!IsBelow(section, currentPath_)) continue;
    String rest = currentPath_.empty() ? section : section.substr(currentPath_.size() + 1);
    String child = rest.substr(0, rest.find(u'\\'));
    bool seen = false;
    for (int i = 0; i < strings->GetCount() && !seen; ++i) seen = AnsiSameText(strings->Get(i), child);
    if (!seen) strings->Add(child);
  }
}

bool TRegistry::HasSubKeys() {
  TStringList names;
  GetKeyNames(&names);
  return names.GetCount() > 0;
}

void TRegistry::GetValueNames(TStrings* strings) {
  File()->ReadSection(currentPath_, strings);
  for (int i = 0; i < strings->GetCount(); ++i)
    if (strings->Get(i) == u"(Default)") strings->Put(i, String());
}

bool TRegistry::ValueExists(const String& name) { return File()->ValueExists(currentPath_, ValueKey(name)); }

bool TRegistry::DeleteValue(const String& name) {
  if (!ValueExists(name)) return false;
  File()->DeleteKey(currentPath_, ValueKey(name));
  Save();
  return true;
}

void TRegistry::DataError(const String& name) const {
  throw ERegistryException(u"Invalid data type for '" + name + u"'");
}

String TRegistry::ReadString(const String& name) {
  return File()->ReadString(currentPath_, ValueKey(name), String());
}

void TRegistry::WriteString(const String& name, const String& value) {
  if (access_ == KEY_READ) throw ERegistryException(u"Failed to set data for '" + name + u"'");
  File()->WriteString(currentPath_, ValueKey(name), value);
  Save();
}

Integer TRegistry::ReadInteger(const String& name) {
  if (!ValueExists(name)) DataError(name);
  Integer v = 0;
  if (!TryStrToInt(ReadString(name), v)) DataError(name);
  return v;
}

void TRegistry::WriteInteger(const String& name, Integer value) { WriteString(name, IntToStr(value)); }

bool TRegistry::ReadBool(const String& name) { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(const String& name, bool value) { WriteInteger(name, value ? 1 : 0); }

Double TRegistry::ReadFloat(const String& name) {
  if (!ValueExists(name)) DataError(name);
  Double v = 0;
  if (!TryStrToFloat(ReadString(name), v)) DataError(name);
  return v;
}

void TRegistry::WriteFloat(const String& name, Double value) { WriteString(name, FloatToStr(value)); }

TDateTime TRegistry::ReadDateTime(const String& name) {
  if (!ValueExists(name)) DataError(name);
  TDateTime v = 0;
  if (!TryStrToDateTime(ReadString(name), v)) DataError(name);
  return v;
}

void TRegistry::WriteDateTime(const String& name, TDateTime value) {
  WriteString(name, DateTimeToStr(value));
}

// ======================= TRegIniFile =======================

TRegIniFile::TRegIniFile(const String& fileName) : TRegIniFile(fileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const String& fileName, Cardinal access) : TRegistry(access), fileName_(fileName) {
  OpenKey(fileName, true);
}

template <class F>
auto TRegIniFile::InSection(const String& section, bool create, F f) {
  String base = GetCurrentPath();
  bool open = section.empty() || OpenKey(section, create);
  struct Restore {
    TRegIniFile* self;
    String base;
    ~Restore() { self->OpenKey(u"\\" + base, false); }
  } restore{this, base};
  return f(open);
}

String TRegIniFile::ReadString(const String& section, const String& ident, const String& defaultValue) {
  return InSection(section, false, [&](bool open) {
    return open && ValueExists(ident) ? TRegistry::ReadString(ident) : defaultValue;
  });
}

void TRegIniFile::WriteString(const String& section, const String& ident, const String& value) {
  InSection(section, true, [&](bool) {
    TRegistry::WriteString(ident, value);
    return 0;
  });
}

Integer TRegIniFile::ReadInteger(const String& section, const String& ident, Integer defaultValue) {
  return StrToIntDef(ReadString(section, ident, IntToStr(defaultValue)), defaultValue);
}

void TRegIniFile::WriteInteger(const String& section, const String& ident, Integer value) {
  WriteString(section, ident, IntToStr(value));
}

bool TRegIniFile::ReadBool(const String& section, const String& ident, bool defaultValue) {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteInteger(section, ident, value ? 1 : 0);
}

void TRegIniFile::ReadSection(const String& section, TStrings* strings) {
  InSection(section, false, [&](bool open) {
    if (open)
      GetValueNames(strings);
    else
      strings->Clear();
    return 0;
  });
}

void TRegIniFile::ReadSections(TStrings* strings) { GetKeyNames(strings); }

void TRegIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  InSection(section, false, [&](bool open) {
    strings->Clear();
    if (!open) return 0;
    TStringList names;
    GetValueNames(&names);
    for (int i = 0; i < names.GetCount(); ++i)
      strings->Add(names[i] + u"=" + TRegistry::ReadString(names[i]));
    return 0;
  });
}

void TRegIniFile::EraseSection(const String& section) { TRegistry::DeleteKey(section); }

void TRegIniFile::DeleteKey(const String& section, const String& ident) {
  InSection(section, false, [&](bool open) {
    if (open) DeleteValue(ident);
    return 0;
  });
}
