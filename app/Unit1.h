// The main window: the menu of the whole client, the build-stamp check every 30 seconds and the
// database clean-up.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TTimer;
class TMainMenu;
class TMenuItem;

class TForm1 : public TForm {
  KIV_CLASS(TForm1, TForm)
 public:
  explicit TForm1(TComponent* owner);
  static void Published(TPropBuilder<TForm1>& p);

  TButton* Button1 = nullptr;
  TTimer* Timer1 = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  // The menu items by the names the login and the tests use (N2 "Справочники" ... N34 "Отгрузки").
  TMenuItem* MenuItem(const String& name) const;

  // The build's stamp: compile date as yyyymmdd and time as seconds since midnight.
  int BuildDate = 0;
  int BuildTime = 0;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void Button1Click(TObject* Sender);
  void N5Click(TObject* Sender);
  void N19Click(TObject* Sender);
  void N1Click(TObject* Sender);
  void N8Click(TObject* Sender);
  void N21Click(TObject* Sender);
  void N24Click(TObject* Sender);
  void N9Click(TObject* Sender);
  void N3Click(TObject* Sender);
  void N6Click(TObject* Sender);
  void N4Click(TObject* Sender);
  void N20Click(TObject* Sender);
  void N30Click(TObject* Sender);
  void N31Click(TObject* Sender);
  void N15Click(TObject* Sender);
  void N14Click(TObject* Sender);
  void N33Click(TObject* Sender);
  void N25Click(TObject* Sender);
  void N26Click(TObject* Sender);
  void N18Click(TObject* Sender);
  void N17Click(TObject* Sender);
  void N32Click(TObject* Sender);
  void N34Click(TObject* Sender);
  void N28Click(TObject* Sender);
};

extern TForm1* Form1;

// The compiler's texts "Mmm dd yyyy" and "hh:mm:ss" as the stamp's numbers.
int BuildDateFromText(const char* dateText);
int BuildTimeFromText(const char* timeText);
// The texts the check reads; tests put other builds' texts here (null restores the compiler's).
void SetBuildStampTexts(const char* dateText, const char* timeText);

// Compares the build's stamp with table ver: a newer build writes its stamp, an older one is told to
// start again later and the program ends (5.5 s later at the latest). Also reads the decimal delimiter.
void BuildStampCheck();
