// Form 12: its creation set-up.
#include "stock/Unit12.h"

#include "app/FormSetUp.h"

TForm12* Form12 = nullptr;

TForm12::TForm12(TComponent* owner) : TForm(owner) {}

void TForm12::Published(TPropBuilder<TForm12>& p) { p.Method(u"FormCreate", &TForm12::FormCreate); }

void TForm12::FormCreate(TObject*) { AccountingFormSetUp(this, 12); }
