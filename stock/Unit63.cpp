// Form 63: its creation set-up.
#include "stock/Unit63.h"

#include "app/FormSetUp.h"

TForm63* Form63 = nullptr;

TForm63::TForm63(TComponent* owner) : TForm(owner) {}

void TForm63::Published(TPropBuilder<TForm63>& p) { p.Method(u"FormCreate", &TForm63::FormCreate); }

void TForm63::FormCreate(TObject*) { AccountingFormSetUp(this, 63); }
