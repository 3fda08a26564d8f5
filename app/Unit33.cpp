// Form 33: its creation set-up.
#include "app/Unit33.h"

#include "app/FormSetUp.h"

TForm33* Form33 = nullptr;

TForm33::TForm33(TComponent* owner) : TForm(owner) {}

void TForm33::Published(TPropBuilder<TForm33>& p) { p.Method(u"FormCreate", &TForm33::FormCreate); }

void TForm33::FormCreate(TObject*) { AccountingFormSetUp(this, 33); }
