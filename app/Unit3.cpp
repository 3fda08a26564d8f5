// Form 3: its creation set-up.
#include "app/Unit3.h"

#include "app/FormSetUp.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* owner) : TForm(owner) {}

void TForm3::Published(TPropBuilder<TForm3>& p) { p.Method(u"FormCreate", &TForm3::FormCreate); }

void TForm3::FormCreate(TObject*) { AccountingFormSetUp(this, 3); }
