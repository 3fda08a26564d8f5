// Form 59: its creation set-up.
#include "stock/Unit59.h"

#include "app/FormSetUp.h"

TForm59* Form59 = nullptr;

TForm59::TForm59(TComponent* owner) : TForm(owner) {}

void TForm59::Published(TPropBuilder<TForm59>& p) { p.Method(u"FormCreate", &TForm59::FormCreate); }

void TForm59::FormCreate(TObject*) { AccountingFormSetUp(this, 59); }
