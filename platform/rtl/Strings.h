// The runtime's string routines: 1-based positions, trimming, case, comparison, integers as text and
// file names, with the class library's names and meanings.
#pragma once

#include <initializer_list>
#include <string_view>

#include "platform/rtl/Types.h"

// Line break of the text the program reads and writes (lists, memos, clipboard): CR LF, as the
// data files and the other side of every exchange expect.
inline const String sLineBreak = u"\r\n";
inline constexpr Char PathDelim = u'/';

// ---- Length, copy, search and edit (positions are 1-based; 0 means "not found") ----

inline int Length(const String& s) { return static_cast<int>(s.size()); }
// An index below 1 counts as 1; a negative count or an index past the end gives "".
String Copy(const String& s, int index, int count);
int Pos(const String& substr, const String& s);
int PosEx(const String& substr, const String& s, int offset = 1);
// Nothing happens when index is outside 1..Length(s) or count <= 0.
void Delete(String& s, int index, int count);
// An index below 1 inserts at the start, one past the end appends.
void Insert(const String& source, String& s, int index);
// New characters are #0.
void SetLength(String& s, int newLength);

// Characters <= ' ' are blanks.
String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };

// A set of TReplaceFlag: TReplaceFlags{rfReplaceAll, rfIgnoreCase} or TReplaceFlags() << rfReplaceAll.
class TReplaceFlags {
 public:
  TReplaceFlags() = default;
  TReplaceFlags(std::initializer_list<TReplaceFlag> flags) {
    for (auto f : flags) bits_ |= Bit(f);
  }
  TReplaceFlags& operator<<(TReplaceFlag f) {
    bits_ |= Bit(f);
    return *this;
  }
  TReplaceFlags& operator>>(TReplaceFlag f) {
    bits_ &= ~Bit(f);
    return *this;
  }
  bool Contains(TReplaceFlag f) const { return (bits_ & Bit(f)) != 0; }
  bool operator==(const TReplaceFlags&) const = default;

 private:
  static unsigned Bit(TReplaceFlag f) { return 1u << static_cast<unsigned>(f); }
  unsigned bits_ = 0;
};

// rfIgnoreCase compares with the full Unicode case mapping (as AnsiUpperCase).
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags);

// ---- Case and comparison ----

// ASCII letters only; everything else is kept.
String UpperCase(const String& s);
String LowerCase(const String& s);
// Full Unicode simple case mapping (Cyrillic, Ё/ё, Latin with accents, Greek ...).
String AnsiUpperCase(const String& s);
String AnsiLowerCase(const String& s);
Char AnsiUpperChar(Char c);
Char AnsiLowerChar(Char c);

// Ordinal: the difference of the first differing code units, or of the lengths.
int CompareStr(const String& s1, const String& s2);
// Ordinal after upper-casing ASCII letters only.
int CompareText(const String& s1, const String& s2);
bool SameStr(const String& s1, const String& s2);
bool SameText(const String& s1, const String& s2);
// Orders map keys as CompareText does.
struct CompareTextLess {
  bool operator()(const String& a, const String& b) const { return CompareText(a, b) < 0; }
};

// Russian collation (-1, 0, 1). Letters are compared first, ignoring case: blanks < punctuation and
// symbols < digits < Latin (an accented letter right after its base) < Cyrillic (а < б < … < е < ё < ж
// < … < я) < everything else by code point. Only when that ties do the Str variants put a lower-case
// letter before its capital ("ёлка" < "Ёлка"); the Text variants call such strings equal.
int AnsiCompareStr(const String& s1, const String& s2);
int AnsiCompareText(const String& s1, const String& s2);
// The key of a text without case: two keys compared as sequences order their texts as AnsiCompareText
// does, so a sort computes the key once per text instead of collating on every comparison.
std::u32string AnsiTextSortKey(const String& s);
bool AnsiSameStr(const String& s1, const String& s2);
bool AnsiSameText(const String& s1, const String& s2);

int AnsiPos(const String& substr, const String& s);
// The Text variants ignore case (full Unicode mapping); the Str variants compare exactly.
bool AnsiStartsText(const String& subText, const String& text);
bool AnsiEndsText(const String& subText, const String& text);
bool AnsiContainsText(const String& text, const String& subText);
bool StartsStr(const String& subText, const String& text);
bool EndsStr(const String& subText, const String& text);
bool ContainsStr(const String& text, const String& subText);

// ---- Building strings ----

String LeftStr(const String& s, int count);
String RightStr(const String& s, int count);
String MidStr(const String& s, int start, int count);
String StringOfChar(Char c, int count);
String DupeString(const String& s, int count);
// Keeps surrogate pairs in order, so a reversed string stays valid UTF-16.
String ReverseString(const String& s);

// 'It''s' style quoting, as SQL literals and lists use.
String QuotedStr(const String& s);
String AnsiQuotedStr(const String& s, Char quote);
// Takes a quoted string at src (doubled quotes inside), advances src past the closing quote and
// returns its text; returns "" and leaves src alone when src does not start with quote.
String AnsiExtractQuotedStr(const Char*& src, Char quote);
// The text inside the quotes; s itself when it is not quoted.
String AnsiDequotedStr(const String& s, Char quote);

// 1-based position of the last character of s that is in delimiters, or 0.
int LastDelimiter(const String& delimiters, const String& s);
// True when s[index] (1-based) is one of delimiters.
bool IsDelimiter(const String& delimiters, const String& s, int index);

enum TTextLineBreakStyle { tlbsLF, tlbsCRLF, tlbsCR };
// Every CR, LF, CR LF or LF CR becomes one break of the given style.
String AdjustLineBreaks(const String& s, TTextLineBreakStyle style = tlbsCRLF);

// A set of 8-bit characters, as the class library's "set of AnsiChar".
class TSysCharSet {
 public:
  TSysCharSet() = default;
  TSysCharSet(std::initializer_list<Char> chars) {
    for (Char c : chars) Include(c);
  }
  void Include(Char c) {
    if (c < 256) bits_[c / 64] |= 1ull << (c % 64);
  }
  bool Contains(Char c) const { return c < 256 && (bits_[c / 64] >> (c % 64)) & 1; }

 private:
  unsigned long long bits_[4] = {};
};

// Characters above 255 are never in the set.
bool CharInSet(Char c, const TSysCharSet& set);
// Always false: no multi-byte character sets here.
inline bool IsLeadByte(char) { return false; }
inline bool IsLeadByte(Char) { return false; }

// Breaks lines longer than maxCol at the last break character that fits; quoted text is not broken.
String WrapText(const String& line, const String& breakStr, const TSysCharSet& breakChars, int maxCol);
String WrapText(const String& line, int maxCol = 45);

// ---- Surrogate pairs ----

inline bool IsHighSurrogate(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }
inline bool IsSurrogate(Char c) { return c >= 0xD800 && c <= 0xDFFF; }
// index is 1-based; false outside the string.
bool IsSurrogate(const String& s, int index);
bool IsHighSurrogate(const String& s, int index);
bool IsLowSurrogate(const String& s, int index);
// 1-based index of the character after the one at index (a surrogate pair counts as one).
int NextCharIndex(const String& s, int index);

// ---- Integers and booleans as text ----

String IntToStr(int value);
String IntToStr(unsigned value);
String IntToStr(long value);
String IntToStr(unsigned long value);
String IntToStr(long long value);
String IntToStr(unsigned long long value);
// Upper-case hex, at least digits wide; negative values show their two's complement.
String IntToHex(Integer value, int digits);
String IntToHex(Cardinal value, int digits);
String IntToHex(Int64 value, int digits);
String IntToHex(UInt64 value, int digits);

// Leading blanks, a sign, and the hex prefixes '$', '0x', 'x' are accepted; anything else (trailing
// blanks included) or an out-of-range value raises EConvertError "'%s' is not a valid integer value".
// Hex text may fill all bits ("$FFFFFFFF" is -1 as an Integer).
Integer StrToInt(const String& s);
Int64 StrToInt64(const String& s);
Integer StrToIntDef(const String& s, Integer defaultValue);
Int64 StrToInt64Def(const String& s, Int64 defaultValue);
bool TryStrToInt(const String& s, Integer& value);
bool TryStrToInt64(const String& s, Int64& value);

// "-1"/"0", or "True"/"False" with useBoolStrs.
String BoolToStr(bool b, bool useBoolStrs = false);
// "True"/"False" in any case, or a number (non-zero is true); else EConvertError
// "'%s' is not a valid boolean value".
bool StrToBool(const String& s);
bool StrToBoolDef(const String& s, bool defaultValue);
bool TryStrToBool(const String& s, bool& value);

// ---- File names ('/' is the delimiter; the OS gets UTF-8) ----

String ExtractFilePath(const String& fileName);  // with the trailing '/'
String ExtractFileDir(const String& fileName);   // without it (except for the root)
String ExtractFileName(const String& fileName);
String ExtractFileExt(const String& fileName);  // with the dot: ".txt"; "" when none
String ChangeFileExt(const String& fileName, const String& extension);
// Absolute, with "." and ".." folded; symbolic links are not resolved.
String ExpandFileName(const String& fileName);
String IncludeTrailingPathDelimiter(const String& s);
String ExcludeTrailingPathDelimiter(const String& s);
// True for an existing file that is not a directory.
bool FileExists(const String& fileName);
bool DirectoryExists(const String& directory);
// Creates the directory and its missing parents; raises EInOutError "Unable to create directory" for "".
bool ForceDirectories(const String& dir);
bool DeleteFile(const String& fileName);
bool RenameFile(const String& oldName, const String& newName);
String GetCurrentDir();
