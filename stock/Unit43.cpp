// Form 43: its creation set-up.
#include "stock/Unit43.h"

#include "app/FormSetUp.h"

TForm43* Form43 = nullptr;

TForm43::TForm43(TComponent* owner) : TForm(owner) {}

void TForm43::Published(TPropBuilder<TForm43>& p) { p.Method(u"FormCreate", &TForm43::FormCreate); }

void TForm43::FormCreate(TObject*) { AccountingFormSetUp(this, 43); }
