// The language manager: registrations, language lists, the readers of language files and resources,
// and the notification of listeners and forms after a language change.
#include "gridlib/base/LanguageResManEh.h"

#include <exception>

#include "platform/classes/FormResources.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/classes/Streaming.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/FormatSettings.h"

namespace {

// The system languages the program knows: locale identifier, three-letter code, native name.
struct TSystemLanguage {
  LCID Lcid;
  const Char* Abbr;
  const Char* NativeName;
};

constexpr TSystemLanguage kSystemLanguages[] = {
    {0x0419, u"RUS", u"русский"},    {0x0409, u"ENU", u"English"},    {0x0809, u"ENG", u"English"},
    {0x0422, u"UKR", u"українська"}, {0x0423, u"BEL", u"беларуская"}, {0x0407, u"DEU", u"Deutsch"},
    {0x040C, u"FRA", u"français"},   {0x0410, u"ITA", u"italiano"},   {0x0C0A, u"ESN", u"español"},
    {0x0415, u"PLK", u"polski"},     {0x0405, u"CSY", u"čeština"},    {0x043F, u"KKZ", u"қазақ тілі"},
};

bool IsSystemLanguageCode(const String& code) {
  for (const TSystemLanguage& language : kSystemLanguages)
    if (code == language.Abbr) return true;
  return false;
}

void BroadcastToOwned(TComponent* owner, UINT msg) {
  for (int i = 0; i < owner->GetComponentCount(); ++i) {
    TComponent* component = owner->GetComponent(i);
    if (auto* control = dynamic_cast<TControl*>(component)) control->Perform(msg, 0, 0);
    BroadcastToOwned(component, msg);
  }
}

}  // namespace

TLanguageResourceManagerEh::TLanguageResourceManagerEh() : languageList_(std::make_unique<TStringList>()) {
  languageList_->SetCaseSensitive(true);
}

TLanguageResourceManagerEh::~TLanguageResourceManagerEh() {
  for (int i = 0; i < locObjects_.GetCount(); ++i) delete locObjects_.Get(i);
}

void TLanguageResourceManagerEh::SetActiveLanguageAbbr(const String& value) {
  if (value == activeLanguageAbbr_) return;
  if (IndexOfLanguage(value) < 0) throw Exception(u"Language \"" + value + u"\" is not supported");
  activeLanguageAbbr_ = value;
  ActiveLanguageChanged();
}

void TLanguageResourceManagerEh::ActiveLanguageChanged() {
  for (int i = 0; i < GetResObjectCount(); ++i)
    if (!activeLanguageAbbr_.empty()) ReadObjectResource(GetResObject(i));
  NotifyAllConsumersChange();
}

void TLanguageResourceManagerEh::AddLocalizableObject(TComponent* component, const String& resourceName,
                                                      const String& extResourceFileName,
                                                      const String& defaultResourceLanguage) {
  auto* res = new TResObjectEh();
  res->RefResObject = component;
  res->ResourceName = resourceName;
  res->ExtResourceFileName = extResourceFileName;
  res->DefaultResourceLanguage = defaultResourceLanguage;
  locObjects_.Add(res);
  if (!activeLanguageAbbr_.empty() && activeLanguageAbbr_ != defaultResourceLanguage) ReadObjectResource(res);
}

void TLanguageResourceManagerEh::DeleteLocalizableObject(TComponent* component) {
  for (int i = locObjects_.GetCount() - 1; i >= 0; --i) {
    TResObjectEh* res = GetResObject(i);
    if (res->RefResObject != component) continue;
    locObjects_.Delete(i);
    delete res;
  }
}

void TLanguageResourceManagerEh::AddChangeNotifyConsumer(TComponent* component,
                                                         const String& defaultResourceLanguage) {
  changeNotifyConsumers_.Add(component);
  if (!activeLanguageAbbr_.empty() && activeLanguageAbbr_ != defaultResourceLanguage)
    NotifyConsumerChange(component);
}

void TLanguageResourceManagerEh::DeleteChangeNotifyConsumer(TComponent* component) {
  changeNotifyConsumers_.Remove(component);
}

void TLanguageResourceManagerEh::NotifyConsumerChange(TComponent* component) {
  ILanguageResourceLoadNotificationConsumer* consumer = nullptr;
  if (Supports(component, &consumer)) consumer->ResourceLanguageChanged();
}

void TLanguageResourceManagerEh::NotifyAllConsumersChange() {
  for (int i = 0; i < changeNotifyConsumers_.GetCount(); ++i)
    NotifyConsumerChange(static_cast<TComponent*>(changeNotifyConsumers_.Get(i)));
  if (!Screen) return;
  for (Integer i = 0; i < Screen->GetFormCount(); ++i) {
    TForm* form = Screen->GetForm(i);
    form->Perform(WM_WININICHANGE, 0, 0);
    BroadcastToOwned(form, WM_WININICHANGE);
  }
}

void TLanguageResourceManagerEh::ReadObjectResource(TResObjectEh* objectRes) {
  if (resourcePlacement_ == lrpEmbeddedEh)
    ReadComponentEmbeddedResource(objectRes->RefResObject);
  else
    ReadComponentExternalResource(objectRes->RefResObject, objectRes->ExtResourceFileName);
}

void TLanguageResourceManagerEh::ReadComponentExternalResource(TComponent* component,
                                                               const String& resourceName) {
  if (activeLanguageAbbr_.empty()) throw Exception(u"ActiveLanguage is not defined");
  const String fileName =
      IncludeTrailingPathDelimiter(resourceFolderPath_) + resourceName + u"." + activeLanguageAbbr_ + u".dfm";
  if (!FileExists(fileName)) return;
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  ReadComponentFromStream(component, &stream);
}

void TLanguageResourceManagerEh::ReadComponentEmbeddedResource(TComponent* component) {
  ReadComponentResource(component, component->ClassName() + u"_" + activeLanguageAbbr_);
}

void TLanguageResourceManagerEh::ReadComponentResource(TComponent* component, const String& resourceName) {
  if (!ResourceExists(resourceName)) return;
  TResourceStream stream(resourceName);
  ReadComponentFromStream(component, &stream);
  NotifyConsumerChange(component);
}

void TLanguageResourceManagerEh::ReadComponentFromStream(TComponent* component, TStream* stream) {
  if (TestStreamFormat(stream) == sofUnknown) throw Exception(u"Invalid stream format.");
  std::vector<String> errors;
  ::ReadComponentFromStream(stream, component, true, &errors);
  if (errors.empty()) return;
  // One report for the whole file: a translation with a stale property should not bury the user in
  // message boxes, and every property it does know has been applied.
  String message;
  for (const String& error : errors) message += (message.empty() ? u"" : u"\r\n") + error;
  if (!Application) throw EReadError(message);
  try {
    throw EReadError(message);
  } catch (const EReadError&) {
    Application->HandleException(component, std::current_exception());
  }
}

void TLanguageResourceManagerEh::LoadListOfAvailableLanguages(const String& baseFileName) {
  languageList_->Clear();
  if (resourcePlacement_ == lrpEmbeddedEh) {
    const String prefix = AnsiUpperCase(baseFileName) + u"_";
    for (const String& name : ResourceNames()) {
      const String upper = AnsiUpperCase(name);
      if (upper.size() == prefix.size() + 3 && upper.find(prefix) != String::npos)
        languageList_->Add(name.substr(name.size() - 3));
    }
    return;
  }
  if (resourceFolderPath_.empty()) resourceFolderPath_ = GetCurrentDir();
  TSearchRec rec;
  const String mask = IncludeTrailingPathDelimiter(resourceFolderPath_) + baseFileName + u".???.dfm";
  for (int found = FindFirst(mask, faAnyFile & ~faDirectory, rec); found == 0; found = FindNext(rec)) {
    if ((rec.Attr & faDirectory) != 0 || rec.Name == u"." || rec.Name == u"..") continue;
    const String withoutDfm = ChangeFileExt(rec.Name, String());
    const String ext = ExtractFileExt(withoutDfm);
    const String code = AnsiUpperCase(ext.empty() ? ext : ext.substr(1));
    if (IsSystemLanguageCode(code)) languageList_->Add(code);
  }
  FindClose(rec);
}

String TLanguageResourceManagerEh::AutoselectLanguage(LCID lcid) const {
  String code = GetSuffixForLocale(lcid);
  if (!code.empty() && IndexOfLanguage(code) >= 0) return code;
  code = GetSuffixForLocale(lcid & 0x3FF);
  if (code.empty())
    for (const TSystemLanguage& language : kSystemLanguages)
      if ((language.Lcid & 0x3FF) == (lcid & 0x3FF)) {
        code = language.Abbr;
        break;
      }
  if (!code.empty() && IndexOfLanguage(code) >= 0) return code;
  if (languageList_->GetCount() > 0 && IndexOfLanguage(u"ENU") >= 0) return u"ENU";
  return String();
}

String TLanguageResourceManagerEh::AutoselectLanguage() {
  String code = AutoselectLanguage(GetThreadLocale());
  if (OnAutoselectLanguage) OnAutoselectLanguage(this, code);
  return code;
}

String TLanguageResourceManagerEh::GetSuffixForLocale(LCID lcid) {
  for (const TSystemLanguage& language : kSystemLanguages)
    if (language.Lcid == lcid) return language.Abbr;
  return String();
}

String TLanguageResourceManagerEh::GetNativeLanguageName(const String& languageAbbr) {
  for (const TSystemLanguage& language : kSystemLanguages)
    if (languageAbbr == language.Abbr) return language.NativeName;
  return String();
}

LCID TLanguageResourceManagerEh::GetThreadLocale() {
  const String& abbr = LocaleInfo().LanguageAbbreviation;
  for (const TSystemLanguage& language : kSystemLanguages)
    if (abbr == language.Abbr) return language.Lcid;
  return 0x0409;
}

TLanguageResourceManagerEh* GetLanguageResourceManagerEh() {
  static const std::unique_ptr<TLanguageResourceManagerEh> manager =
      std::make_unique<TLanguageResourceManagerEh>();
  return manager.get();
}
