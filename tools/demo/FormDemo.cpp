// A small program that shows a form read from its form resource (label, edit, default and cancel
// buttons, a custom-drawn panel and a timer), for tools/screenshot to photograph.
#include <cstdio>
#include <cstring>

#include "platform/classes/Streams.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Format.h"

namespace {

const char kDemoForm[] = R"(object DemoForm: TDemoForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Авторизация'
  ClientHeight = 170
  ClientWidth = 300
  Position = poScreenCenter
  OnCreate = FormCreate
  object Label1: TLabel
    Left = 16
    Top = 20
    Caption = 'Логин'
  end
  object Edit1: TEdit
    Left = 90
    Top = 16
    Width = 190
    TabOrder = 0
  end
  object Label2: TLabel
    Left = 16
    Top = 52
    Caption = 'Пароль'
  end
  object Edit2: TEdit
    Left = 90
    Top = 48
    Width = 190
    PasswordChar = '*'
    TabOrder = 1
  end
  object Button1: TButton
    Left = 120
    Top = 130
    Caption = 'Вход'
    Default = True
    ModalResult = 1
    TabOrder = 2
  end
  object Button2: TButton
    Left = 205
    Top = 130
    Caption = 'Отмена'
    Cancel = True
    ModalResult = 2
    TabOrder = 3
  end
  object Timer1: TTimer
    Interval = 200
    OnTimer = Timer1Timer
  end
end
)";

// A bevelled strip that paints the number of timer ticks.
class TStatusStrip : public TCustomControl {
  KIV_CLASS(TStatusStrip, TCustomControl)
 public:
  explicit TStatusStrip(TComponent* owner) : TCustomControl(owner) {
    SetBevelKind(bkTile);
    SetBevelInner(bvNone);
    SetBevelOuter(bvLowered);
  }
  int ticks = 0;

 protected:
  void Paint() override {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    c->FillGradient(r, clWhite, clSkyBlue, false);
    c->GetBrush()->SetStyle(bsClear);
    c->GetFont()->SetColor(clNavy);
    c->TextOut(6, 3, Format(u"Тактов таймера: %d", {ticks}));
  }
};

class TDemoForm : public TForm {
  KIV_CLASS(TDemoForm, TForm)
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {}
  static void Published(TPropBuilder<TDemoForm>& p) {
    p.Method(u"FormCreate", &TDemoForm::FormCreate);
    p.Method(u"Timer1Timer", &TDemoForm::Timer1Timer);
  }
  void FormCreate(TObject*) {
    strip_ = new TStatusStrip(this);
    strip_->SetParent(this);
    strip_->SetBounds(16, 86, 264, 24);
    static_cast<TEdit*>(FindComponent(u"Edit1"))->SetText(u"kiv");
  }
  void Timer1Timer(TObject*) {
    ++strip_->ticks;
    strip_->Invalidate();
  }

 private:
  TStatusStrip* strip_ = nullptr;
};

}  // namespace

int main() {
  RegisterClass(TDemoForm::StaticClass());
  RegisterResource(u"TDemoForm", reinterpret_cast<const Byte*>(kDemoForm), std::strlen(kDemoForm));
  Application->Initialize();
  Application->SetTitle(u"KIV demo");
  TDemoForm* form = nullptr;
  Application->CreateForm(form);
  Application->Run();
  return 0;
}
