// Form 74: its creation set-up.
#include "stock/Unit74.h"

#include "app/FormSetUp.h"

TForm74* Form74 = nullptr;

TForm74::TForm74(TComponent* owner) : TForm(owner) {}

void TForm74::Published(TPropBuilder<TForm74>& p) { p.Method(u"FormCreate", &TForm74::FormCreate); }

void TForm74::FormCreate(TObject*) { AccountingFormSetUp(this, 74); }
