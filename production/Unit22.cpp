// Form 22: its creation set-up.
#include "production/Unit22.h"

#include "app/FormSetUp.h"

TForm22* Form22 = nullptr;

TForm22::TForm22(TComponent* owner) : TForm(owner) {}

void TForm22::Published(TPropBuilder<TForm22>& p) { p.Method(u"FormCreate", &TForm22::FormCreate); }

void TForm22::FormCreate(TObject*) { AccountingFormSetUp(this, 22); }
