// Form 75: its creation set-up.
#include "stock/Unit75.h"

#include "app/FormSetUp.h"

TForm75* Form75 = nullptr;

TForm75::TForm75(TComponent* owner) : TForm(owner) {}

void TForm75::Published(TPropBuilder<TForm75>& p) { p.Method(u"FormCreate", &TForm75::FormCreate); }

void TForm75::FormCreate(TObject*) { AccountingFormSetUp(this, 75); }
