// Form 66: its creation set-up.
#include "stock/Unit66.h"

#include "app/FormSetUp.h"

TForm66* Form66 = nullptr;

TForm66::TForm66(TComponent* owner) : TForm(owner) {}

void TForm66::Published(TPropBuilder<TForm66>& p) { p.Method(u"FormCreate", &TForm66::FormCreate); }

void TForm66::FormCreate(TObject*) { AccountingFormSetUp(this, 66); }
