// The printed monthly timesheet: per worker, the hours of each day over all of the worker's timesheet
// rows of a month, on A4 landscape with the day numbers repeated at the top of every page.
#pragma once

#include "platform/controls/Forms.h"

class TADOQuery;
class TQRLabel;
class TRezavOze;

class TForm15 : public TForm {
  KIV_CLASS(TForm15, TForm)
 public:
  explicit TForm15(TComponent* owner);
  static void Published(TPropBuilder<TForm15>& p);

  TADOQuery* H_Tabel = nullptr;  // parameters mnth and yea
  TRezavOze* RezavOze1 = nullptr;
  TQRLabel* QRLabel33 = nullptr;  // the period, "Данные за:" until a caller sets it

  void FormCreate(TObject* Sender);
};

// The report form, created hidden and owned by the application on the first call.
TForm15* ReportForm15();
