// The creation of the accounting forms at start-up, in their fixed order: the main window first (it
// makes the data module and the login form), then the 70 screens, each hidden. It lives with the program
// because it names the forms of every subsystem.
#include "erp/StartupForms.h"

#include "app/Unit1.h"
#include "app/Unit10.h"
#include "app/Unit14.h"
#include "app/Unit2.h"
#include "app/Unit26.h"
#include "app/Unit27.h"
#include "app/Unit28.h"
#include "app/Unit29.h"
#include "app/Unit3.h"
#include "app/Unit30.h"
#include "app/Unit303.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit33.h"
#include "app/Unit34.h"
#include "app/Unit35.h"
#include "app/Unit4.h"
#include "app/Unit45.h"
#include "app/Unit5.h"
#include "app/Unit58.h"
#include "app/Unit7.h"
#include "app/Unit8.h"
#include "app/Unit9.h"
#include "production/Unit11.h"
#include "production/Unit19.h"
#include "production/Unit22.h"
#include "production/Unit24.h"
#include "production/Unit46.h"
#include "production/Unit48.h"
#include "production/Unit55.h"
#include "production/Unit76.h"
#include "production/Unit77.h"
#include "production/Unit78.h"
#include "production/Unit79.h"
#include "production/Unit80.h"
#include "stock/Unit12.h"
#include "stock/Unit13.h"
#include "stock/Unit18.h"
#include "stock/Unit36.h"
#include "stock/Unit37.h"
#include "stock/Unit38.h"
#include "stock/Unit39.h"
#include "stock/Unit40.h"
#include "stock/Unit41.h"
#include "stock/Unit42.h"
#include "stock/Unit43.h"
#include "stock/Unit44.h"
#include "stock/Unit47.h"
#include "stock/Unit50.h"
#include "stock/Unit51.h"
#include "stock/Unit52.h"
#include "stock/Unit53.h"
#include "stock/Unit54.h"
#include "stock/Unit56.h"
#include "stock/Unit57.h"
#include "stock/Unit59.h"
#include "stock/Unit60.h"
#include "stock/Unit61.h"
#include "stock/Unit62.h"
#include "stock/Unit63.h"
#include "stock/Unit65.h"
#include "stock/Unit66.h"
#include "stock/Unit67.h"
#include "stock/Unit68.h"
#include "stock/Unit69.h"
#include "stock/Unit70.h"
#include "stock/Unit71.h"
#include "stock/Unit72.h"
#include "stock/Unit73.h"
#include "stock/Unit74.h"
#include "stock/Unit75.h"

void CreateAccountingForms() {
  Application->CreateForm(Form1);
  Application->CreateForm(Form2);
  Application->CreateForm(Form3);
  Application->CreateForm(Form4);
  Application->CreateForm(Form5);
  Application->CreateForm(Form7);
  Application->CreateForm(Form8);
  Application->CreateForm(Form9);
  Application->CreateForm(Form10);
  Application->CreateForm(Form11);
  Application->CreateForm(Form12);
  Application->CreateForm(Form13);
  Application->CreateForm(Form18);
  Application->CreateForm(Form19);
  Application->CreateForm(Form22);
  Application->CreateForm(Form14);
  Application->CreateForm(Form24);
  Application->CreateForm(Form26);
  Application->CreateForm(Form27);
  Application->CreateForm(Form28);
  Application->CreateForm(Form29);
  Application->CreateForm(Form30);
  Application->CreateForm(Form31);
  Application->CreateForm(Form32);
  Application->CreateForm(Form33);
  Application->CreateForm(Form34);
  Application->CreateForm(Form35);
  Application->CreateForm(Form36);
  Application->CreateForm(Form37);
  Application->CreateForm(Form38);
  Application->CreateForm(Form39);
  Application->CreateForm(Form40);
  Application->CreateForm(Form41);
  Application->CreateForm(Form42);
  Application->CreateForm(Form43);
  Application->CreateForm(Form44);
  Application->CreateForm(Form45);
  Application->CreateForm(Form46);
  Application->CreateForm(Form47);
  Application->CreateForm(Form48);
  Application->CreateForm(Form50);
  Application->CreateForm(Form51);
  Application->CreateForm(Form303);
  Application->CreateForm(Form52);
  Application->CreateForm(Form53);
  Application->CreateForm(Form54);
  Application->CreateForm(Form55);
  Application->CreateForm(Form56);
  Application->CreateForm(Form57);
  Application->CreateForm(Form58);
  Application->CreateForm(Form59);
  Application->CreateForm(Form60);
  Application->CreateForm(Form61);
  Application->CreateForm(Form62);
  Application->CreateForm(Form63);
  Application->CreateForm(Form65);
  Application->CreateForm(Form66);
  Application->CreateForm(Form67);
  Application->CreateForm(Form68);
  Application->CreateForm(Form69);
  Application->CreateForm(Form70);
  Application->CreateForm(Form71);
  Application->CreateForm(Form72);
  Application->CreateForm(Form73);
  Application->CreateForm(Form74);
  Application->CreateForm(Form75);
  Application->CreateForm(Form76);
  Application->CreateForm(Form77);
  Application->CreateForm(Form78);
  Application->CreateForm(Form79);
  Application->CreateForm(Form80);
}
