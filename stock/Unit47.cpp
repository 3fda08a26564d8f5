// Form 47: its creation set-up.
#include "stock/Unit47.h"

#include "app/FormSetUp.h"

TForm47* Form47 = nullptr;

TForm47::TForm47(TComponent* owner) : TForm(owner) {}

void TForm47::Published(TPropBuilder<TForm47>& p) { p.Method(u"FormCreate", &TForm47::FormCreate); }

void TForm47::FormCreate(TObject*) { AccountingFormSetUp(this, 47); }
