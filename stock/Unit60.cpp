// Form 60: its creation set-up.
#include "stock/Unit60.h"

#include "app/FormSetUp.h"

TForm60* Form60 = nullptr;

TForm60::TForm60(TComponent* owner) : TForm(owner) {}

void TForm60::Published(TPropBuilder<TForm60>& p) { p.Method(u"FormCreate", &TForm60::FormCreate); }

void TForm60::FormCreate(TObject*) { AccountingFormSetUp(this, 60); }
