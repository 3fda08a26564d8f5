// Form 78: its creation set-up.
#include "production/Unit78.h"

#include "app/FormSetUp.h"

TForm78* Form78 = nullptr;

TForm78::TForm78(TComponent* owner) : TForm(owner) {}

void TForm78::Published(TPropBuilder<TForm78>& p) { p.Method(u"FormCreate", &TForm78::FormCreate); }

void TForm78::FormCreate(TObject*) { AccountingFormSetUp(this, 78); }
