// INI files: parsing, lookup by case-insensitive names and safe rewriting.
#include "platform/classes/IniFiles.h"

#include <unistd.h>

#include <cstdio>

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

// ======================= TCustomIniFile =======================

Integer TCustomIniFile::ReadInteger(const String& section, const String& ident, Integer defaultValue) {
  String s = ReadString(section, ident, String());
  if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) s = u"$" + s.substr(2);
  return StrToIntDef(s, defaultValue);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, Integer value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool defaultValue) {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

Double TCustomIniFile::ReadFloat(const String& section, const String& ident, Double defaultValue) {
  String s = ReadString(section, ident, String());
  Double v = defaultValue;
  return !s.empty() && TryStrToFloat(s, v) ? v : defaultValue;
}

void TCustomIniFile::WriteFloat(const String& section, const String& ident, Double value) {
  WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(const String& section, const String& ident, TDateTime defaultValue) {
  String s = ReadString(section, ident, String());
  TDateTime v = defaultValue;
  return !s.empty() && TryStrToDate(s, v) ? v : defaultValue;
}

void TCustomIniFile::WriteDate(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value));
}

TDateTime TCustomIniFile::ReadDateTime(const String& section, const String& ident, TDateTime defaultValue) {
  String s = ReadString(section, ident, String());
  TDateTime v = defaultValue;
  return !s.empty() && TryStrToDateTime(s, v) ? v : defaultValue;
}

void TCustomIniFile::WriteDateTime(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value));
}

TDateTime TCustomIniFile::ReadTime(const String& section, const String& ident, TDateTime defaultValue) {
  String s = ReadString(section, ident, String());
  TDateTime v = defaultValue;
  return !s.empty() && TryStrToTime(s, v) ? v : defaultValue;
}

void TCustomIniFile::WriteTime(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value));
}

bool TCustomIniFile::SectionExists(const String& section) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.GetCount() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.IndexOf(ident) >= 0;
}

// ======================= TMemIniFile =======================

namespace {
bool HasLineBreak(const String& s) { return s.find_first_of(u"\r\n") != String::npos; }

String TrimBlanks(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t' || s[e - 1] == u'\r')) --e;
  return s.substr(b, e - b);
}
}  // namespace

TMemIniFile::TMemIniFile(const String& fileName) : TCustomIniFile(fileName) { LoadFromFile(); }

void TMemIniFile::LoadFromFile() {
  Clear();
  if (GetFileName().empty() || !FileExists(GetFileName())) return;
  TFileStream stream(GetFileName(), fmOpenRead | fmShareDenyWrite);
  TBytes bytes = stream.ReadAllBytes();
  std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const TEncoding* encoding = nullptr;
  view.remove_prefix(static_cast<size_t>(TEncoding::GetBufferEncoding(view, encoding, TEncoding::UTF8())));
  // Files written by older versions of the program are windows-1251; a byte-order mark or valid
  // UTF-8 says otherwise.
  if (encoding == TEncoding::UTF8() && !IsValidUtf8(view)) encoding = TEncoding::Default();
  Parse(encoding->GetString(view));
}

void TMemIniFile::Parse(const String& text) {
  Section* current = nullptr;
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find_first_of(u"\r\n", p);
    if (e == String::npos) e = text.size();
    String line = TrimBlanks(text.substr(p, e - p));
    p = e;
    if (p < text.size() && text[p] == u'\r') ++p;
    if (p < text.size() && text[p] == u'\n') ++p;
    if (line.empty()) continue;
    if (line[0] == u';' || line[0] == u'#') {
      if (current)
        current->lines.push_back(Line{String(), String(), line});
      else
        leadingComments_.push_back(line);
      continue;
    }
    if (line[0] == u'[' && line.back() == u']') {
      String name = TrimBlanks(line.substr(1, line.size() - 2));
      current = FindSection(name);
      if (!current) {
        sections_.push_back(Section{name, {}});
        current = &sections_.back();
      }
      continue;
    }
    if (!current) continue;
    size_t eq = line.find(u'=');
    String key = TrimBlanks(eq == String::npos ? line : line.substr(0, eq));
    String value = eq == String::npos ? String() : TrimBlanks(line.substr(eq + 1));
    if (key.empty()) continue;
    if (Line* existing = FindKey(*current, key))
      existing->value = value;
    else
      current->lines.push_back(Line{key, value, String()});
  }
}

String TMemIniFile::Text() const {
  String out;
  for (const String& c : leadingComments_) out += c + u"\n";
  bool first = true;
  for (const Section& s : sections_) {
    if (!first) out += u"\n";
    first = false;
    out += u"[" + s.name + u"]\n";
    for (const Line& l : s.lines) out += l.key.empty() ? l.comment + u"\n" : l.key + u"=" + l.value + u"\n";
  }
  return out;
}

TMemIniFile::Section* TMemIniFile::FindSection(const String& name) {
  for (Section& s : sections_)
    if (AnsiSameText(s.name, name)) return &s;
  return nullptr;
}

const TMemIniFile::Section* TMemIniFile::FindSection(const String& name) const {
  return const_cast<TMemIniFile*>(this)->FindSection(name);
}

TMemIniFile::Line* TMemIniFile::FindKey(Section& section, const String& key) {
  for (Line& l : section.lines)
    if (!l.key.empty() && AnsiSameText(l.key, key)) return &l;
  return nullptr;
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& defaultValue) {
  Section* s = FindSection(section);
  if (!s) return defaultValue;
  Line* l = FindKey(*s, ident);
  return l ? l->value : defaultValue;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  if (HasLineBreak(section) || section.find(u']') != String::npos)
    throw EIniFileException(u"Invalid section name: " + section);
  String key = TrimBlanks(ident);
  if (key.empty() || key != ident || HasLineBreak(key) || key.find(u'=') != String::npos || key[0] == u'[' ||
      key[0] == u';' || key[0] == u'#')
    throw EIniFileException(u"Invalid key name: " + ident);
  if (HasLineBreak(value)) throw EIniFileException(u"The value of " + ident + u" contains a line break");
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back(Section{section, {}});
    s = &sections_.back();
  }
  if (Line* l = FindKey(*s, key))
    l->value = value;
  else
    s->lines.push_back(Line{key, value, String()});
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) {
  strings->BeginUpdate();
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        strings->Clear();
        if (const Section* s = FindSection(section))
          for (const Line& l : s->lines)
            if (!l.key.empty()) strings->Add(l.key);
      },
      [&] { strings->EndUpdate(); });
}

void TMemIniFile::ReadSections(TStrings* strings) {
  strings->BeginUpdate();
  TryFinally(
      [&] {
        strings->Clear();
        for (const Section& s : sections_) strings->Add(s.name);
      },
      [&] { strings->EndUpdate(); });
}

void TMemIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  strings->BeginUpdate();
  TryFinally(
      [&] {
        strings->Clear();
        if (const Section* s = FindSection(section))
          for (const Line& l : s->lines)
            if (!l.key.empty()) strings->Add(l.key + u"=" + l.value);
      },
      [&] { strings->EndUpdate(); });
}

void TMemIniFile::EraseSection(const String& section) {
  std::erase_if(sections_, [&](const Section& s) { return AnsiSameText(s.name, section); });
}

void TMemIniFile::DeleteKey(const String& section, const String& ident) {
  if (Section* s = FindSection(section))
    std::erase_if(s->lines, [&](const Line& l) { return !l.key.empty() && AnsiSameText(l.key, ident); });
}

void TMemIniFile::UpdateFile() {
  std::string bytes = StringToUtf8(Text());
  String temp = GetFileName() + u".tmp" + IntToStr(static_cast<int>(::getpid()));
  try {
    ForceDirectories(ExtractFileDir(ExpandFileName(GetFileName())));
    {
      TFileStream stream(temp, fmCreate);
      stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    }
    if (std::rename(StringToUtf8(temp).c_str(), StringToUtf8(GetFileName()).c_str()) != 0)
      throw EIniFileException(u"Unable to write to " + GetFileName());
  } catch (const Exception&) {
    std::remove(StringToUtf8(temp).c_str());
    throw EIniFileException(u"Unable to write to " + GetFileName());
  }
}

void TMemIniFile::Clear() {
  leadingComments_.clear();
  sections_.clear();
}

void TMemIniFile::Rename(const String& fileName, bool reload) {
  SetFileName(fileName);
  if (reload) LoadFromFile();
}

void TMemIniFile::GetStrings(TStrings* strings) const { strings->SetText(Text()); }

void TMemIniFile::SetStrings(const TStrings* strings) {
  Clear();
  Parse(strings->GetText());
}

void TMemIniFile::AddSection(const String& section) {
  if (!FindSection(section)) sections_.push_back(Section{section, {}});
}

bool TMemIniFile::HasSectionHeader(const String& section) const { return FindSection(section) != nullptr; }

std::vector<String> TMemIniFile::SectionNames() const {
  std::vector<String> names;
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

// ======================= TIniFile =======================

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  TMemIniFile::WriteString(section, ident, value);
  UpdateFile();
}

void TIniFile::EraseSection(const String& section) {
  TMemIniFile::EraseSection(section);
  UpdateFile();
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  TMemIniFile::DeleteKey(section, ident);
  UpdateFile();
}
