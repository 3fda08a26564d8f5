// Form 24: its creation set-up.
#include "production/Unit24.h"

#include "app/FormSetUp.h"

TForm24* Form24 = nullptr;

TForm24::TForm24(TComponent* owner) : TForm(owner) {}

void TForm24::Published(TPropBuilder<TForm24>& p) { p.Method(u"FormCreate", &TForm24::FormCreate); }

void TForm24::FormCreate(TObject*) { AccountingFormSetUp(this, 24); }
