// Form 41: its creation set-up.
#include "stock/Unit41.h"

#include "app/FormSetUp.h"

TForm41* Form41 = nullptr;

TForm41::TForm41(TComponent* owner) : TForm(owner) {}

void TForm41::Published(TPropBuilder<TForm41>& p) { p.Method(u"FormCreate", &TForm41::FormCreate); }

void TForm41::FormCreate(TObject*) { AccountingFormSetUp(this, 41); }
