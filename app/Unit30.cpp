// Form 30: its creation set-up.
#include "app/Unit30.h"

#include "app/FormSetUp.h"

TForm30* Form30 = nullptr;

TForm30::TForm30(TComponent* owner) : TForm(owner) {}

void TForm30::Published(TPropBuilder<TForm30>& p) { p.Method(u"FormCreate", &TForm30::FormCreate); }

void TForm30::FormCreate(TObject*) { AccountingFormSetUp(this, 30); }
