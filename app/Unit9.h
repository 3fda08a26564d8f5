// The operation type editor: name and description of one operation type.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TGroupBox;

class TForm9 : public TForm {
  KIV_CLASS(TForm9, TForm)
 public:
  explicit TForm9(TComponent* owner);
  static void Published(TPropBuilder<TForm9>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Button1Click(TObject* Sender);
};

extern TForm9* Form9;
