// Form 38: its creation set-up.
#include "stock/Unit38.h"

#include "app/FormSetUp.h"

TForm38* Form38 = nullptr;

TForm38::TForm38(TComponent* owner) : TForm(owner) {}

void TForm38::Published(TPropBuilder<TForm38>& p) { p.Method(u"FormCreate", &TForm38::FormCreate); }

void TForm38::FormCreate(TObject*) { AccountingFormSetUp(this, 38); }
