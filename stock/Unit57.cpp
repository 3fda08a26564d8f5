// Form 57: its creation set-up.
#include "stock/Unit57.h"

#include "app/FormSetUp.h"

TForm57* Form57 = nullptr;

TForm57::TForm57(TComponent* owner) : TForm(owner) {}

void TForm57::Published(TPropBuilder<TForm57>& p) { p.Method(u"FormCreate", &TForm57::FormCreate); }

void TForm57::FormCreate(TObject*) { AccountingFormSetUp(this, 57); }
