// Export filters: the base through which a report run feeds a filter, and the library of filter
// classes.
#include "reportlib/output/QRExportFilter.h"

#include <algorithm>

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

String QRCurrentControlName;
String QRCurrentBandName;

TQRExportFilter::TQRExportFilter(const String& filename)
    : filename_(filename), finalDoc_(std::make_unique<TStringList>()) {}

TQRExportFilter::~TQRExportFilter() = default;

String TQRExportFilter::GetDescription() const { return u"Abstract non-working export filter"; }
String TQRExportFilter::GetName() const { return u"Abstract filter"; }
String TQRExportFilter::GetVendor() const { return u"KIV.ERP report library"; }

void TQRExportFilter::Start(Integer, Integer, TFont*) { active_ = true; }
void TQRExportFilter::Finish() { active_ = false; }

void TQRExportFilter::AcceptGraphic(Extended Xoff, Extended Yoff, TControl* GControl) {
  const auto* source = dynamic_cast<const IQRExportGraphic*>(GControl);
  if (!source) return;
  TQRExportShape shape;
  if (source->GetExportShape(shape)) {
    if (shape.Name.empty()) shape.Name = GControl->GetName();
    AcceptShape(Xoff, Yoff, shape);
    return;
  }
  TQRExportPicture picture;
  if (source->GetExportPicture(picture)) {
    if (picture.Name.empty()) picture.Name = GControl->GetName();
    AcceptPicture(Xoff, Yoff, picture);
  }
}

void TQRExportFilter::TextOut(Extended, Extended, TFont*, TColor, TAlignment, const String&) {}
void TQRExportFilter::TextOutRec(const TExportInfoRec&) {}

namespace {
thread_local int probing = 0;

// A filter made only to be asked its name and extension.
std::unique_ptr<TQRExportFilter> Probe(TQRExportFilterClass filterClass) {
  ++probing;
  auto restore = MakeScopeExit([] { --probing; });
  return filterClass->Create(String());
}
}  // namespace

bool TQRExportFilterLibrary::Probing() { return probing > 0; }

void TQRExportFilterLibrary::AddFilter(TQRExportFilterClass AFilter) {
  auto entry = std::make_unique<TQRExportFilterLibraryEntry>();
  {
    std::unique_ptr<TQRExportFilter> probe = Probe(AFilter);
    entry->ExportFilterClass = AFilter;
    entry->FilterName = probe->GetName();
    entry->Extension = probe->GetFileExtension();
  }
  const String& className = AFilter->Class->ClassName();
  for (const auto& e : filters_)
    if (e->ExportFilterClass->Class->ClassName() == className) return;
  filters_.push_back(std::move(entry));
}

void TQRExportFilterLibrary::RemoveFilter(TQRExportFilterClass AFilter) {
  const String name = Probe(AFilter)->GetName();
  auto it =
      std::find_if(filters_.begin(), filters_.end(), [&](const auto& e) { return e->FilterName == name; });
  if (it != filters_.end()) filters_.erase(it);
}

TQRExportFilterLibraryEntry* TQRExportFilterLibrary::GetFilterByExtension(const String& fext) const {
  for (const auto& e : filters_)
    if (SameText(e->Extension, fext)) return e.get();
  return nullptr;
}

String TQRExportFilterLibrary::GetSaveDialogFilterString() const {
  String s = u"VaruzUvuzed file(*.QRP)|*.QRP";
  for (const auto& e : filters_) s += u"|" + e->FilterName + u" (*." + e->Extension + u")|*." + e->Extension;
  return s;
}

TQRExportFilterLibrary* QRExportFilterLibrary() {
  static TQRExportFilterLibrary library;
  return &library;
}

Integer SubstringPos(const String& str, const String& text) { return Pos(str, text); }
