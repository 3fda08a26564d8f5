// Form 303: its creation set-up.
#include "app/Unit303.h"

#include "app/FormSetUp.h"

TForm303* Form303 = nullptr;

TForm303::TForm303(TComponent* owner) : TForm(owner) {}

void TForm303::Published(TPropBuilder<TForm303>& p) { p.Method(u"FormCreate", &TForm303::FormCreate); }

void TForm303::FormCreate(TObject*) { AccountingFormSetUp(this, 303); }
