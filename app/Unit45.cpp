// The shift journal's form and the login state it keeps.
#include "app/Unit45.h"

#include "app/FormSetUp.h"

TForm45* Form45 = nullptr;

TForm45::TForm45(TComponent* owner) : TForm(owner) {}

void TForm45::Published(TPropBuilder<TForm45>& p) { p.Method(u"FormCreate", &TForm45::FormCreate); }

void TForm45::FormCreate(TObject*) { AccountingFormSetUp(this, 45); }
