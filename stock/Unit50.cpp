// Form 50: its creation set-up.
#include "stock/Unit50.h"

#include "app/FormSetUp.h"

TForm50* Form50 = nullptr;

TForm50::TForm50(TComponent* owner) : TForm(owner) {}

void TForm50::Published(TPropBuilder<TForm50>& p) { p.Method(u"FormCreate", &TForm50::FormCreate); }

void TForm50::FormCreate(TObject*) { AccountingFormSetUp(this, 50); }
