// Form 67: its creation set-up.
#include "stock/Unit67.h"

#include "app/FormSetUp.h"

TForm67* Form67 = nullptr;

TForm67::TForm67(TComponent* owner) : TForm(owner) {}

void TForm67::Published(TPropBuilder<TForm67>& p) { p.Method(u"FormCreate", &TForm67::FormCreate); }

void TForm67::FormCreate(TObject*) { AccountingFormSetUp(this, 67); }
