// Test support for the reference-data screens.
#include "tests/app/ScreenFixture.h"

#include "app/Unit23.h"
#include "app/Unit6.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"

void ScreenTest::StartAs(const std::string& login) {
  CreateForms();
  DataModule6->ADO_DB->SetConnected(false);
  DataModule6->ADO_DB->SetConnectionString(LoginConnectionString({u"localhost", Utf8ToString(database_), u""},
                                                                 Utf8ToString(login), DemoPassword(login)));
  DataModule6->ADO_DB->SetConnected(true);
}

bool ScreenTest::WhenModal(TForm* form, const std::function<void()>& inside,
                           const std::function<void()>& opener) {
  bool seen = false;
  TTimer timer(nullptr);
  timer.SetInterval(5);
  timer.OnTimer = TNotifyEvent([&](TObject*) {
    if (!form->IsModal() || seen) return;
    seen = true;
    timer.SetEnabled(false);
    inside();
    if (form->IsModal()) form->Close();
  });
  timer.SetEnabled(true);
  opener();
  timer.SetEnabled(false);
  return seen;
}

void ScreenTest::Locate(TDataSet* data, const char16_t* field, const String& value) {
  for (data->First(); !data->GetEof(); data->Next())
    if (data->FieldByName(field)->GetAsString() == value) return;
  ADD_FAILURE() << "no row with " << StringToUtf8(field) << " = " << StringToUtf8(value);
}

void AsUserEvent(const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    Application->HandleException(nullptr, std::current_exception());
  }
}
