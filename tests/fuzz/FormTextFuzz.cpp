// Fuzz target for the form-resource reader: text (or binary) component streams read into a small
// tree of components. Any input must end in success or an Exception, and text that converts to the
// binary form must come back to the same bytes after a trip through text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/classes/Collection.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/Variant.h"

namespace {
enum TFuzzKind { fkOne, fkTwo, fkThree };
using TFuzzKinds = TSet<TFuzzKind>;
const TTypeInfo FuzzKindType = TTypeInfo::Enum(u"TFuzzKind", {u"fkOne", u"fkTwo", u"fkThree"});
const TTypeInfo FuzzKindsType = TTypeInfo::Set(u"TFuzzKinds", &FuzzKindType);

class TFuzzFont : public TPersistent {
  KIV_CLASS(TFuzzFont, TPersistent)
 public:
  static void Published(TPropBuilder<TFuzzFont>& p) {
    p.Str(u"Name", &TFuzzFont::name, &TFuzzFont::name);
    p.Int(u"Size", &TFuzzFont::size, &TFuzzFont::size).Default(8);
    p.Set(u"Style", &FuzzKindsType, &TFuzzFont::style, &TFuzzFont::style);
  }
  String name;
  int size = 8;
  TFuzzKinds style;
};

class TFuzzItem : public TCollectionItem {
  KIV_CLASS(TFuzzItem, TCollectionItem)
 public:
  explicit TFuzzItem(TCollection* c) : TCollectionItem(c), lines_(std::make_unique<TStringList>()) {}
  static void Published(TPropBuilder<TFuzzItem>& p);
  TFuzzFont* GetFont() const { return const_cast<TFuzzFont*>(&font_); }
  TStringList* GetLines() const { return lines_.get(); }
  TComponent* GetLink() const { return link_; }
  void SetLink(TComponent* c) { link_ = c; }
  TCollection* GetSub() const { return sub_.get(); }
  String caption;
  Extended ratio = 0;

 private:
  TFuzzFont font_;
  std::unique_ptr<TStringList> lines_;
  TComponent* link_ = nullptr;
  std::unique_ptr<TCollection> sub_ = std::make_unique<TCollection>(TFuzzItem::StaticClass());
};

void TFuzzItem::Published(TPropBuilder<TFuzzItem>& p) {
  p.Str(u"Caption", &TFuzzItem::caption, &TFuzzItem::caption);
  p.Float(u"Ratio", &TFuzzItem::ratio, &TFuzzItem::ratio);
  p.Object(u"Font", &TFuzzItem::GetFont, nullptr);
  p.Object(u"Lines", &TFuzzItem::GetLines, nullptr);
  p.Object(u"Link", &TFuzzItem::GetLink, &TFuzzItem::SetLink);
  p.Object(u"Sub", &TFuzzItem::GetSub, nullptr);
}

class TFuzzControl : public TComponent {
  KIV_CLASS(TFuzzControl, TComponent)
 public:
  explicit TFuzzControl(TComponent* owner) : TComponent(owner), items_(this, TFuzzItem::StaticClass()) {}
  static void Published(TPropBuilder<TFuzzControl>& p) {
    p.Str(u"Caption", &TFuzzControl::caption, &TFuzzControl::caption);
    p.Int(u"Width", &TFuzzControl::width, &TFuzzControl::width).Default(0);
    p.Int64(u"Big", &TFuzzControl::big, &TFuzzControl::big).Default(0);
    p.Bool(u"Enabled", &TFuzzControl::enabled, &TFuzzControl::enabled).Default(true);
    p.Char(u"Mark", &TFuzzControl::mark, &TFuzzControl::mark).Default(0);
    p.Enum(u"Kind", &FuzzKindType, &TFuzzControl::kind, &TFuzzControl::kind).Default(fkOne);
    p.Double(u"Scale", &TFuzzControl::scale, &TFuzzControl::scale);
    p.DateTime(u"When", &TFuzzControl::when, &TFuzzControl::when);
    p.Var(u"Value", &TFuzzControl::value, &TFuzzControl::value);
    p.Object(u"Font", &TFuzzControl::GetFont, nullptr);
    p.Object(u"Items", &TFuzzControl::GetItems, nullptr);
    p.Object(u"Buddy", &TFuzzControl::GetBuddy, &TFuzzControl::SetBuddy);
    p.Event(u"OnClick", &TFuzzControl::OnClick);
  }
  TFuzzFont* GetFont() const { return const_cast<TFuzzFont*>(&font_); }
  TOwnedCollection* GetItems() const { return const_cast<TOwnedCollection*>(&items_); }
  TFuzzControl* GetBuddy() const { return buddy_; }
  void SetBuddy(TFuzzControl* b) {
    if (buddy_) buddy_->RemoveFreeNotification(this);
    buddy_ = b;
    if (b) b->FreeNotification(this);
  }
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineBinaryProperty(
        u"Data", [this](TStream* s) { data = s->ReadAllBytes(); },
        [this](TStream* s) { s->WriteBuffer(data.data(), static_cast<Integer>(data.size())); },
        !data.empty());
  }

  String caption;
  int width = 0;
  Int64 big = 0;
  bool enabled = true;
  Char mark = 0;
  TFuzzKind kind = fkOne;
  double scale = 0;
  TDateTime when = 0;
  Variant value;
  TBytes data;
  TNotifyEvent OnClick;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == buddy_) buddy_ = nullptr;
  }

 private:
  TFuzzFont font_;
  TOwnedCollection items_;
  TFuzzControl* buddy_ = nullptr;
};

class TFuzzForm : public TFuzzControl {
  KIV_CLASS(TFuzzForm, TFuzzControl)
 public:
  explicit TFuzzForm(TComponent* owner) : TFuzzControl(owner) {}
  ~TFuzzForm() override { DestroyComponents(); }
  static void Published(TPropBuilder<TFuzzForm>& p) {
    p.Method(u"Click", &TFuzzForm::Click);
    p.Method(u"Other", &TFuzzForm::Click);
  }
  void GetChildren(const TGetChildProc& proc, TComponent*) override {
    for (int i = 0; i < GetComponentCount(); ++i) proc(GetComponent(i));
  }
  void Click(TObject*) {}
};

const bool registered = [] {
  RegisterClasses({TFuzzForm::StaticClass(), TFuzzControl::StaticClass()});
  return true;
}();

std::string Bytes(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

void ReadTree(TMemoryStream& binary, bool tolerant) {
  binary.SetPosition(0);
  TReader reader(&binary);
  reader.SetTolerant(tolerant);
  std::unique_ptr<TComponent> root(reader.ReadRootComponent(nullptr));
  // Write what was read: the writer must cope with whatever the reader built.
  TMemoryStream again;
  again.WriteComponent(root.get());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream input;
  if (size) input.WriteBuffer(data, static_cast<Integer>(size));
  input.SetPosition(0);
  TMemoryStream binary;
  bool fromText = !(size >= 4 && std::memcmp(data, "TPF0", 4) == 0);
  try {
    if (fromText)
      ObjectTextToBinary(&input, &binary);
    else
      binary.LoadFromStream(&input);
  } catch (const Exception&) {
    return 0;
  }
  if (fromText) {
    // text -> binary -> text -> binary is stable.
    TMemoryStream text, again;
    binary.SetPosition(0);
    ObjectBinaryToText(&binary, &text);
    text.SetPosition(0);
    ObjectTextToBinary(&text, &again);
    if (Bytes(again) != Bytes(binary)) std::abort();
  } else {
    try {
      TMemoryStream text;
      binary.SetPosition(0);
      ObjectBinaryToText(&binary, &text);
    } catch (const Exception&) {
    }
  }
  for (bool tolerant : {false, true}) {
    try {
      ReadTree(binary, tolerant);
    } catch (const Exception&) {
    }
  }
  return 0;
}
