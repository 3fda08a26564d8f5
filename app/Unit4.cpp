// Form 4: its creation set-up.
#include "app/Unit4.h"

#include "app/FormSetUp.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* owner) : TForm(owner) {}

void TForm4::Published(TPropBuilder<TForm4>& p) { p.Method(u"FormCreate", &TForm4::FormCreate); }

void TForm4::FormCreate(TObject*) { AccountingFormSetUp(this, 4); }
