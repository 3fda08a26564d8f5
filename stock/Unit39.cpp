// Form 39: its creation set-up.
#include "stock/Unit39.h"

#include "app/FormSetUp.h"

TForm39* Form39 = nullptr;

TForm39::TForm39(TComponent* owner) : TForm(owner) {}

void TForm39::Published(TPropBuilder<TForm39>& p) { p.Method(u"FormCreate", &TForm39::FormCreate); }

void TForm39::FormCreate(TObject*) { AccountingFormSetUp(this, 39); }
