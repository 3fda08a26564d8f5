// The language manager of the grid library: replaces the texts of registered components with a
// translation from language files or linked-in resources, then tells listeners and open forms.
#pragma once

#include <memory>

#include "gridlib/base/GridLibCore.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/StringList.h"

// A component told that new texts were loaded into it or that the active language changed.
class ILanguageResourceLoadNotificationConsumer : public IInterface {
 public:
  virtual void ResourceLanguageChanged() = 0;
};

enum TLanguageResourcePlacementEh { lrpExternalEh, lrpEmbeddedEh };

using TAutoselectResourceLanguageEh = TDelegate<void(TObject* Sender, String& LanguageAbbr)>;

// One registration: the component whose published properties receive the texts.
class TResObjectEh : public TObject {
  KIV_CLASS(TResObjectEh, TObject)
 public:
  TComponent* RefResObject = nullptr;
  String ResourceName;
  String ExtResourceFileName;
  String DefaultResourceLanguage;
};

// Locale identifiers as the system numbers them (primary language in the low ten bits).
using LCID = Cardinal;

class TLanguageResourceManagerEh : public TPersistent {
  KIV_CLASS(TLanguageResourceManagerEh, TPersistent)
 public:
  TLanguageResourceManagerEh();
  ~TLanguageResourceManagerEh() override;

  TStringList* GetLanguageList() const { return languageList_.get(); }
  const String& GetActiveLanguageAbbr() const { return activeLanguageAbbr_; }
  // Raises "Language "X" is not supported" for a code missing from LanguageList.
  void SetActiveLanguageAbbr(const String& value);
  const String& GetResourceFolderPath() const { return resourceFolderPath_; }
  void SetResourceFolderPath(const String& value) { resourceFolderPath_ = value; }
  TLanguageResourcePlacementEh GetResourcePlacement() const { return resourcePlacement_; }
  void SetResourcePlacement(TLanguageResourcePlacementEh value) { resourcePlacement_ = value; }
  Integer GetResObjectCount() const { return locObjects_.GetCount(); }
  TResObjectEh* GetResObject(Integer index) const {
    return static_cast<TResObjectEh*>(locObjects_.Get(index));
  }

  void AddLocalizableObject(TComponent* component, const String& resourceName,
                            const String& extResourceFileName, const String& defaultResourceLanguage);
  void DeleteLocalizableObject(TComponent* component);
  void AddChangeNotifyConsumer(TComponent* component, const String& defaultResourceLanguage);
  void DeleteChangeNotifyConsumer(TComponent* component);
  void NotifyConsumerChange(TComponent* component);
  // Every listener in order, then WM_WININICHANGE to every form and the controls it owns.
  void NotifyAllConsumersChange();

  void ReadObjectResource(TResObjectEh* objectRes);
  // Raises "ActiveLanguage is not defined" without an active language; a missing file is no error.
  void ReadComponentExternalResource(TComponent* component, const String& resourceName);
  void ReadComponentEmbeddedResource(TComponent* component);
  void ReadComponentResource(TComponent* component, const String& resourceName);
  // Binary or text form; "Invalid stream format." for anything else. Unknown properties and bad values
  // are reported once, through the application's exception handler, and the other properties apply.
  void ReadComponentFromStream(TComponent* component, TStream* stream);

  void LoadListOfAvailableLanguages(const String& baseFileName);
  Integer IndexOfLanguage(const String& langId) const { return languageList_->IndexOf(langId); }
  String AutoselectLanguage(LCID lcid) const;
  String AutoselectLanguage();
  static String GetSuffixForLocale(LCID lcid);
  static String GetNativeLanguageName(const String& languageAbbr);
  // The locale the program runs under (the process-wide profile).
  static LCID GetThreadLocale();

  TAutoselectResourceLanguageEh OnAutoselectLanguage;

 protected:
  virtual void ActiveLanguageChanged();

 private:
  std::unique_ptr<TStringList> languageList_;
  TObjectListEh locObjects_;
  TObjectListEh changeNotifyConsumers_;
  String activeLanguageAbbr_;
  String resourceFolderPath_;
  TLanguageResourcePlacementEh resourcePlacement_ = lrpExternalEh;
};

// The one manager of the process, made on first use.
TLanguageResourceManagerEh* GetLanguageResourceManagerEh();
