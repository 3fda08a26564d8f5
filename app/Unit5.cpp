// Form 5: its creation set-up.
#include "app/Unit5.h"

#include "app/FormSetUp.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(TComponent* owner) : TForm(owner) {}

void TForm5::Published(TPropBuilder<TForm5>& p) { p.Method(u"FormCreate", &TForm5::FormCreate); }

void TForm5::FormCreate(TObject*) { AccountingFormSetUp(this, 5); }
