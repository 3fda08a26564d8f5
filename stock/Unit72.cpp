// Form 72: its creation set-up.
#include "stock/Unit72.h"

#include "app/FormSetUp.h"

TForm72* Form72 = nullptr;

TForm72::TForm72(TComponent* owner) : TForm(owner) {}

void TForm72::Published(TPropBuilder<TForm72>& p) { p.Method(u"FormCreate", &TForm72::FormCreate); }

void TForm72::FormCreate(TObject*) { AccountingFormSetUp(this, 72); }
