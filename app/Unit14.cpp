// Form 14: its creation set-up.
#include "app/Unit14.h"

#include "app/FormSetUp.h"

TForm14* Form14 = nullptr;

TForm14::TForm14(TComponent* owner) : TForm(owner) {}

void TForm14::Published(TPropBuilder<TForm14>& p) { p.Method(u"FormCreate", &TForm14::FormCreate); }

void TForm14::FormCreate(TObject*) { AccountingFormSetUp(this, 14); }
