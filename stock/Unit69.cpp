// Form 69: its creation set-up.
#include "stock/Unit69.h"

#include "app/FormSetUp.h"

TForm69* Form69 = nullptr;

TForm69::TForm69(TComponent* owner) : TForm(owner) {}

void TForm69::Published(TPropBuilder<TForm69>& p) { p.Method(u"FormCreate", &TForm69::FormCreate); }

void TForm69::FormCreate(TObject*) { AccountingFormSetUp(this, 69); }
