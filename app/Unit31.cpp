// Form 31: its creation set-up.
#include "app/Unit31.h"

#include "app/FormSetUp.h"

TForm31* Form31 = nullptr;

TForm31::TForm31(TComponent* owner) : TForm(owner) {}

void TForm31::Published(TPropBuilder<TForm31>& p) { p.Method(u"FormCreate", &TForm31::FormCreate); }

void TForm31::FormCreate(TObject*) { AccountingFormSetUp(this, 31); }
