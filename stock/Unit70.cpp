// Form 70: its creation set-up.
#include "stock/Unit70.h"

#include "app/FormSetUp.h"

TForm70* Form70 = nullptr;

TForm70::TForm70(TComponent* owner) : TForm(owner) {}

void TForm70::Published(TPropBuilder<TForm70>& p) { p.Method(u"FormCreate", &TForm70::FormCreate); }

void TForm70::FormCreate(TObject*) { AccountingFormSetUp(this, 70); }
