// Form 37: its creation set-up.
#include "stock/Unit37.h"

#include "app/FormSetUp.h"

TForm37* Form37 = nullptr;

TForm37::TForm37(TComponent* owner) : TForm(owner) {}

void TForm37::Published(TPropBuilder<TForm37>& p) { p.Method(u"FormCreate", &TForm37::FormCreate); }

void TForm37::FormCreate(TObject*) { AccountingFormSetUp(this, 37); }
