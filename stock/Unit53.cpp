// Form 53: its creation set-up.
#include "stock/Unit53.h"

#include "app/FormSetUp.h"

TForm53* Form53 = nullptr;

TForm53::TForm53(TComponent* owner) : TForm(owner) {}

void TForm53::Published(TPropBuilder<TForm53>& p) { p.Method(u"FormCreate", &TForm53::FormCreate); }

void TForm53::FormCreate(TObject*) { AccountingFormSetUp(this, 53); }
