// Form 46: its creation set-up.
#include "production/Unit46.h"

#include "app/FormSetUp.h"

TForm46* Form46 = nullptr;

TForm46::TForm46(TComponent* owner) : TForm(owner) {}

void TForm46::Published(TPropBuilder<TForm46>& p) { p.Method(u"FormCreate", &TForm46::FormCreate); }

void TForm46::FormCreate(TObject*) { AccountingFormSetUp(this, 46); }
