// Form 26: its creation set-up.
#include "app/Unit26.h"

#include "app/FormSetUp.h"

TForm26* Form26 = nullptr;

TForm26::TForm26(TComponent* owner) : TForm(owner) {}

void TForm26::Published(TPropBuilder<TForm26>& p) { p.Method(u"FormCreate", &TForm26::FormCreate); }

void TForm26::FormCreate(TObject*) { AccountingFormSetUp(this, 26); }
