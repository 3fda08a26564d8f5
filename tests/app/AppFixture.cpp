// Test support for the accounting core: databases, data source, configuration folder, forms.
#include "tests/app/AppFixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "erp/StartupForms.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/SourceDir.h"

namespace {

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string DbScript(const std::string& name) { return std::string(KivSourceDir()) + "/db/" + name; }

}  // namespace

std::string Shell(const std::string& command) {
  std::array<char, 4096> buffer;
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
  if (pclose(pipe) != 0) throw std::runtime_error(command + " failed:\n" + output);
  return output;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

TTempFolder::TTempFolder() {
  char pattern[] = "/tmp/kiv-app-XXXXXX";
  path_ = mkdtemp(pattern);
}

TTempFolder::~TTempFolder() { std::system(("rm -rf " + ShellQuote(path_)).c_str()); }

void SetArguments(const std::vector<std::string>& args) {
  static std::vector<std::string> storage;
  static std::vector<char*> argv;
  storage = args;
  storage.insert(storage.begin(), "kiv-erp");
  argv.clear();
  for (auto& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  SetCommandLine(static_cast<int>(storage.size()), argv.data());
}

TEnvironment::~TEnvironment() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->second)
      setenv(it->first.c_str(), it->second->c_str(), 1);
    else
      unsetenv(it->first.c_str());
  }
}

void TEnvironment::Set(const char* name, const std::string& value) {
  const char* old = getenv(name);
  saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  setenv(name, value.c_str(), 1);
}

String DemoPassword(const std::string& login) {
  std::ifstream in(DbScript("demo-passwords"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name, password;
    if (words >> name >> password && name == login) return Utf8ToString(password);
  }
  throw std::runtime_error("no demo password for " + login);
}

void AppTest::SetUp() {
  InitTestApplication();
  ResetApplicationForTests();
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("happ_") + info->name();
  for (char& c : name)
    c = std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '_';
  database_ = name.substr(0, 40) + "_" + std::to_string(getpid());
  Shell(DbScript("test-database") + " " + database_);
  env_.Set("XDG_CONFIG_HOME", config_.Path());
  env_.Set("HOME", config_.Path());
  // The connection before login finds ver as a new installation has it.
  SqlIn(DataSourceDatabase(), "update ver set d = 0, t = 0, delim = '.'");
  SetArguments({"localhost", database_});
  SetBuildStampTexts("Mar 25 2024", "15:14:39");
}

void AppTest::TearDown() {
  DestroyForms();
  SetBuildStampTexts(nullptr, nullptr);
  ResetApplicationForTests();
  try {
    Shell(DbScript("drop-database") + " " + database_);
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

void AppTest::CreateForms() {
  InitializeGridLibrary();
  CreateAccountingForms();
  ProcessPendingEvents();
}

void AppTest::DestroyForms() {
  // Forms first (they may refer to the data module), then the module.
  std::vector<TComponent*> forms, modules;
  for (int i = 0; i < Application->GetComponentCount(); ++i) {
    TComponent* c = Application->GetComponent(i);
    if (dynamic_cast<TCustomForm*>(c)) forms.push_back(c);
    if (dynamic_cast<TDataModule*>(c)) modules.push_back(c);
  }
  for (TComponent* c : forms) delete c;
  for (TComponent* c : modules) delete c;
  Form1 = nullptr;
  Form23 = nullptr;
  DataModule6 = nullptr;
  ProcessPendingEvents();
}

void SqlIn(const std::string& database, const std::string& sql) {
  Shell("bash -c " +
        ShellQuote(". " + DbScript("lib.sh") + " && kiv_psql -d " + database + " -c " + ShellQuote(sql)));
}

std::string ScalarIn(const std::string& database, const std::string& sql) {
  std::string out = Shell("bash -c " + ShellQuote(". " + DbScript("lib.sh") + " && kiv_psql -d " + database +
                                                  " -At -c " + ShellQuote(sql)));
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

namespace {

class TDataSourceDatabase : public ::testing::Environment {
 public:
  TDataSourceDatabase() : name_("happ_dsn_" + std::to_string(getpid())) {
    Shell(DbScript("test-database") + " " + name_);
    const std::string ini = folder_.File("odbc.ini");
    WriteBytes(ini, "[kiv_erp_dev]\nDriver=PostgreSQL Unicode\nServername=localhost\nPort=5432\nDatabase=" +
                        name_ + "\nUsername=econom\nPassword=" + StringToUtf8(DemoPassword("econom")) +
                        "\nBoolsAsChar=1\nTextAsLongVarchar=1\nUseServerSidePrepare=1\n");
    setenv("ODBCINI", ini.c_str(), 1);
  }
  void TearDown() override {
    try {
      Shell(DbScript("drop-database") + " " + name_);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
  }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  TTempFolder folder_;
};

}  // namespace

const std::string& DataSourceDatabase() {
  // gtest owns and tears down the environment when the program ends.
  static TDataSourceDatabase* database =
      static_cast<TDataSourceDatabase*>(::testing::AddGlobalTestEnvironment(new TDataSourceDatabase));
  return database->Name();
}

bool AppTest::WhileModal(TForm* form, const std::function<void()>& action) {
  bool seen = false;
  TTimer closer(nullptr);
  closer.SetInterval(5);
  closer.OnTimer = TNotifyEvent([&](TObject*) {
    if (form->IsModal()) {
      seen = true;
      form->Close();
    }
  });
  closer.SetEnabled(true);
  action();
  closer.SetEnabled(false);
  return seen;
}
