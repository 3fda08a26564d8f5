// Form 65: its creation set-up.
#include "stock/Unit65.h"

#include "app/FormSetUp.h"

TForm65* Form65 = nullptr;

TForm65::TForm65(TComponent* owner) : TForm(owner) {}

void TForm65::Published(TPropBuilder<TForm65>& p) { p.Method(u"FormCreate", &TForm65::FormCreate); }

void TForm65::FormCreate(TObject*) { AccountingFormSetUp(this, 65); }
