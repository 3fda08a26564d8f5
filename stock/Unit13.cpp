// Form 13: its creation set-up.
#include "stock/Unit13.h"

#include "app/FormSetUp.h"

TForm13* Form13 = nullptr;

TForm13::TForm13(TComponent* owner) : TForm(owner) {}

void TForm13::Published(TPropBuilder<TForm13>& p) { p.Method(u"FormCreate", &TForm13::FormCreate); }

void TForm13::FormCreate(TObject*) { AccountingFormSetUp(this, 13); }
