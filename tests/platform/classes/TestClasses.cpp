// Registration and the defined property of the test component classes.
#include "TestClasses.h"

#include "platform/classes/Streaming.h"

std::vector<String>& TestLog() {
  static std::vector<String> log;
  return log;
}

void TTestGrid::DefineProperties(TFiler* filer) {
  TComponent::DefineProperties(filer);
  filer->DefineProperty(
      u"ColWidths",
      [this](TReader* r) {
        colWidths.clear();
        r->ReadListBegin();
        while (!r->EndOfList()) colWidths.push_back(r->ReadInteger());
        r->ReadListEnd();
      },
      [this](TWriter* w) {
        w->WriteListBegin();
        for (int v : colWidths) w->WriteInteger(v);
        w->WriteListEnd();
      },
      !colWidths.empty());
}

KIV_REGISTER_CLASS(TTestForm);
KIV_REGISTER_CLASS(TTestControl);
KIV_REGISTER_CLASS(TTestGrid);
