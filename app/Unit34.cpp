// Form 34: its creation set-up.
#include "app/Unit34.h"

#include "app/FormSetUp.h"

TForm34* Form34 = nullptr;

TForm34::TForm34(TComponent* owner) : TForm(owner) {}

void TForm34::Published(TPropBuilder<TForm34>& p) { p.Method(u"FormCreate", &TForm34::FormCreate); }

void TForm34::FormCreate(TObject*) { AccountingFormSetUp(this, 34); }
