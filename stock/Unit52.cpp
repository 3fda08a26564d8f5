// Form 52: its creation set-up.
#include "stock/Unit52.h"

#include "app/FormSetUp.h"

TForm52* Form52 = nullptr;

TForm52::TForm52(TComponent* owner) : TForm(owner) {}

void TForm52::Published(TPropBuilder<TForm52>& p) { p.Method(u"FormCreate", &TForm52::FormCreate); }

void TForm52::FormCreate(TObject*) { AccountingFormSetUp(this, 52); }
