// Form 56: its creation set-up.
#include "stock/Unit56.h"

#include "app/FormSetUp.h"

TForm56* Form56 = nullptr;

TForm56::TForm56(TComponent* owner) : TForm(owner) {}

void TForm56::Published(TPropBuilder<TForm56>& p) { p.Method(u"FormCreate", &TForm56::FormCreate); }

void TForm56::FormCreate(TObject*) { AccountingFormSetUp(this, 56); }
