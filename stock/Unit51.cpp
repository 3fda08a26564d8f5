// Form 51: its creation set-up.
#include "stock/Unit51.h"

#include "app/FormSetUp.h"

TForm51* Form51 = nullptr;

TForm51::TForm51(TComponent* owner) : TForm(owner) {}

void TForm51::Published(TPropBuilder<TForm51>& p) { p.Method(u"FormCreate", &TForm51::FormCreate); }

void TForm51::FormCreate(TObject*) { AccountingFormSetUp(this, 51); }
