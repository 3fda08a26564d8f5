// Form 76: its creation set-up.
#include "production/Unit76.h"

#include "app/FormSetUp.h"

TForm76* Form76 = nullptr;

TForm76::TForm76(TComponent* owner) : TForm(owner) {}

void TForm76::Published(TPropBuilder<TForm76>& p) { p.Method(u"FormCreate", &TForm76::FormCreate); }

void TForm76::FormCreate(TObject*) { AccountingFormSetUp(this, 76); }
