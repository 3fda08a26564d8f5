// Settings: INI files kept exactly and read by Python's configparser, the registry substitute, the
// special folders, command line, file search, temporary files and GUIDs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

// A fresh folder that stands in for the configuration folder for one test.
class ConfigHome : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/kiv-config-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    saved_ = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", dir, 1);
  }
  void TearDown() override {
    if (saved_.empty())
      unsetenv("XDG_CONFIG_HOME");
    else
      setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  String Path(const char* name) const { return Utf8ToString(dir_ + "/" + name); }
  std::string Read(const String& path) const {
    std::ifstream in(StringToUtf8(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir_;
  std::string saved_;
};

using IniFileTest = ConfigHome;

TEST_F(IniFileTest, KeysAndValuesAreKeptExactlyAndNamesIgnoreCase) {
  String file = Path("settings.ini");
  {
    TIniFile ini(file);
    ini.WriteString(u"Login", u"LastUser", u"Иванов И.И.");
    ini.WriteString(u"Login", u"Path%U", u"C:\\Base\\db.mdb;x=%1 \"q\"");
    ini.WriteInteger(u"Grid Columns", u"Width", -15);
    ini.WriteBool(u"Grid Columns", u"Visible", true);
    ini.WriteString(u"login", u"lastuser", u"Петров");
  }
  EXPECT_EQ(Read(file), StringToUtf8(u"[Login]\nLastUser=Петров\nPath%U=C:\\Base\\db.mdb;x=%1 \"q\"\n\n"
                                     u"[Grid Columns]\nWidth=-15\nVisible=1\n"));
  TMemIniFile ini(file);
  EXPECT_EQ(ini.ReadString(u"LOGIN", u"path%u", u""), u"C:\\Base\\db.mdb;x=%1 \"q\"");
  EXPECT_EQ(ini.ReadInteger(u"grid columns", u"WIDTH", 0), -15);
  EXPECT_TRUE(ini.ReadBool(u"Grid Columns", u"Visible", false));
  EXPECT_EQ(ini.ReadString(u"Login", u"Missing", u"dflt"), u"dflt");
  EXPECT_TRUE(ini.SectionExists(u"grid columns"));
  EXPECT_TRUE(ini.ValueExists(u"Login", u"LASTUSER"));
  EXPECT_FALSE(ini.ValueExists(u"Login", u"Other"));
}

TEST_F(IniFileTest, ConfigParserReadsWhatWeWrite) {
  String file = Path("shared.ini");
  {
    TIniFile ini(file);
    ini.WriteString(u"Подключение", u"Сервер", u"db.local");
    ini.WriteString(u"Подключение", u"Password", u"p%ss=w;rd#1");
    ini.WriteString(u"Paths", u"Reports", u"/srv/reports/%USER%");
    ini.WriteString(u"Paths", u"Empty", u"");
  }
  std::string script =
      "/usr/bin/python3 -c \""
      "import configparser,sys\n"
      "c = configparser.ConfigParser(interpolation=None)\n"
      "c.optionxform = str\n"
      "c.read(sys.argv[1], encoding='utf-8')\n"
      "for s in c.sections():\n"
      "    for k, v in c.items(s):\n"
      "        print(s + '|' + k + '|' + v)\n"
      "\" '" +
      StringToUtf8(file) + "'";
  FILE* pipe = popen(script.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[256];
  while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
  ASSERT_EQ(pclose(pipe), 0) << out;
  EXPECT_EQ(out, StringToUtf8(u"Подключение|Сервер|db.local\nПодключение|Password|p%ss=w;rd#1\n"
                              u"Paths|Reports|/srv/reports/%USER%\nPaths|Empty|\n"));
}

TEST_F(IniFileTest, SectionsKeysAndErasing) {
  String file = Path("sections.ini");
  std::ofstream(StringToUtf8(file)) << "; kept comment\n[A]\n x = 1 \n; inside\ny=2\n[B]\nz=3\n";
  TMemIniFile ini(file);
  TStringList keys, sections, values;
  ini.ReadSection(u"a", &keys);
  EXPECT_EQ(keys.ToStringArray(), (std::vector<String>{u"x", u"y"}));
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.ToStringArray(), (std::vector<String>{u"A", u"B"}));
  ini.ReadSectionValues(u"A", &values);
  EXPECT_EQ(values.ToStringArray(), (std::vector<String>{u"x=1", u"y=2"}));
  ini.DeleteKey(u"A", u"X");
  ini.EraseSection(u"b");
  ini.UpdateFile();
  EXPECT_EQ(Read(file), "; kept comment\n[A]\n; inside\ny=2\n");
}

TEST_F(IniFileTest, TextThatIniCannotHoldIsRefused) {
  TMemIniFile ini(Path("bad.ini"));
  EXPECT_THROW(ini.WriteString(u"S", u"Key", u"two\r\nlines"), EIniFileException);
  EXPECT_THROW(ini.WriteString(u"S", u"a=b", u"v"), EIniFileException);
  EXPECT_THROW(ini.WriteString(u"S", u"[x", u"v"), EIniFileException);
  EXPECT_THROW(ini.WriteString(u"S]", u"k", u"v"), EIniFileException);
  EXPECT_FALSE(ini.SectionExists(u"S"));
  TMemIniFile unwritable(u"/proc/kiv-nope/settings.ini");
  unwritable.WriteString(u"S", u"k", u"v");
  EXPECT_THROW(unwritable.UpdateFile(), EIniFileException);
}

TEST_F(IniFileTest, NumbersAndDatesFallBackToTheDefault) {
  TMemIniFile ini(Path("n.ini"));
  ini.WriteString(u"N", u"hex", u"0x1F");
  ini.WriteString(u"N", u"junk", u"12abc");
  ini.WriteFloat(u"N", u"f", 2.5);
  EXPECT_EQ(ini.ReadInteger(u"N", u"hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger(u"N", u"junk", 7), 7);
  EXPECT_EQ(ini.ReadString(u"N", u"f", u""), u"2,5");
  EXPECT_DOUBLE_EQ(ini.ReadFloat(u"N", u"f", 0), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(u"N", u"junk", 1.5), 1.5);
  ini.WriteDate(u"N", u"d", 45000);
  EXPECT_EQ(ini.ReadDate(u"N", u"d", 0), 45000);
  EXPECT_EQ(ini.ReadDate(u"N", u"junk", 3), 3);
}

using RegistryTest = ConfigHome;

TEST_F(RegistryTest, KeysAreSectionsOfOneFilePerRoot) {
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey(u"Software\\KIV\\Settings", false));
    ASSERT_TRUE(reg.OpenKey(u"\\Software\\KIV\\Settings", true));
    reg.WriteString(u"", u"default value");
    reg.WriteInteger(u"Top", 120);
    reg.WriteBool(u"Maximized", true);
    EXPECT_EQ(reg.GetCurrentPath(), u"Software\\KIV\\Settings");
  }
  std::string text = Read(Path("kiv-erp/registry/HKEY_CURRENT_USER.ini"));
  EXPECT_EQ(text, "[Software\\KIV\\Settings]\n(Default)=default value\nTop=120\nMaximized=1\n");

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(u"Software\\KIV\\Settings"));
  EXPECT_EQ(reg.ReadString(u""), u"default value");
  EXPECT_EQ(reg.ReadInteger(u"top"), 120);
  EXPECT_TRUE(reg.ReadBool(u"Maximized"));
  EXPECT_EQ(reg.ReadString(u"Missing"), u"");
  try {
    reg.ReadInteger(u"Missing");
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Invalid data type for 'Missing'");
  }
  EXPECT_THROW(reg.WriteString(u"x", u"y"), ERegistryException);

  TRegistry writer;
  writer.OpenKey(u"\\Software\\KIV", false);
  EXPECT_TRUE(writer.KeyExists(u"Settings"));
  TStringList names;
  writer.GetKeyNames(&names);
  EXPECT_EQ(names.ToStringArray(), (std::vector<String>{u"Settings"}));
  writer.CloseKey();
  EXPECT_TRUE(writer.DeleteKey(u"Software"));
  EXPECT_FALSE(writer.KeyExists(u"Software\\KIV\\Settings"));
}

TEST_F(RegistryTest, RegIniFileUsesSubkeysAsSections) {
  {
    TRegIniFile ini(u"Software\\KIV\\Grid");
    ini.WriteString(u"Columns", u"Order", u"3,1,2");
    ini.WriteInteger(u"Columns", u"Count", 3);
  }
  TRegIniFile ini(u"Software\\KIV\\Grid");
  EXPECT_EQ(ini.ReadString(u"columns", u"order", u""), u"3,1,2");
  EXPECT_EQ(ini.ReadInteger(u"Columns", u"Count", 0), 3);
  EXPECT_EQ(ini.ReadString(u"Nowhere", u"x", u"d"), u"d");
  EXPECT_EQ(ini.GetCurrentPath(), u"Software\\KIV\\Grid");
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.ToStringArray(), (std::vector<String>{u"Columns"}));
}

using SpecialFoldersTest = ConfigHome;

TEST_F(SpecialFoldersTest, AppDataIsUnderTheConfigFolderAndMadeOnDemand) {
  String appData = GetSpecialFolderPath(CSIDL_APPDATA);
  EXPECT_EQ(appData, Utf8ToString(dir_) + u"/kiv-erp");
  EXPECT_TRUE(DirectoryExists(appData));
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_APPDATA, false),
            Utf8ToString(std::getenv("HOME")) + u"/.config/kiv-erp");
  setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
}

TEST_F(SpecialFoldersTest, FindFirstMatchesMasksWithoutCase) {
  for (const char* name : {"Lang.RUS.dfm", "lang.enu.DFM", "readme.txt", ".hidden.dfm"})
    std::ofstream(dir_ + "/" + name) << "x";
  ASSERT_EQ(mkdir((dir_ + "/sub.dfm").c_str(), 0755), 0);
  auto find = [&](const char* mask, int attr) {
    std::vector<String> names;
    TSearchRec rec;
    for (int r = FindFirst(Utf8ToString(dir_ + "/" + mask), attr, rec); r == 0; r = FindNext(rec))
      names.push_back(rec.Name);
    FindClose(rec);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(find("lang.???.dfm", faAnyFile & ~faDirectory & ~faHidden),
            (std::vector<String>{u"Lang.RUS.dfm", u"lang.enu.DFM"}));
  EXPECT_EQ(find("*.dfm", 0), (std::vector<String>{u"Lang.RUS.dfm", u"lang.enu.DFM"}));
  EXPECT_EQ(find("*.dfm", faDirectory | faHidden),
            (std::vector<String>{u".hidden.dfm", u"Lang.RUS.dfm", u"lang.enu.DFM", u"sub.dfm"}));
  EXPECT_EQ(find("*.xls", faAnyFile), std::vector<String>{});
  TSearchRec rec;
  EXPECT_NE(FindFirst(u"/nonexistent-kiv/*.*", faAnyFile, rec), 0);
  EXPECT_TRUE(MatchesMask(u"Отчёт.XLS", u"отчёт.*"));
  EXPECT_FALSE(MatchesMask(u"a.txt", u"?.txtx"));
}

TEST(SystemTest, CommandLineTempFilesAndGuids) {
  char a0[] = "/opt/kiv/kiv-erp", a1[] = "-debug", a2[] = "база";
  char* argv[] = {a0, a1, a2};
  SetCommandLine(3, argv);
  EXPECT_EQ(ParamCount(), 2);
  EXPECT_EQ(ParamStr(2), u"база");
  EXPECT_EQ(ParamStr(3), u"");
  EXPECT_FALSE(ParamStr(0).empty());

  String t1 = GetTempFileName(GetTempPath(), u"kiv");
  String t2 = GetTempFileName(GetTempPath(), u"kiv");
  EXPECT_NE(t1, t2);
  EXPECT_TRUE(FileExists(t1));
  EXPECT_TRUE(EndsStr(u".tmp", t1));
  DeleteFile(t1);
  DeleteFile(t2);

  TGUID g1, g2;
  CreateGUID(g1);
  CreateGUID(g2);
  String s = GUIDToString(g1);
  EXPECT_EQ(s.size(), 38u);
  EXPECT_EQ(s[0], u'{');
  EXPECT_EQ(s[15], u'4');
  EXPECT_FALSE(IsEqualGUID(g1, g2));
  EXPECT_TRUE(StringToGUID(s) == g1);
  EXPECT_TRUE(StringToGUID(u"{00000000-0000-0000-C000-000000000046}").D4[0] == 0xC0);
  EXPECT_THROW(StringToGUID(u"{0000-bad}"), EConvertError);
}
}  // namespace
