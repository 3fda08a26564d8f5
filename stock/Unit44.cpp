// Form 44: its creation set-up.
#include "stock/Unit44.h"

#include "app/FormSetUp.h"

TForm44* Form44 = nullptr;

TForm44::TForm44(TComponent* owner) : TForm(owner) {}

void TForm44::Published(TPropBuilder<TForm44>& p) { p.Method(u"FormCreate", &TForm44::FormCreate); }

void TForm44::FormCreate(TObject*) { AccountingFormSetUp(this, 44); }
