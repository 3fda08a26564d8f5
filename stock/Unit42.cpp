// Form 42: its creation set-up.
#include "stock/Unit42.h"

#include "app/FormSetUp.h"

TForm42* Form42 = nullptr;

TForm42::TForm42(TComponent* owner) : TForm(owner) {}

void TForm42::Published(TPropBuilder<TForm42>& p) { p.Method(u"FormCreate", &TForm42::FormCreate); }

void TForm42::FormCreate(TObject*) { AccountingFormSetUp(this, 42); }
