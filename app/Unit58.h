// The role editor: adds a role or changes one; switching a role on or off stamps the date.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;

class TForm58 : public TForm {
  KIV_CLASS(TForm58, TForm)
 public:
  explicit TForm58(TComponent* owner);
  static void Published(TPropBuilder<TForm58>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;  // system name
  TEdit* Edit2 = nullptr;  // caption
  TCheckBox* CheckBox1 = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button4 = nullptr;

  void FormCreate(TObject* Sender);
  void Button5Click(TObject* Sender);
};

extern TForm58* Form58;
