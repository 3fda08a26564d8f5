// Supply needs: what the open request lines still need of each bought material, what the warehouses
// hold of it and what is left to buy. A read-only list.
#pragma once

#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"

class TADOQuery;
class TButton;
class TColumnEh;
class TDBGridEh;
class TDataSource;
class TFont;

class TForm59 : public TForm {
  KIV_CLASS(TForm59, TForm)
 public:
  explicit TForm59(TComponent* owner);
  static void Published(TPropBuilder<TForm59>& p);

  TDBGridEh* DBGridEh1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TADOQuery* gds_needed = nullptr;
  TButton* Button1 = nullptr;

  void FormCreate(TObject* Sender);
  void DBGridEh1GetCellParams(TObject* Sender, TColumnEh* Column, TFont* AFont, TColor& Background,
                              TGridDrawState State);
};

extern TForm59* Form59;

// The colours of a supply-needs row by what is left to buy, rounded half to even: light red with a dark
// red font above 0, light green with a green font below 0; false (the grid's own) at 0.
bool SupplyNeedColours(double toBuy, TColor& background, TColor& font);
