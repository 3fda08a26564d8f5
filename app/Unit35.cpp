// Form 35: its creation set-up.
#include "app/Unit35.h"

#include "app/FormSetUp.h"

TForm35* Form35 = nullptr;

TForm35::TForm35(TComponent* owner) : TForm(owner) {}

void TForm35::Published(TPropBuilder<TForm35>& p) { p.Method(u"FormCreate", &TForm35::FormCreate); }

void TForm35::FormCreate(TObject*) { AccountingFormSetUp(this, 35); }
