// Form 8: its creation set-up.
#include "app/Unit8.h"

#include "app/FormSetUp.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(TComponent* owner) : TForm(owner) {}

void TForm8::Published(TPropBuilder<TForm8>& p) { p.Method(u"FormCreate", &TForm8::FormCreate); }

void TForm8::FormCreate(TObject*) { AccountingFormSetUp(this, 8); }
