// Form 77: its creation set-up.
#include "production/Unit77.h"

#include "app/FormSetUp.h"

TForm77* Form77 = nullptr;

TForm77::TForm77(TComponent* owner) : TForm(owner) {}

void TForm77::Published(TPropBuilder<TForm77>& p) { p.Method(u"FormCreate", &TForm77::FormCreate); }

void TForm77::FormCreate(TObject*) { AccountingFormSetUp(this, 77); }
