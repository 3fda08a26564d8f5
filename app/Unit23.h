// Login form: checks the build stamp, connects with the user's login and sets the rights; also the
// style chooser.
#pragma once

#include "platform/controls/Forms.h"

class TLabel;
class TEdit;
class TButton;
class TTimer;
class TComboBox;

class TForm23 : public TForm {
  KIV_CLASS(TForm23, TForm)
 public:
  explicit TForm23(TComponent* owner);
  static void Published(TPropBuilder<TForm23>& p);

  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TTimer* Timer1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
};

extern TForm23* Form23;

// Where the login connects, from the command line: two or more arguments name a server and a
// database, one a data source, none the data source "kiv_erp_dev".
struct TLoginTarget {
  String Server;
  String Database;
  String DataSource;
  bool WithoutDataSource() const { return !Server.empty() && !Database.empty(); }
};
TLoginTarget LoginTargetFromCommandLine();
// The connection string of the login; every value the user or the command line supplies is quoted
// as the connection-string rules allow, so a ";" in it cannot add a key.
String LoginConnectionString(const TLoginTarget& target, const String& login, const String& password);
// "KIV.ERP (сервер: s, БД: d)" or "KIV.ERP (Data Source: n)".
String LoginCaption(const TLoginTarget& target);
// "Подключение к БД отсутсвует (...)" for a connection that failed; with the server's or the driver's
// reason on the lines below it, so a user can tell a wrong password from a server out of reach.
String ConnectionFailedText(const TLoginTarget& target, const String& reason = String());

// What a login may do, by its exact name.
struct TLoginRights {
  bool EnterShifts = true;     // the shift journal's "Добавить", "Изменить", "Удалить"
  bool AcceptShifts = false;   // "Принять"
  bool ShiftControls = true;   // the journal's shift and date controls, "Обновить", the grid
  bool ReferenceMenus = true;  // "Справочники", "Табель по времени"
  bool Reports = true;         // "Отчеты"
  friend bool operator==(const TLoginRights&, const TLoginRights&) = default;
};
TLoginRights RightsForLogin(const String& login);

// The master access code: a password equal to Code logs in as Login with Password. Read from
// master.ini in the roaming application-data folder ($XDG_CONFIG_HOME/kiv-erp/master.ini, section
// [master], keys code, login, password); without the file or with an empty code the feature is off.
// The file holds a database password: one that others may read or write is not used, and Refused
// says why.
struct TMasterAccess {
  String Code;
  String Login;
  String Password;
  String Refused;
  bool Enabled() const { return !Code.empty() && !Login.empty(); }
};
TMasterAccess ReadMasterAccess();
