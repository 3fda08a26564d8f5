// Form 9: its creation set-up.
#include "app/Unit9.h"

#include "app/FormSetUp.h"

TForm9* Form9 = nullptr;

TForm9::TForm9(TComponent* owner) : TForm(owner) {}

void TForm9::Published(TPropBuilder<TForm9>& p) { p.Method(u"FormCreate", &TForm9::FormCreate); }

void TForm9::FormCreate(TObject*) { AccountingFormSetUp(this, 9); }
