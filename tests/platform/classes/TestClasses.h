// Small component classes the classes tests stream, own and notify: a form with handlers, controls
// with a sub-object, an event and a reference, and a grid with a collection and a defined property.
#pragma once

#include <vector>

#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/StringList.h"
#include "platform/classes/TypInfo.h"

enum TTestStyle { stNormal, stDialog, stTool };
enum TTestOption { opTitles, opLines, opRowSelect, opMultiSelect };
using TTestOptions = TSet<TTestOption>;

inline const TTypeInfo TestStyleType = TTypeInfo::Enum(u"TTestStyle", {u"stNormal", u"stDialog", u"stTool"});
inline const TTypeInfo TestOptionType =
    TTypeInfo::Enum(u"TTestOption", {u"opTitles", u"opLines", u"opRowSelect", u"opMultiSelect"});
inline const TTypeInfo TestOptionsType = TTypeInfo::Set(u"TTestOptions", &TestOptionType);

// Records the order of Loaded calls and of destructions across a test.
std::vector<String>& TestLog();

class TTestFont : public TPersistent {
  KIV_CLASS(TTestFont, TPersistent)
 public:
  static void Published(TPropBuilder<TTestFont>& p) {
    p.Str(u"Name", &TTestFont::Name, &TTestFont::Name);
    p.Int(u"Size", &TTestFont::Size, &TTestFont::Size).Default(8);
  }
  void Assign(TPersistent* source) override {
    if (auto* f = dynamic_cast<TTestFont*>(source)) {
      Name = f->Name;
      Size = f->Size;
      return;
    }
    TPersistent::Assign(source);
  }
  String Name;
  int Size = 8;
};

class TTestControl : public TComponent {
  KIV_CLASS(TTestControl, TComponent)
 public:
  explicit TTestControl(TComponent* owner) : TComponent(owner) {}
  ~TTestControl() override { TestLog().push_back(u"free " + GetName()); }

  static void Published(TPropBuilder<TTestControl>& p) {
    p.Str(u"Caption", &TTestControl::caption, &TTestControl::caption);
    p.Int(u"Width", &TTestControl::width, &TTestControl::width).Default(0);
    p.Bool(u"Default", &TTestControl::isDefault, &TTestControl::isDefault).Default(false);
    p.Object(u"Font", &TTestControl::GetFont, &TTestControl::SetFont);
    p.Object(u"Buddy", &TTestControl::GetBuddy, &TTestControl::SetBuddy);
    p.Event(u"OnClick", &TTestControl::OnClick);
  }

  TTestFont* GetFont() const { return const_cast<TTestFont*>(&font_); }
  void SetFont(TTestFont* f) { font_.Assign(f); }
  TTestControl* GetBuddy() const { return buddy_; }
  void SetBuddy(TTestControl* b) {
    if (buddy_) buddy_->RemoveFreeNotification(this);
    buddy_ = b;
    if (b) b->FreeNotification(this);
  }
  void Loaded() override {
    TComponent::Loaded();
    TestLog().push_back(u"loaded " + GetName());
  }

  String caption;
  int width = 0;
  bool isDefault = false;
  TNotifyEvent OnClick;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == buddy_) buddy_ = nullptr;
  }

 private:
  TTestFont font_;
  TTestControl* buddy_ = nullptr;
};

class TTestColumnTitle : public TPersistent {
  KIV_CLASS(TTestColumnTitle, TPersistent)
 public:
  static void Published(TPropBuilder<TTestColumnTitle>& p) {
    p.Str(u"Caption", &TTestColumnTitle::Caption, &TTestColumnTitle::Caption);
  }
  String Caption;
};

class TTestColumn : public TCollectionItem {
  KIV_CLASS(TTestColumn, TCollectionItem)
 public:
  explicit TTestColumn(TCollection* c) : TCollectionItem(c) {}
  static void Published(TPropBuilder<TTestColumn>& p) {
    p.Str(u"FieldName", &TTestColumn::FieldName, &TTestColumn::FieldName);
    p.Object(u"Title", &TTestColumn::GetTitle, nullptr);
    p.Int(u"Width", &TTestColumn::Width, &TTestColumn::Width).Default(64);
  }
  void Assign(TPersistent* source) override {
    if (auto* c = dynamic_cast<TTestColumn*>(source)) {
      FieldName = c->FieldName;
      Width = c->Width;
      title_.Caption = c->title_.Caption;
      return;
    }
    TCollectionItem::Assign(source);
  }
  String GetDisplayName() const override {
    return FieldName.empty() ? TCollectionItem::GetDisplayName() : FieldName;
  }
  TTestColumnTitle* GetTitle() const { return const_cast<TTestColumnTitle*>(&title_); }

  String FieldName;
  int Width = 64;

 private:
  TTestColumnTitle title_;
};

class TTestGrid : public TComponent {
  KIV_CLASS(TTestGrid, TComponent)
 public:
  explicit TTestGrid(TComponent* owner)
      : TComponent(owner),
        columns_(this, TTestColumn::StaticClass()),
        lines_(std::make_unique<TStringList>()) {}

  static void Published(TPropBuilder<TTestGrid>& p) {
    p.Object(u"Columns", &TTestGrid::GetColumns, &TTestGrid::SetColumns);
    p.Object(u"Lines", &TTestGrid::GetLines, &TTestGrid::SetLines);
  }
  TOwnedCollection* GetColumns() const { return const_cast<TOwnedCollection*>(&columns_); }
  void SetColumns(TOwnedCollection* c) { columns_.Assign(c); }
  TStringList* GetLines() const { return lines_.get(); }
  void SetLines(TStringList* l) { lines_->Assign(l); }

  // Stored as "ColWidths": a list of integers, written only when set.
  std::vector<int> colWidths;
  void DefineProperties(TFiler* filer) override;

 private:
  TOwnedCollection columns_;
  std::unique_ptr<TStringList> lines_;
};

class TTestForm : public TComponent {
  KIV_CLASS(TTestForm, TComponent)
 public:
  explicit TTestForm(TComponent* owner) : TComponent(owner) {}
  ~TTestForm() override { DestroyComponents(); }

  static void Published(TPropBuilder<TTestForm>& p) {
    p.Str(u"Caption", &TTestForm::caption, &TTestForm::caption);
    p.Enum(u"Style", &TestStyleType, &TTestForm::style, &TTestForm::style).Default(stNormal);
    p.Set(u"Options", &TestOptionsType, &TTestForm::options, &TTestForm::options).Default(TTestOptions{});
    p.Event(u"OnActivate", &TTestForm::OnActivate);
    p.Method(u"FormActivate", &TTestForm::FormActivate);
    p.Method(u"Button1Click", &TTestForm::Button1Click);
  }

  void GetChildren(const TGetChildProc& proc, TComponent*) override {
    for (int i = 0; i < GetComponentCount(); ++i) proc(GetComponent(i));
  }
  void Loaded() override {
    TComponent::Loaded();
    TestLog().push_back(u"loaded " + GetName());
  }

  void FormActivate(TObject*) { ++activations; }
  void Button1Click(TObject*) { ++clicks; }

  String caption;
  TTestStyle style = stNormal;
  TTestOptions options;
  TNotifyEvent OnActivate;
  int activations = 0;
  int clicks = 0;
};
