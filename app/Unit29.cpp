// Form 29: its creation set-up.
#include "app/Unit29.h"

#include "app/FormSetUp.h"

TForm29* Form29 = nullptr;

TForm29::TForm29(TComponent* owner) : TForm(owner) {}

void TForm29::Published(TPropBuilder<TForm29>& p) { p.Method(u"FormCreate", &TForm29::FormCreate); }

void TForm29::FormCreate(TObject*) { AccountingFormSetUp(this, 29); }
