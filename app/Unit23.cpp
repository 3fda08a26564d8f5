// Login form: checks the build stamp, connects with the user's login and sets the rights.
#include "app/Unit23.h"

#include <sys/stat.h>

#include <cstdio>

#include "app/ListScreen.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "app/Unit45.h"
#include "app/Unit6.h"
#include "platform/ado/AdoSql.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

TForm23* Form23 = nullptr;

namespace {

const Char* const kDefaultDataSource = u"kiv_erp_dev";
const Char* const kDriverOptions =
    u"ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;"
    u"UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
    u"Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
    u"ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
    u"TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;"
    u"OptionalErrors=0;XaOpt=1";

const bool kUnit23ClassesRegistered = [] {
  RegisterClasses({TComboBox::StaticClass()});
  return true;
}();

void ApplyRights(const TLoginRights& rights) {
  for (const Char* name : {u"Button1", u"Button2", u"Button3"})
    SetEnabledByName(Form45, name, rights.EnterShifts);
  SetEnabledByName(Form45, u"Button5", rights.AcceptShifts);
  if (!rights.ShiftControls) {
    for (const Char* name : {u"RadioButton1", u"RadioButton2", u"RadioButton3", u"RadioButton4", u"CBox1",
                             u"Button8", u"DBGrid2", u"DateT"})
      SetEnabledByName(Form45, name, false);
  }
  Form1->MenuItem(u"N2")->SetEnabled(rights.ReferenceMenus);
  Form1->MenuItem(u"N11")->SetEnabled(rights.ReferenceMenus);
  Form1->MenuItem(u"N7")->SetEnabled(rights.Reports);
}

int IntegerOf(TDataSet* dataSet, const Char* field) {
  if (dataSet->IsEmpty()) return 0;
  TField* f = dataSet->FieldByName(field);
  return f->GetIsNull() ? 0 : f->GetAsInteger();
}

}  // namespace

TLoginTarget LoginTargetFromCommandLine() {
  TLoginTarget target;
  if (ParamCount() >= 2) {
    target.Server = ParamStr(1);
    target.Database = ParamStr(2);
  } else if (ParamCount() == 1) {
    target.DataSource = ParamStr(1);
  } else {
    target.DataSource = kDefaultDataSource;
  }
  return target;
}

String LoginConnectionString(const TLoginTarget& target, const String& login, const String& password) {
  if (target.WithoutDataSource())
    return u"DRIVER={PostgreSQL UNICODE};DATABASE=" + QuoteConnectionValue(target.Database) + u";SERVER=" +
           QuoteConnectionValue(target.Server) + u";PORT=5432;UID=" + QuoteConnectionValue(login) + u";PWD=" +
           QuoteConnectionValue(password) + u";SSLmode=prefer;" + kDriverOptions;
  return u"Provider=MSDASQL.1;Password=" + QuoteConnectionValue(password) +
         u";Persist Security Info=True;User ID=" + QuoteConnectionValue(login) + u";Data Source=" +
         QuoteConnectionValue(target.DataSource);
}

String LoginCaption(const TLoginTarget& target) {
  if (target.WithoutDataSource())
    return u"KIV.ERP (сервер: " + target.Server + u", БД: " + target.Database + u")";
  return u"KIV.ERP (Data Source: " + target.DataSource + u")";
}

String ConnectionFailedText(const TLoginTarget& target, const String& reason) {
  const String text =
      target.WithoutDataSource()
          ? u"Подключение к БД отсутсвует (сервер: " + target.Server + u", БД: " + target.Database + u")"
          : u"Подключение к БД отсутсвует (Data Source: " + target.DataSource + u")";
  const String trimmed = Trim(reason);
  return trimmed.empty() ? text : text + u"\n\n" + trimmed;
}

TLoginRights RightsForLogin(const String& login) {
  TLoginRights rights;
  if (login == u"vesnovskaya" || login == u"zubkova" || login == u"sevastova") {
    rights.EnterShifts = false;
    rights.AcceptShifts = true;
    rights.ReferenceMenus = false;
    rights.Reports = false;
  } else if (login == u"sys" || login == u"milena") {
    rights.AcceptShifts = true;
  } else if (login == u"econom") {
    rights.EnterShifts = false;
    rights.ShiftControls = false;
    rights.ReferenceMenus = false;
  }
  return rights;
}

TMasterAccess ReadMasterAccess() {
  const String path = GetSpecialFolderPath(CSIDL_APPDATA, false) + u"/master.ini";
  if (!FileExists(path)) return {};
  TMasterAccess access;
  struct stat info {};
  if (stat(StringToUtf8(path).c_str(), &info) == 0 && (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    access.Refused = u"Файл " + path + u" доступен другим пользователям (права " + Utf8ToString(mode) +
                     u"), а в нём пароль БД: код мастер-доступа не используется. Оставьте доступ только "
                     u"себе: chmod 600 " +
                     path;
    return access;
  }
  TMemIniFile ini(path);
  access.Code = Trim(ini.ReadString(u"master", u"code", u""));
  access.Login = Trim(ini.ReadString(u"master", u"login", u""));
  access.Password = ini.ReadString(u"master", u"password", u"");
  return access;
}

TForm23::TForm23(TComponent* owner) : TForm(owner) {}

void TForm23::Published(TPropBuilder<TForm23>& p) {
  p.Method(u"FormCreate", &TForm23::FormCreate);
  p.Method(u"FormActivate", &TForm23::FormActivate);
  p.Method(u"Button1Click", &TForm23::Button1Click);
  p.Method(u"Button2Click", &TForm23::Button2Click);
  p.Method(u"Timer1Timer", &TForm23::Timer1Timer);
  p.Method(u"ComboBox1Change", &TForm23::ComboBox1Change);
}

void TForm23::FormCreate(TObject*) {
  BindComponent(this, u"Label1", Label1);
  BindComponent(this, u"Label2", Label2);
  BindComponent(this, u"Label3", Label3);
  BindComponent(this, u"Label4", Label4);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"ComboBox1", ComboBox1);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Timer1", Timer1);
  GetIcon()->LoadFromResourceName(0, u"Icon_1");
  SetBorderStyle(bsSingle);
  SetBorderIcons({biSystemMenu});
  for (const String& name : TStyleManager::GetStyleNames()) ComboBox1->GetItems()->Add(name);
}

void TForm23::FormActivate(TObject*) {
  BuildStampCheck();
  SetCaption(u"Авторизация (build: " + IntToStr(Form1->BuildDate) + u"." + IntToStr(Form1->BuildTime) + u")");
  if (!ParamStr(1).empty() && !ParamStr(2).empty())
    Label3->SetCaption(u"Сервер: " + ParamStr(1) + u", БД: " + ParamStr(2));
  const TStyleDescriptor* active = TStyleManager::GetActiveStyle();
  ComboBox1->SetItemIndex(active ? ComboBox1->GetItems()->IndexOf(active->GetName()) : -1);
}

void TForm23::Button1Click(TObject*) {
  Form45->CurrentShift = 1;
  String login = Trim(Edit1->GetText());
  String password = Trim(Edit2->GetText());
  const TMasterAccess master = ReadMasterAccess();
  if (!master.Refused.empty()) Application->MessageBox(master.Refused, u"Предупреждение", MB_ICONWARNING);
  if (master.Enabled() && password == master.Code) {
    login = master.Login;
    password = master.Password;
  }
  Form45->Login = login;
  Form45->Password = password;

  Form45->UserId = 0;
  Form45->PersonId = 0;
  // No user has an empty name; the driver refuses an empty text parameter, so it is not asked.
  if (!login.empty()) {
    TADOQuery* user = DataModule6->user;
    user->Close();
    user->GetParameters()->ParamByName(u"s_name")->SetValue(login);
    user->Open();
    Form45->UserId = IntegerOf(user, u"id");
    Form45->PersonId = IntegerOf(user, u"id_person");
    user->Close();
  }

  const TLoginTarget target = LoginTargetFromCommandLine();
  try {
    DataModule6->ADO_DB->SetConnected(false);
    Form1->SetCaption(LoginCaption(target));
    DataModule6->ADO_DB->SetConnectionString(LoginConnectionString(target, login, password));
    DataModule6->ADO_DB->SetConnected(true);
  } catch (const Exception& e) {
    // Every failure of the connection ends the program; the box keeps the server's reason.
    Application->MessageBox(ConnectionFailedText(target, e.Message()), u"Ошибка", MB_ICONSTOP);
    Application->Terminate();
    return;
  }

  ApplyRights(RightsForLogin(login));
  for (TADOQuery* shift :
       {DataModule6->Smena1, DataModule6->Smena2, DataModule6->Smena3, DataModule6->Smena4})
    shift->GetParameters()->ParamByName(u"OK")->SetValue(String(u"ta"));

  SetVisible(false);
  Form1->ShowModal();
  Close();
}

void TForm23::Button2Click(TObject*) { Close(); }

void TForm23::Timer1Timer(TObject*) { Application->Terminate(); }

void TForm23::ComboBox1Change(TObject*) {
  const String name = ComboBox1->GetText();
  TStyleManager::TrySetStyle(name, true);
  WriteStyleFile(name);
}
