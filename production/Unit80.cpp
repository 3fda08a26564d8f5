// Form 80: its creation set-up.
#include "production/Unit80.h"

#include "app/FormSetUp.h"

TForm80* Form80 = nullptr;

TForm80::TForm80(TComponent* owner) : TForm(owner) {}

void TForm80::Published(TPropBuilder<TForm80>& p) { p.Method(u"FormCreate", &TForm80::FormCreate); }

void TForm80::FormCreate(TObject*) { AccountingFormSetUp(this, 80); }
