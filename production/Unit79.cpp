// Form 79: its creation set-up.
#include "production/Unit79.h"

#include "app/FormSetUp.h"

TForm79* Form79 = nullptr;

TForm79::TForm79(TComponent* owner) : TForm(owner) {}

void TForm79::Published(TPropBuilder<TForm79>& p) { p.Method(u"FormCreate", &TForm79::FormCreate); }

void TForm79::FormCreate(TObject*) { AccountingFormSetUp(this, 79); }
