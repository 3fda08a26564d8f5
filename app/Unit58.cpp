// Form 58: its creation set-up.
#include "app/Unit58.h"

#include "app/FormSetUp.h"

TForm58* Form58 = nullptr;

TForm58::TForm58(TComponent* owner) : TForm(owner) {}

void TForm58::Published(TPropBuilder<TForm58>& p) { p.Method(u"FormCreate", &TForm58::FormCreate); }

void TForm58::FormCreate(TObject*) { AccountingFormSetUp(this, 58); }
