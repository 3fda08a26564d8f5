// Test support for the ADO components: per-test databases and the login's connection string.
#include "tests/platform/ado/AdoFixture.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/SourceDir.h"

const Char* const kLoginOptions =
    u"ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;"
    u"UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
    u"Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
    u"ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
    u"TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;"
    u"OptionalErrors=0;XaOpt=1";

std::string Shell(const std::string& command) {
  std::array<char, 4096> buffer;
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
  const int status = pclose(pipe);
  if (status != 0) throw std::runtime_error(command + " failed:\n" + output);
  return output;
}

namespace {

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string DbScript(const std::string& name) { return std::string(KivSourceDir()) + "/db/" + name; }

}  // namespace

String DemoPassword(const String& login) {
  std::ifstream in(DbScript("demo-passwords"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name, password;
    if (words >> name >> password && name == StringToUtf8(login)) return Utf8ToString(password);
  }
  throw std::runtime_error("no demo password for " + StringToUtf8(login));
}

void SuperuserSql(const std::string& database, const std::string& sql) {
  Shell("bash -c " + Quote(". " + DbScript("lib.sh") + " && kiv_psql -d " + database + " -c " + Quote(sql)));
}

String LoginConnectionString(const String& database, const String& login, const String& password) {
  return u"DRIVER={PostgreSQL UNICODE};DATABASE=" + database + u";SERVER=localhost;PORT=5432;UID=" + login +
         u";PWD=" + password + u";SSLmode=prefer;" + kLoginOptions;
}

void AdoTest::SetUp() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("h8_") + info->name();
  for (char& c : name)
    c = (std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '_');
  name = name.substr(0, 40) + "_" + std::to_string(getpid());
  database_ = name;
  Shell(DbScript("test-database") + " " + database_);
  SuperuserSql(database_, "CREATE SCHEMA t AUTHORIZATION sys");
  owner_ = std::make_unique<TComponent>(nullptr);
  connection_ = new TADOConnection(owner_.get());
  connection_->SetLoginPrompt(false);
  connection_->SetConnectionString(
      LoginConnectionString(Utf8ToString(database_), u"sys", DemoPassword(u"sys")));
  connection_->Open();
}

void AdoTest::TearDown() {
  owner_.reset();
  connection_ = nullptr;
  if (!database_.empty()) {
    try {
      Shell(DbScript("drop-database") + " " + database_);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TADOQuery* AdoTest::Query(const String& sql) {
  auto* q = new TADOQuery(owner_.get());
  q->SetConnection(connection_);
  q->SQL()->SetText(sql);
  return q;
}

void AdoTest::Exec(const String& sql) { connection_->Execute(sql); }

String AdoTest::Scalar(const String& sql) {
  std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
  q->SetConnection(connection_);
  q->SQL()->SetText(sql);
  q->Open();
  return q->IsEmpty() ? String() : q->GetFields()->GetField(0)->GetAsString();
}
