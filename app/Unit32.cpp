// Form 32: its creation set-up.
#include "app/Unit32.h"

#include "app/FormSetUp.h"

TForm32* Form32 = nullptr;

TForm32::TForm32(TComponent* owner) : TForm(owner) {}

void TForm32::Published(TPropBuilder<TForm32>& p) { p.Method(u"FormCreate", &TForm32::FormCreate); }

void TForm32::FormCreate(TObject*) { AccountingFormSetUp(this, 32); }
