// Form 71: its creation set-up.
#include "stock/Unit71.h"

#include "app/FormSetUp.h"

TForm71* Form71 = nullptr;

TForm71::TForm71(TComponent* owner) : TForm(owner) {}

void TForm71::Published(TPropBuilder<TForm71>& p) { p.Method(u"FormCreate", &TForm71::FormCreate); }

void TForm71::FormCreate(TObject*) { AccountingFormSetUp(this, 71); }
