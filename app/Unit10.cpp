// Form 10: its creation set-up.
#include "app/Unit10.h"

#include "app/FormSetUp.h"

TForm10* Form10 = nullptr;

TForm10::TForm10(TComponent* owner) : TForm(owner) {}

void TForm10::Published(TPropBuilder<TForm10>& p) { p.Method(u"FormCreate", &TForm10::FormCreate); }

void TForm10::FormCreate(TObject*) { AccountingFormSetUp(this, 10); }
