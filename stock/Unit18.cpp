// Form 18: its creation set-up.
#include "stock/Unit18.h"

#include "app/FormSetUp.h"

TForm18* Form18 = nullptr;

TForm18::TForm18(TComponent* owner) : TForm(owner) {}

void TForm18::Published(TPropBuilder<TForm18>& p) { p.Method(u"FormCreate", &TForm18::FormCreate); }

void TForm18::FormCreate(TObject*) { AccountingFormSetUp(this, 18); }
