// The accounting forms' common creation set-up.
#include "app/FormSetUp.h"

#include "platform/controls/Forms.h"
#include "platform/graphics/Images.h"

namespace {

bool CentredOnDesktop(int n) {
  return n == 2 || n == 5 || n == 11 || (n >= 33 && n <= 36) || n == 38 || (n >= 40 && n <= 42) || n == 44 ||
         (n >= 46 && n <= 48) || (n >= 50 && n <= 63) || (n >= 65 && n <= 79);
}

}  // namespace

void AccountingFormSetUp(TCustomForm* form, int number) {
  form->GetIcon()->LoadFromResourceName(0, u"Icon_1");
  // Form 9 keeps the border and title-bar boxes of its resource.
  if (number == 9) return;
  form->SetBorderStyle(bsSingle);
  if (number == 8) {
    // No close box: the operation types list closes with "Выход" or Esc.
    form->SetBorderIcons({});
  } else {
    TBorderIcons icons = form->GetBorderIcons();
    icons.Exclude(biMinimize);
    icons.Exclude(biMaximize);
    form->SetBorderIcons(icons);
  }
  if (number == 45)
    form->SetPosition(poMainFormCenter);
  else if (CentredOnDesktop(number))
    form->SetPosition(poDesktopCenter);
}
