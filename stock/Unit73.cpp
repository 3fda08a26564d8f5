// Form 73: its creation set-up.
#include "stock/Unit73.h"

#include "app/FormSetUp.h"

TForm73* Form73 = nullptr;

TForm73::TForm73(TComponent* owner) : TForm(owner) {}

void TForm73::Published(TPropBuilder<TForm73>& p) { p.Method(u"FormCreate", &TForm73::FormCreate); }

void TForm73::FormCreate(TObject*) { AccountingFormSetUp(this, 73); }
