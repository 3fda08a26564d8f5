// Form 55: its creation set-up.
#include "production/Unit55.h"

#include "app/FormSetUp.h"

TForm55* Form55 = nullptr;

TForm55::TForm55(TComponent* owner) : TForm(owner) {}

void TForm55::Published(TPropBuilder<TForm55>& p) { p.Method(u"FormCreate", &TForm55::FormCreate); }

void TForm55::FormCreate(TObject*) { AccountingFormSetUp(this, 55); }
