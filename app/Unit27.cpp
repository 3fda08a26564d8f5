// Form 27: its creation set-up.
#include "app/Unit27.h"

#include "app/FormSetUp.h"

TForm27* Form27 = nullptr;

TForm27::TForm27(TComponent* owner) : TForm(owner) {}

void TForm27::Published(TPropBuilder<TForm27>& p) { p.Method(u"FormCreate", &TForm27::FormCreate); }

void TForm27::FormCreate(TObject*) { AccountingFormSetUp(this, 27); }
