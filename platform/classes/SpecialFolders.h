// The program's place in the system: special folders (the roaming application data under the XDG
// configuration folder), command-line parameters, file search with masks, temporary files and GUIDs.
#pragma once

#include <memory>

#include "platform/rtl/Types.h"

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;

// CSIDL_APPDATA and CSIDL_COMMON_APPDATA: $XDG_CONFIG_HOME/kiv-erp (default ~/.config/kiv-erp);
// CSIDL_LOCAL_APPDATA: $XDG_DATA_HOME/kiv-erp (default ~/.local/share/kiv-erp); CSIDL_PERSONAL: the
// home folder; CSIDL_DESKTOP: ~/Desktop. Without a trailing '/'; created when create is true.
String GetSpecialFolderPath(int csidl, bool create = true);

// ---- Command line ----

// main() hands its arguments over once.
void SetCommandLine(int argc, char** argv);
int ParamCount();
// 0 is the program's path; beyond ParamCount the empty string.
String ParamStr(int index);

// ---- File search ----

constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faNormal = 0x80;
constexpr int faSymLink = 0x400;
constexpr int faAnyFile = 0x1FF;

struct TSearchRec {
  int Time = 0;
  Int64 Size = 0;
  int Attr = 0;
  String Name;
  int ExcludeAttr = 0;
  TDateTime TimeStamp = 0;
  std::shared_ptr<void> FindHandle;
};

// path is a folder and a mask with '*' and '?' (matched without regard to case, as the program's
// file names were written for). Directories come only with faDirectory in attr, hidden (dot) files
// only with faHidden; "." and ".." are listed with faDirectory. Answers 0 when a file was found.
int FindFirst(const String& path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);
bool MatchesMask(const String& name, const String& mask);

// ---- Temporary files ----

// $TMPDIR or /tmp, with a trailing '/'.
String GetTempPath();
// Creates a new empty file prefix + 6 characters + ".tmp" in dir and answers its full name.
String GetTempFileName(const String& dir, const String& prefix);

// ---- GUIDs ----

struct TGUID {
  Cardinal D1 = 0;
  Word D2 = 0;
  Word D3 = 0;
  Byte D4[8] = {};
  friend bool operator==(const TGUID&, const TGUID&) = default;
};

// A random (version 4) GUID; answers 0 (S_OK).
int CreateGUID(TGUID& guid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", 38 characters, upper case.
String GUIDToString(const TGUID& guid);
// Raises EConvertError "'%s' is not a valid GUID value".
TGUID StringToGUID(const String& s);
bool IsEqualGUID(const TGUID& a, const TGUID& b);
