// Login: the target from the command line, the connection string with quoted values, the rights by
// login, the master access code from its configuration file, the whole "Вход" against the database
// and a refused connection.
#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit45.h"
#include "app/Unit6.h"
#include "platform/ado/AdoSql.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/Utf.h"
#include "platform/rtl/Variant.h"
#include "platform/testing/TestSupport.h"
#include "tests/app/AppFixture.h"

namespace {

TEST(LoginTargetTest, CommandLineChoosesServerAndDatabaseOrDataSource) {
  struct Case {
    std::vector<std::string> args;
    const char16_t* caption;
    const char16_t* connectionStart;
  };
  const Case cases[] = {
      {{},
       u"KIV.ERP (Data Source: kiv_erp_dev)",
       u"Provider=MSDASQL.1;Password=pw;Persist Security Info=True;User ID=ivanov;Data Source=kiv_erp_dev"},
      {{"plant"},
       u"KIV.ERP (Data Source: plant)",
       u"Provider=MSDASQL.1;Password=pw;Persist Security Info=True;User ID=ivanov;Data Source=plant"},
      {{"db1", "erp"},
       u"KIV.ERP (сервер: db1, БД: erp)",
       u"DRIVER={PostgreSQL "
       u"UNICODE};DATABASE=erp;SERVER=db1;PORT=5432;UID=ivanov;PWD=pw;SSLmode=prefer;ReadOnly=0;"},
      {{"db1", "erp", "extra"},
       u"KIV.ERP (сервер: db1, БД: erp)",
       u"DRIVER={PostgreSQL UNICODE};DATABASE=erp;"},
      // Two arguments, one empty: through a data source, which is then empty.
      {{"db1", ""},
       u"KIV.ERP (Data Source: )",
       u"Provider=MSDASQL.1;Password=pw;Persist Security Info=True;User ID=ivanov;Data Source="},
  };
  for (const Case& c : cases) {
    SetArguments(c.args);
    const TLoginTarget target = LoginTargetFromCommandLine();
    EXPECT_EQ(LoginCaption(target), c.caption);
    const String cs = LoginConnectionString(target, u"ivanov", u"pw");
    EXPECT_EQ(cs.substr(0, String(c.connectionStart).size()), c.connectionStart) << StringToUtf8(cs);
  }
  SetArguments({"db1", "erp"});
  EXPECT_EQ(
      LoginConnectionString(LoginTargetFromCommandLine(), u"a", u"b"),
      u"DRIVER={PostgreSQL UNICODE};DATABASE=erp;SERVER=db1;PORT=5432;UID=a;PWD=b;SSLmode=prefer;"
      u"ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;"
      u"UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;Debug=0;CommLog=0;UseDeclareFetch=0;"
      u"TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;"
      u"LFConversion=1;UpdatableCursors=1;TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;"
      u"LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1");
}

TEST(LoginTargetTest, ASemicolonInLoginOrPasswordCannotAddAKey) {
  for (const auto& args : {std::vector<std::string>{"db1", "erp"}, std::vector<std::string>{"plant"}}) {
    SetArguments(args);
    const String login = u"sys;DATABASE=postgres";
    const String password = u"x};UID=sys;PWD={y";
    const String cs = LoginConnectionString(LoginTargetFromCommandLine(), login, password);
    const TConnectionPairs pairs = ParseConnectionString(OdbcConnectionString(cs));
    EXPECT_EQ(ConnectionValue(pairs, u"UID"), login) << StringToUtf8(cs);
    EXPECT_EQ(ConnectionValue(pairs, u"PWD"), password) << StringToUtf8(cs);
    int uids = 0;
    for (const auto& [key, value] : pairs) uids += key == u"UID" || key == u"DATABASE" ? 1 : 0;
    EXPECT_EQ(uids, args.size() == 2 ? 2 : 1) << StringToUtf8(cs);
  }
}

TEST(LoginRightsTest, RightsFollowTheExactLoginName) {
  struct Case {
    const char16_t* login;
    TLoginRights rights;
  };
  // EnterShifts, AcceptShifts, ShiftControls, ReferenceMenus, Reports
  const Case cases[] = {
      {u"vesnovskaya", {false, true, true, false, false}},
      {u"zubkova", {false, true, true, false, false}},
      {u"sevastova", {false, true, true, false, false}},
      {u"sys", {true, true, true, true, true}},
      {u"milena", {true, true, true, true, true}},
      {u"econom", {false, false, false, false, true}},
      {u"Econom", {true, false, true, true, true}},
      {u"petrov", {true, false, true, true, true}},
      {u"", {true, false, true, true, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(RightsForLogin(c.login), c.rights) << StringToUtf8(c.login);
}

class LoginTest : public AppTest {
 protected:
  // Types login and password and presses "Вход"; answers whether the main window was shown modally.
  bool LogIn(const String& login, const String& password) {
    Form23->Edit1->SetText(login);
    Form23->Edit2->SetText(password);
    return WhileModal(Form1, [] { Form23->Button1->Click(); });
  }
  void ComboPick(const String& style) {
    Form23->ComboBox1->SetItemIndex(Form23->ComboBox1->GetItems()->IndexOf(style));
    Form23->ComboBox1->OnChange(Form23->ComboBox1);
  }
  std::string CurrentUser() {
    std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
    q->SetConnection(DataModule6->ADO_DB);
    q->GetSQL()->Add(u"select current_user || ' ' || current_database()");
    q->Open();
    return StringToUtf8(q->GetFields()->GetField(0)->GetAsString());
  }
};

TEST_F(LoginTest, EachFixedLoginConnectsAndGetsItsMenus) {
  struct Case {
    const char* typed;
    const char* login;
    bool reference, reports;
  };
  const Case cases[] = {
      {"sys", "sys", true, true},           {"  econom  ", "econom", false, true},
      {"milena", "milena", true, true},     {"vesnovskaya", "vesnovskaya", false, false},
      {"zubkova", "zubkova", false, false}, {"sevastova", "sevastova", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ResetApplicationForTests();
    CreateForms();
    TDialogRecorder boxes;
    ASSERT_TRUE(LogIn(Utf8ToString(c.typed), u" " + DemoPassword(c.login) + u" "));
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Form45->Login, Utf8ToString(c.login));
    EXPECT_EQ(Form45->CurrentShift, 1);
    EXPECT_EQ(CurrentUser(), std::string(c.login) + " " + database_);
    EXPECT_EQ(std::to_string(Form45->UserId),
              Scalar("select id from adm_user.users where s_name = '" + std::string(c.login) + "'"));
    EXPECT_EQ(std::to_string(Form45->PersonId), Scalar("select coalesce(id_person, 0) from adm_user.users "
                                                       "where s_name = '" +
                                                       std::string(c.login) + "'"));
    EXPECT_EQ(Form1->GetCaption(), u"KIV.ERP (сервер: localhost, БД: " + Utf8ToString(database_) + u")");
    EXPECT_EQ(Form1->MenuItem(u"N2")->GetEnabled(), c.reference);
    EXPECT_EQ(Form1->MenuItem(u"N11")->GetEnabled(), c.reference);
    EXPECT_EQ(Form1->MenuItem(u"N7")->GetEnabled(), c.reports);
    EXPECT_TRUE(Form1->MenuItem(u"N28")->GetEnabled());
    EXPECT_EQ(VarToStr(DataModule6->Smena1->GetParameters()->ParamByName(u"OK")->GetValue()), u"ta");
    EXPECT_EQ(VarToStr(DataModule6->Smena4->GetParameters()->ParamByName(u"ok")->GetValue()), u"ta");
    // Closing the main window closed the login form, the application's main form.
    EXPECT_EQ(Application->GetMainForm(), Form23);
    EXPECT_FALSE(Form23->GetVisible());
    DestroyForms();
  }
}

// The first line of a box's text, and whether the rest mentions part.
String FirstLine(const String& text) { return text.substr(0, text.find(u'\n')); }
bool ReasonMentions(const String& text, const char* part) {
  const size_t end = text.find(u'\n');
  return end != String::npos && StringToUtf8(text.substr(end)).find(part) != std::string::npos;
}

TEST_F(LoginTest, ARefusedConnectionShowsTheServerAndDatabaseAndEnds) {
  SetArguments({"db1", "erp"});
  CreateForms();
  Form23->OnActivate(Form23);
  EXPECT_EQ(Form23->Label3->GetCaption(), u"Сервер: db1, БД: erp");
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  EXPECT_FALSE(LogIn(u"sys", DemoPassword("sys")));
  ASSERT_EQ(boxes.Count(), 1);
  EXPECT_EQ(FirstLine(boxes.Last().Text), u"Подключение к БД отсутсвует (сервер: db1, БД: erp)");
  // Under it the driver's reason: the server cannot be reached, which is no password matter.
  EXPECT_TRUE(ReasonMentions(boxes.Last().Text, "db1")) << StringToUtf8(boxes.Last().Text);
  EXPECT_FALSE(ReasonMentions(boxes.Last().Text, "password")) << StringToUtf8(boxes.Last().Text);
  EXPECT_EQ(boxes.Last().Caption, u"Ошибка");
  EXPECT_EQ(boxes.Last().Flags, MB_ICONSTOP);
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(LoginTest, AWrongPasswordIsRefusedByTheServerWhichSaysSo) {
  CreateForms();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  EXPECT_FALSE(LogIn(u"Econom", DemoPassword("econom")));
  ASSERT_EQ(boxes.Count(), 1);
  EXPECT_EQ(FirstLine(boxes.Last().Text),
            u"Подключение к БД отсутсвует (сервер: localhost, БД: " + Utf8ToString(database_) + u")");
  EXPECT_TRUE(ReasonMentions(boxes.Last().Text, "password authentication failed"))
      << StringToUtf8(boxes.Last().Text);
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(LoginTest, APasswordReachesTheServerAsTypedWhateverItsQuotes) {
  // A throwaway login per password, so the demo logins keep theirs.
  const std::string login = "kivt_quoted_" + std::to_string(getpid());
  const char* const passwords[] = {"\"secret\"", "'secret'", "\"unbalanced;UID=sys", "{brace}", "a;b=c"};
  for (const char* password : passwords) {
    SCOPED_TRACE(password);
    std::string literal;
    for (const char* c = password; *c; ++c) literal += *c == '\'' ? std::string("''") : std::string(1, *c);
    SqlIn(database_, "drop role if exists " + login + "; create role " + login + " login password '" +
                         literal + "' in role kiv_read");
    for (const auto& args : {std::vector<std::string>{"localhost", database_}, std::vector<std::string>{}}) {
      SetArguments(args);
      ResetApplicationForTests();
      CreateForms();
      TDialogRecorder boxes;
      EXPECT_TRUE(LogIn(Utf8ToString(login), Utf8ToString(password)));
      EXPECT_EQ(boxes.Count(), 0);
      EXPECT_EQ(CurrentUser().substr(0, login.size()), login);
      DestroyForms();
    }
  }
  SqlIn(database_, "drop role " + login);
}

TEST_F(LoginTest, ThePasswordBoxStartsEmptyAndTheMasterCodeNeedsItsConfiguration) {
  CreateForms();
  EXPECT_EQ(Form23->Edit2->GetText(), u"");
  EXPECT_EQ(Form23->Edit2->GetPasswordChar(), u'*');
  {
    // Without master.ini "5283" is an ordinary (wrong) password.
    TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
    EXPECT_FALSE(LogIn(u"", u"5283"));
    EXPECT_EQ(boxes.Count(), 1);
  }
  DestroyForms();
  ResetApplicationForTests();
  Shell("mkdir -p " + config_.Path() + "/kiv-erp");
  const std::string master = config_.Path() + "/kiv-erp/master.ini";
  WriteBytes(master, "[master]\ncode=4711\nlogin=sys\npassword=" + StringToUtf8(DemoPassword("sys")) + "\n");
  Shell("chmod 600 " + master);
  CreateForms();
  {
    TDialogRecorder boxes;
    EXPECT_TRUE(LogIn(u"", u" 4711 "));
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Form45->Login, u"sys");
    EXPECT_EQ(CurrentUser(), "sys " + database_);
  }
  // A file others may read or write holds a password in the open: it is not used, and a box says why.
  for (const char* mode : {"644", "660", "602"}) {
    SCOPED_TRACE(mode);
    Shell(std::string("chmod ") + mode + " " + master);
    DestroyForms();
    ResetApplicationForTests();
    CreateForms();
    TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
    EXPECT_FALSE(LogIn(u"", u"4711"));
    ASSERT_EQ(boxes.Count(), 2);
    const std::string why = StringToUtf8(boxes.Requests()[0].Text);
    EXPECT_NE(why.find(master), std::string::npos) << why;
    EXPECT_NE(why.find(std::string("0") + mode), std::string::npos) << why;
    EXPECT_NE(why.find("chmod 600"), std::string::npos) << why;
    EXPECT_EQ(boxes.Requests()[0].Flags, MB_ICONWARNING);
  }
}

TEST_F(LoginTest, OneArgumentNamesTheDataSource) {
  SetArguments({"kiv_erp_dev"});
  CreateForms();
  TDialogRecorder boxes;
  ASSERT_TRUE(LogIn(u"milena", DemoPassword("milena")));
  EXPECT_EQ(Form1->GetCaption(), u"KIV.ERP (Data Source: kiv_erp_dev)");
  Form23->OnActivate(Form23);
  EXPECT_EQ(Form23->Label3->GetCaption(), u"");
  EXPECT_EQ(CurrentUser(), "milena " + DataSourceDatabase());
}

TEST_F(LoginTest, CancelClosesTheLoginFormAndSoTheProgram) {
  CreateForms();
  EXPECT_EQ(Application->GetMainForm(), Form23);
  EXPECT_TRUE(Form23->GetVisible());
  EXPECT_FALSE(Form1->GetVisible());
  Form23->Button2->Click();
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(LoginTest, PickingAStyleAppliesItAndRewritesTheFile) {
  CreateForms();
  ComboPick(u"Onyx Blue");
  EXPECT_EQ(TStyleManager::GetActiveStyle()->GetName(), u"Onyx Blue");
  EXPECT_EQ(ReadBytes(config_.Path() + "/kiv-erp/t_style.txt"), "Onyx Blue\r\n");
  ComboPick(u"Windows");
  EXPECT_EQ(TStyleManager::GetActiveStyle()->GetName(), u"Windows");
  EXPECT_EQ(ReadBytes(config_.Path() + "/kiv-erp/t_style.txt"), "Windows\r\n");
  Form23->OnActivate(Form23);
  EXPECT_EQ(Form23->ComboBox1->GetText(), u"Windows");
}

}  // namespace
