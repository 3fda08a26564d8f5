// Special folders, command line, file search, temporary files and GUIDs over POSIX.
#include "platform/classes/SpecialFolders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {
String EnvOr(const char* name, const String& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? Utf8ToString(v) : fallback;
}

String Home() { return EnvOr("HOME", u"/tmp"); }
}  // namespace

String GetSpecialFolderPath(int csidl, bool create) {
  String path;
  switch (csidl) {
    case CSIDL_APPDATA:
    case CSIDL_COMMON_APPDATA:
      path = ExcludeTrailingPathDelimiter(EnvOr("XDG_CONFIG_HOME", Home() + u"/.config")) + u"/kiv-erp";
      break;
    case CSIDL_LOCAL_APPDATA:
      path = ExcludeTrailingPathDelimiter(EnvOr("XDG_DATA_HOME", Home() + u"/.local/share")) + u"/kiv-erp";
      break;
    case CSIDL_DESKTOP:
      path = Home() + u"/Desktop";
      break;
    default:
      path = ExcludeTrailingPathDelimiter(Home());
  }
  if (create && !DirectoryExists(path)) ForceDirectories(path);
  return path;
}

// ---- Command line ----

namespace {
std::mutex& ArgsMutex() {
  static std::mutex m;
  return m;
}
std::vector<String>& Args() {
  static std::vector<String> args;
  return args;
}
}  // namespace

void SetCommandLine(int argc, char** argv) {
  std::lock_guard lock(ArgsMutex());
  Args().clear();
  for (int i = 0; i < argc; ++i) Args().push_back(Utf8ToString(argv[i] ? argv[i] : ""));
}

int ParamCount() {
  std::lock_guard lock(ArgsMutex());
  return Args().empty() ? 0 : static_cast<int>(Args().size()) - 1;
}

String ParamStr(int index) {
  {
    std::lock_guard lock(ArgsMutex());
    if (index > 0 && index < static_cast<int>(Args().size())) return Args()[index];
    if (index != 0) return String();
  }
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) return Utf8ToString(std::string_view(buf, static_cast<size_t>(n)));
  std::lock_guard lock(ArgsMutex());
  return Args().empty() ? String() : Args()[0];
}

// ---- File search ----

bool MatchesMask(const String& name, const String& mask) {
  String n = AnsiUpperCase(name), m = AnsiUpperCase(mask);
  // "*.*" matches names without a dot too, as it always has.
  if (m == u"*.*") return true;
  size_t ni = 0, mi = 0, star = String::npos, mark = 0;
  while (ni < n.size()) {
    if (mi < m.size() && (m[mi] == u'?' || m[mi] == n[ni])) {
      ++ni;
      ++mi;
    } else if (mi < m.size() && m[mi] == u'*') {
      star = mi++;
      mark = ni;
    } else if (star != String::npos) {
      mi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == u'*') ++mi;
  return mi == m.size();
}

namespace {
struct FindState {
  DIR* dir = nullptr;
  String folder;
  String mask;
  int attr = 0;
  ~FindState() {
    if (dir) ::closedir(dir);
  }
};

int Next(TSearchRec& rec) {
  auto* state = static_cast<FindState*>(rec.FindHandle.get());
  if (!state || !state->dir) return 18;  // no more files
  while (dirent* e = ::readdir(state->dir)) {
    String name = Utf8ToString(e->d_name);
    if (!MatchesMask(name, state->mask)) continue;
    struct stat st;
    std::string full = StringToUtf8(state->folder + name);
    if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) continue;
    int attr = 0;
    if (S_ISDIR(st.st_mode))
      attr |= faDirectory;
    else
      attr |= faArchive;
    if (name.size() > 1 && name[0] == u'.' && name != u"..") attr |= faHidden;
    if (::access(full.c_str(), W_OK) != 0) attr |= faReadOnly;
    if (attr & ~state->attr & (faHidden | faSysFile | faDirectory)) continue;
    rec.Name = name;
    rec.Attr = attr;
    rec.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<Int64>(st.st_size);
    rec.Time = static_cast<int>(st.st_mtime);
    rec.TimeStamp = UnixToDateTime(static_cast<Int64>(st.st_mtime), false);
    return 0;
  }
  return 18;
}
}  // namespace

int FindFirst(const String& path, int attr, TSearchRec& rec) {
  FindClose(rec);
  auto state = std::make_shared<FindState>();
  state->folder = ExtractFilePath(path);
  state->mask = ExtractFileName(path);
  state->attr = attr;
  rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faDirectory);
  String folder = state->folder.empty() ? String(u".") : state->folder;
  state->dir = ::opendir(StringToUtf8(folder).c_str());
  if (!state->dir) return 3;  // path not found
  rec.FindHandle = state;
  int result = Next(rec);
  if (result != 0) FindClose(rec);
  return result;
}

int FindNext(TSearchRec& rec) { return Next(rec); }

void FindClose(TSearchRec& rec) { rec.FindHandle.reset(); }

// ---- Temporary files ----

String GetTempPath() { return IncludeTrailingPathDelimiter(EnvOr("TMPDIR", u"/tmp")); }

String GetTempFileName(const String& dir, const String& prefix) {
  std::string pattern =
      StringToUtf8(IncludeTrailingPathDelimiter(dir.empty() ? GetTempPath() : dir) + prefix) + "XXXXXX.tmp";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  int fd = ::mkstemps(buf.data(), 4);
  if (fd < 0) throw EInOutError(u"Cannot create a temporary file in " + dir);
  ::close(fd);
  return Utf8ToString(buf.data());
}

// ---- GUIDs ----

int CreateGUID(TGUID& guid) {
  std::random_device rd;
  Byte b[16];
  for (int i = 0; i < 16; i += 4) {
    unsigned v = rd();
    std::memcpy(b + i, &v, 4);
  }
  b[6] = static_cast<Byte>((b[6] & 0x0F) | 0x40);
  b[8] = static_cast<Byte>((b[8] & 0x3F) | 0x80);
  guid.D1 = (Cardinal(b[0]) << 24) | (Cardinal(b[1]) << 16) | (Cardinal(b[2]) << 8) | b[3];
  guid.D2 = static_cast<Word>((b[4] << 8) | b[5]);
  guid.D3 = static_cast<Word>((b[6] << 8) | b[7]);
  std::memcpy(guid.D4, b + 8, 8);
  return 0;
}

String GUIDToString(const TGUID& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.D1, g.D2, g.D3,
                g.D4[0], g.D4[1], g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]);
  return Utf8ToString(buf);
}

TGUID StringToGUID(const String& s) {
  auto fail = [&]() -> TGUID { throw EConvertError(u"'" + s + u"' is not a valid GUID value"); };
  if (s.size() != 38 || s[0] != u'{' || s[37] != u'}' || s[9] != u'-' || s[14] != u'-' || s[19] != u'-' ||
      s[24] != u'-')
    return fail();
  auto hex = [&](size_t pos, size_t count) {
    UInt64 v = 0;
    for (size_t i = pos; i < pos + count; ++i) {
      Char c = s[i];
      int d = c >= u'0' && c <= u'9'   ? c - u'0'
              : c >= u'a' && c <= u'f' ? c - u'a' + 10
              : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                       : -1;
      if (d < 0) fail();
      v = v * 16 + static_cast<UInt64>(d);
    }
    return v;
  };
  TGUID g;
  g.D1 = static_cast<Cardinal>(hex(1, 8));
  g.D2 = static_cast<Word>(hex(10, 4));
  g.D3 = static_cast<Word>(hex(15, 4));
  g.D4[0] = static_cast<Byte>(hex(20, 2));
  g.D4[1] = static_cast<Byte>(hex(22, 2));
  for (int i = 0; i < 6; ++i) g.D4[2 + i] = static_cast<Byte>(hex(25 + 2 * i, 2));
  return g;
}

bool IsEqualGUID(const TGUID& a, const TGUID& b) { return a == b; }
