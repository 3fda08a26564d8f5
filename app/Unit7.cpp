// Form 7: its creation set-up.
#include "app/Unit7.h"

#include "app/FormSetUp.h"

TForm7* Form7 = nullptr;

TForm7::TForm7(TComponent* owner) : TForm(owner) {}

void TForm7::Published(TPropBuilder<TForm7>& p) { p.Method(u"FormCreate", &TForm7::FormCreate); }

void TForm7::FormCreate(TObject*) { AccountingFormSetUp(this, 7); }
