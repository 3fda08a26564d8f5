// Form 72, the issue to production: how many products of a request line to start and from which
// warehouses their blanks and paint come. On the excess road of a shift record it chooses the
// warehouses only; the shift record's save writes the issue in its own transaction.
#pragma once

#include "platform/controls/Forms.h"

class TADOQuery;
class TButton;
class TDBLookupComboBox;
class TEdit;
class TLabel;
struct TExcessIssue;

class TForm72 : public TForm {
  KIV_CLASS(TForm72, TForm)
 public:
  explicit TForm72(TComponent* owner);
  static void Published(TPropBuilder<TForm72>& p);

  TEdit* Edit1 = nullptr;
  TLabel* Label5 = nullptr;
  TDBLookupComboBox* cb_stock = nullptr;
  TDBLookupComboBox* cb_ral_stock = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TADOQuery* Stock = nullptr;
  TADOQuery* ral_stock = nullptr;

  void FormCreate(TObject* Sender);
  void Edit1KeyPress(TObject* Sender, Char& Key);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  // The excess road: shows the form for the surplus and answers true with the warehouses set in
  // issue once "Записать" accepted them; false when the form was closed without.
  bool ChooseExcess(TExcessIssue& issue);

 private:
  TExcessIssue* excess_ = nullptr;
  bool chosen_ = false;
};

extern TForm72* Form72;
