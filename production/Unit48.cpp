// Form 48: its creation set-up.
#include "production/Unit48.h"

#include "app/FormSetUp.h"

TForm48* Form48 = nullptr;

TForm48::TForm48(TComponent* owner) : TForm(owner) {}

void TForm48::Published(TPropBuilder<TForm48>& p) { p.Method(u"FormCreate", &TForm48::FormCreate); }

void TForm48::FormCreate(TObject*) { AccountingFormSetUp(this, 48); }
