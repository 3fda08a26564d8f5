// Settings files: plain INI text in UTF-8 (keys and values as written, no escaping), section and key
// names compared without regard to case; TMemIniFile saves on UpdateFile, TIniFile on every change.
#pragma once

#include <vector>

#include "platform/classes/Object.h"

class TStrings;

class TCustomIniFile : public TObject {
  KIV_CLASS(TCustomIniFile, TObject)
 public:
  explicit TCustomIniFile(const String& fileName) : fileName_(fileName) {}

  const String& GetFileName() const { return fileName_; }

  virtual String ReadString(const String& section, const String& ident, const String& defaultValue) = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  virtual void ReadSection(const String& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  virtual void ReadSectionValues(const String& section, TStrings* strings) = 0;
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  virtual void UpdateFile() = 0;

  // "0x" hex is accepted; text that is no integer gives the default.
  Integer ReadInteger(const String& section, const String& ident, Integer defaultValue);
  void WriteInteger(const String& section, const String& ident, Integer value);
  // Any integer other than 0 is true; written as "1"/"0".
  bool ReadBool(const String& section, const String& ident, bool defaultValue);
  void WriteBool(const String& section, const String& ident, bool value);
  // Through the process-wide format settings; unreadable text gives the default.
  Double ReadFloat(const String& section, const String& ident, Double defaultValue);
  void WriteFloat(const String& section, const String& ident, Double value);
  TDateTime ReadDate(const String& section, const String& ident, TDateTime defaultValue);
  void WriteDate(const String& section, const String& ident, TDateTime value);
  TDateTime ReadDateTime(const String& section, const String& ident, TDateTime defaultValue);
  void WriteDateTime(const String& section, const String& ident, TDateTime value);
  TDateTime ReadTime(const String& section, const String& ident, TDateTime defaultValue);
  void WriteTime(const String& section, const String& ident, TDateTime value);
  // A section "exists" when it holds a key.
  bool SectionExists(const String& section);
  bool ValueExists(const String& section, const String& ident);

 protected:
  void SetFileName(const String& fileName) { fileName_ = fileName; }

 private:
  String fileName_;
};

class TMemIniFile : public TCustomIniFile {
  KIV_CLASS(TMemIniFile, TCustomIniFile)
 public:
  // Reads the file when it exists; a missing file is an empty one.
  explicit TMemIniFile(const String& fileName);

  String ReadString(const String& section, const String& ident, const String& defaultValue) override;
  // A name or value that INI text cannot hold (a line break, a name with '=' or starting with '[' or
  // ';') raises EIniFileException instead of corrupting the file.
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const String& section, TStrings* strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  // Writes the whole file (through a temporary file, so a failure leaves the old one); raises
  // EIniFileException "Unable to write to %s".
  void UpdateFile() override;

  void Clear();
  void Rename(const String& fileName, bool reload);
  void GetStrings(TStrings* strings) const;
  void SetStrings(const TStrings* strings);
  // Sections that exist with no keys (the registry substitute keeps empty keys so).
  void AddSection(const String& section);
  bool HasSectionHeader(const String& section) const;
  std::vector<String> SectionNames() const;

 protected:
  void LoadFromFile();

 private:
  struct Line {
    String key;  // empty for a comment line
    String value;
    String comment;
  };
  struct Section {
    String name;
    std::vector<Line> lines;
  };
  Section* FindSection(const String& name);
  const Section* FindSection(const String& name) const;
  static Line* FindKey(Section& section, const String& key);
  void Parse(const String& text);
  String Text() const;

  std::vector<String> leadingComments_;
  std::vector<Section> sections_;
};

// An INI file that is written back after every change.
class TIniFile : public TMemIniFile {
  KIV_CLASS(TIniFile, TMemIniFile)
 public:
  explicit TIniFile(const String& fileName) : TMemIniFile(fileName) {}
  void WriteString(const String& section, const String& ident, const String& value) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
};
