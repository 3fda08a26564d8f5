// Form 28: its creation set-up.
#include "app/Unit28.h"

#include "app/FormSetUp.h"

TForm28* Form28 = nullptr;

TForm28::TForm28(TComponent* owner) : TForm(owner) {}

void TForm28::Published(TPropBuilder<TForm28>& p) { p.Method(u"FormCreate", &TForm28::FormCreate); }

void TForm28::FormCreate(TObject*) { AccountingFormSetUp(this, 28); }
