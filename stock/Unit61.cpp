// Form 61: its creation set-up.
#include "stock/Unit61.h"

#include "app/FormSetUp.h"

TForm61* Form61 = nullptr;

TForm61::TForm61(TComponent* owner) : TForm(owner) {}

void TForm61::Published(TPropBuilder<TForm61>& p) { p.Method(u"FormCreate", &TForm61::FormCreate); }

void TForm61::FormCreate(TObject*) { AccountingFormSetUp(this, 61); }
