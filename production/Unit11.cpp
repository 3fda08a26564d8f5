// Form 11: its creation set-up.
#include "production/Unit11.h"

#include "app/FormSetUp.h"

TForm11* Form11 = nullptr;

TForm11::TForm11(TComponent* owner) : TForm(owner) {}

void TForm11::Published(TPropBuilder<TForm11>& p) { p.Method(u"FormCreate", &TForm11::FormCreate); }

void TForm11::FormCreate(TObject*) { AccountingFormSetUp(this, 11); }
