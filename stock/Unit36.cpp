// Form 36: its creation set-up.
#include "stock/Unit36.h"

#include "app/FormSetUp.h"

TForm36* Form36 = nullptr;

TForm36::TForm36(TComponent* owner) : TForm(owner) {}

void TForm36::Published(TPropBuilder<TForm36>& p) { p.Method(u"FormCreate", &TForm36::FormCreate); }

void TForm36::FormCreate(TObject*) { AccountingFormSetUp(this, 36); }
