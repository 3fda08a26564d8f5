// The counterparty editor: short and full name, INN and OGRN of one counterparty.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TGroupBox;

class TForm14 : public TForm {
  KIV_CLASS(TForm14, TForm)
 public:
  explicit TForm14(TComponent* owner);
  static void Published(TPropBuilder<TForm14>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;  // full name
  TEdit* Edit2 = nullptr;  // short name
  TEdit* Edit3 = nullptr;  // INN
  TEdit* Edit4 = nullptr;  // OGRN
  TButton* Button5 = nullptr;
  TButton* Button6 = nullptr;

  void FormCreate(TObject* Sender);
  void Button5Click(TObject* Sender);
};

extern TForm14* Form14;
