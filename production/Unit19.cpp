// Form 19: its creation set-up.
#include "production/Unit19.h"

#include "app/FormSetUp.h"

TForm19* Form19 = nullptr;

TForm19::TForm19(TComponent* owner) : TForm(owner) {}

void TForm19::Published(TPropBuilder<TForm19>& p) { p.Method(u"FormCreate", &TForm19::FormCreate); }

void TForm19::FormCreate(TObject*) { AccountingFormSetUp(this, 19); }
