// Start-up of the report output library: the expression engine's host over the application and the
// screen's forms and data modules.
#include "reportlib/output/ReportOutputLibrary.h"

#include "platform/controls/Forms.h"
#include "reportlib/engine/QREvEnvironment.h"

namespace {

class TScreenExprHost : public IQRExprHost {
 public:
  String GetApplicationTitle() const override { return Application ? Application->GetTitle() : String(); }

  std::vector<TComponent*> GetComponentOwners(bool dataModules) const override {
    std::vector<TComponent*> owners;
    if (!Screen) return owners;
    for (Integer i = 0; i < Screen->GetCustomFormCount(); ++i) owners.push_back(Screen->GetCustomForm(i));
    if (dataModules)
      for (Integer i = 0; i < Screen->GetDataModuleCount(); ++i) owners.push_back(Screen->GetDataModule(i));
    return owners;
  }
};

}  // namespace

void InitializeReportOutput() {
  static TScreenExprHost host;
  SetQRExprHost(&host);
}
