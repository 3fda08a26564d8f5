// The language constants of the grid library: the published texts, their built-in set from the form
// resource, and the process-wide instance registered with the language manager.
#include "gridlib/base/GridLibLangConsts.h"

#include <memory>

#include "gridlib/base/LanguageResManEh.h"
#include "platform/classes/FormResources.h"

TGridLibLanguageConsts::TGridLibLanguageConsts(TComponent* owner) : TComponent(owner) {
  InitInheritedComponent(this, TComponent::StaticClass());
}

void TGridLibLanguageConsts::Published(TPropBuilder<TGridLibLanguageConsts>& p) {
#define KIV_LANG_CONST_PUBLISH(Name) \
  p.Str(u"" #Name, &TGridLibLanguageConsts::Get##Name, &TGridLibLanguageConsts::Set##Name);
  KIV_GRIDLIB_LANGUAGE_CONSTS(KIV_LANG_CONST_PUBLISH)
#undef KIV_LANG_CONST_PUBLISH
}

namespace {

// Unregisters before freeing; made after the manager, so freed before it at exit.
struct TLanguageConstsHolder {
  std::unique_ptr<TGridLibLanguageConsts> consts;
  TLanguageConstsHolder() {
    TLanguageResourceManagerEh* manager = GetLanguageResourceManagerEh();
    consts = std::make_unique<TGridLibLanguageConsts>(nullptr);
    manager->AddLocalizableObject(consts.get(), TGridLibLanguageConsts::StaticClass()->ClassName(),
                                  u"GridLibLangConsts", u"ENU");
  }
  ~TLanguageConstsHolder() { GetLanguageResourceManagerEh()->DeleteLocalizableObject(consts.get()); }
};

}  // namespace

TGridLibLanguageConsts* GetGridLibLanguageConsts() {
  static TLanguageConstsHolder holder;
  return holder.consts.get();
}
