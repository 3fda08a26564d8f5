// Form 62: its creation set-up.
#include "stock/Unit62.h"

#include "app/FormSetUp.h"

TForm62* Form62 = nullptr;

TForm62::TForm62(TComponent* owner) : TForm(owner) {}

void TForm62::Published(TPropBuilder<TForm62>& p) { p.Method(u"FormCreate", &TForm62::FormCreate); }

void TForm62::FormCreate(TObject*) { AccountingFormSetUp(this, 62); }
