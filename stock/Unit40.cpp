// Form 40: its creation set-up.
#include "stock/Unit40.h"

#include "app/FormSetUp.h"

TForm40* Form40 = nullptr;

TForm40::TForm40(TComponent* owner) : TForm(owner) {}

void TForm40::Published(TPropBuilder<TForm40>& p) { p.Method(u"FormCreate", &TForm40::FormCreate); }

void TForm40::FormCreate(TObject*) { AccountingFormSetUp(this, 40); }
