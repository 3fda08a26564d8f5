// Form 68: its creation set-up.
#include "stock/Unit68.h"

#include "app/FormSetUp.h"

TForm68* Form68 = nullptr;

TForm68::TForm68(TComponent* owner) : TForm(owner) {}

void TForm68::Published(TPropBuilder<TForm68>& p) { p.Method(u"FormCreate", &TForm68::FormCreate); }

void TForm68::FormCreate(TObject*) { AccountingFormSetUp(this, 68); }
