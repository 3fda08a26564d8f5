// Form 54: its creation set-up.
#include "stock/Unit54.h"

#include "app/FormSetUp.h"

TForm54* Form54 = nullptr;

TForm54::TForm54(TComponent* owner) : TForm(owner) {}

void TForm54::Published(TPropBuilder<TForm54>& p) { p.Method(u"FormCreate", &TForm54::FormCreate); }

void TForm54::FormCreate(TObject*) { AccountingFormSetUp(this, 54); }
