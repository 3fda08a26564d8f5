// The registry substitute: one INI file per root key under the configuration folder
// ($XDG_CONFIG_HOME/kiv-erp/registry/HKEY_CURRENT_USER.ini ...), the key path as the section and the
// unnamed value as "(Default)".
#pragma once

#include <memory>

#include "platform/classes/Object.h"

class TStrings;
class TMemIniFile;

using HKEY = UInt64;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
constexpr HKEY HKEY_USERS = 0x80000003;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;

constexpr Cardinal KEY_READ = 0x20019;
constexpr Cardinal KEY_WRITE = 0x20006;
constexpr Cardinal KEY_ALL_ACCESS = 0xF003F;

// The folder that holds the root keys' files.
String RegistryFolder();

class TRegistry : public TObject {
  KIV_CLASS(TRegistry, TObject)
 public:
  TRegistry();
  explicit TRegistry(Cardinal access);
  ~TRegistry() override;

  HKEY GetRootKey() const { return rootKey_; }
  void SetRootKey(HKEY key);
  Cardinal GetAccess() const { return access_; }
  void SetAccess(Cardinal access) { access_ = access; }
  bool GetLazyWrite() const { return lazyWrite_; }
  void SetLazyWrite(bool lazy) { lazyWrite_ = lazy; }
  // Without the leading '\'.
  const String& GetCurrentPath() const { return currentPath_; }
  String CurrentPath() const { return currentPath_; }

  // A key starting with '\' is taken from the root, any other below the open key.
  bool OpenKey(const String& key, bool canCreate);
  bool OpenKeyReadOnly(const String& key);
  void CloseKey();
  bool CreateKey(const String& key);
  // Deletes the key with its values and subkeys.
  bool DeleteKey(const String& key);
  bool KeyExists(const String& key);
  bool HasSubKeys();
  void GetKeyNames(TStrings* strings);
  void GetValueNames(TStrings* strings);
  bool ValueExists(const String& name);
  bool DeleteValue(const String& name);

  // A missing value reads as "" for strings; the number readers raise ERegistryException
  // "Invalid data type for '%s'" for a missing or non-numeric value.
  String ReadString(const String& name);
  void WriteString(const String& name, const String& value);
  void WriteExpandString(const String& name, const String& value) { WriteString(name, value); }
  Integer ReadInteger(const String& name);
  void WriteInteger(const String& name, Integer value);
  bool ReadBool(const String& name);
  void WriteBool(const String& name, bool value);
  Double ReadFloat(const String& name);
  void WriteFloat(const String& name, Double value);
  TDateTime ReadDateTime(const String& name);
  void WriteDateTime(const String& name, TDateTime value);

 protected:
  String Resolve(const String& key) const;
  TMemIniFile* File();
  void Save();
  [[noreturn]] void DataError(const String& name) const;

 private:
  static String ValueKey(const String& name) { return name.empty() ? String(u"(Default)") : name; }

  HKEY rootKey_ = HKEY_CURRENT_USER;
  Cardinal access_ = KEY_ALL_ACCESS;
  bool lazyWrite_ = true;
  bool keyOpen_ = false;
  String currentPath_;
  std::unique_ptr<TMemIniFile> file_;
};

// Sections are subkeys of the key named at creation (below HKEY_CURRENT_USER).
class TRegIniFile : public TRegistry {
  KIV_CLASS(TRegIniFile, TRegistry)
 public:
  explicit TRegIniFile(const String& fileName);
  TRegIniFile(const String& fileName, Cardinal access);

  const String& GetFileName() const { return fileName_; }
  String ReadString(const String& section, const String& ident, const String& defaultValue);
  void WriteString(const String& section, const String& ident, const String& value);
  Integer ReadInteger(const String& section, const String& ident, Integer defaultValue);
  void WriteInteger(const String& section, const String& ident, Integer value);
  bool ReadBool(const String& section, const String& ident, bool defaultValue);
  void WriteBool(const String& section, const String& ident, bool value);
  void ReadSection(const String& section, TStrings* strings);
  void ReadSections(TStrings* strings);
  void ReadSectionValues(const String& section, TStrings* strings);
  void EraseSection(const String& section);
  void DeleteKey(const String& section, const String& ident);

  using TRegistry::DeleteKey;
  using TRegistry::ReadBool;
  using TRegistry::ReadInteger;
  using TRegistry::ReadString;
  using TRegistry::WriteBool;
  using TRegistry::WriteInteger;
  using TRegistry::WriteString;

 private:
  // Runs f with the section's key open, then goes back to the file's own key.
  template <class F>
  auto InSection(const String& section, bool create, F f);
  String fileName_;
};
