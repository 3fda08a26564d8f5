// Form 2: its creation set-up.
#include "app/Unit2.h"

#include "app/FormSetUp.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* owner) : TForm(owner) {}

void TForm2::Published(TPropBuilder<TForm2>& p) { p.Method(u"FormCreate", &TForm2::FormCreate); }

void TForm2::FormCreate(TObject*) { AccountingFormSetUp(this, 2); }
