// TObject's type information and class registry, TPersistent's assignment rule, delegates, and
// TComponent's ownership, naming and free notification.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "platform/rtl/Utf.h"

namespace {

class TPlain : public TObject {
  KIV_CLASS(TPlain, TObject)
};

class TAbstractShape : public TPersistent {
  KIV_CLASS(TAbstractShape, TPersistent)
 public:
  virtual int Corners() const = 0;
};

class TSquare : public TAbstractShape {
  KIV_CLASS(TSquare, TAbstractShape)
 public:
  int Corners() const override { return 4; }
};

struct IPrintable {
  virtual ~IPrintable() = default;
  virtual String Print() const = 0;
};

class TReport : public TComponent, public IPrintable {
  KIV_CLASS(TReport, TComponent)
 public:
  explicit TReport(TComponent* owner) : TComponent(owner) {}
  String Print() const override { return u"report"; }
};

TEST(ObjectTest, ClassInformationAndFactories) {
  TSquare square;
  EXPECT_EQ(square.ClassName(), u"TSquare");
  EXPECT_EQ(square.ClassParent(), TAbstractShape::StaticClass());
  EXPECT_TRUE(square.InheritsFrom(TPersistent::StaticClass()));
  EXPECT_FALSE(TPersistent::StaticClass()->InheritsFrom(TSquare::StaticClass()));

  TClass cls = TSquare::StaticClass();
  std::unique_ptr<TAbstractShape> made(cls->Create<TAbstractShape>());
  EXPECT_EQ(made->Corners(), 4);
  EXPECT_FALSE(TAbstractShape::StaticClass()->CanCreate());
  EXPECT_THROW(TAbstractShape::StaticClass()->NewInstance(), EAbstractError);
  EXPECT_THROW(TPlain::StaticClass()->Create<TPersistent>(), EInvalidCast);

  TComponent owner(nullptr);
  TComponent* c = TReport::StaticClass()->Create<TComponent>(&owner);
  EXPECT_EQ(c->GetOwner(), &owner);
}

TEST(ObjectTest, RegistryFindsClassesByNameInAnyCase) {
  RegisterClasses({TSquare::StaticClass(), TReport::StaticClass()});
  RegisterClass(TSquare::StaticClass());  // again: harmless
  EXPECT_EQ(FindClass(u"tsquare"), TSquare::StaticClass());
  EXPECT_EQ(GetClass(u"TNoSuchThing"), nullptr);
  try {
    FindClass(u"TNoSuchThing");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Class 'TNoSuchThing' is not registered");
  }
  RegisterClassAlias(TSquare::StaticClass(), u"TBox");
  EXPECT_EQ(FindClass(u"TBox"), TSquare::StaticClass());
  EXPECT_THROW(RegisterClassAlias(TReport::StaticClass(), u"TBox"), EFilerError);
  UnRegisterClass(TSquare::StaticClass());
  EXPECT_EQ(GetClass(u"TSquare"), nullptr);
  EXPECT_EQ(GetClass(u"TBox"), nullptr);
}

TEST(ObjectTest, SupportsAndFreeAndNil) {
  TReport report(nullptr);
  IPrintable* printable = nullptr;
  EXPECT_TRUE(Supports(static_cast<TObject*>(&report), &printable));
  EXPECT_EQ(printable->Print(), u"report");
  TSquare square;
  EXPECT_FALSE(Supports<IPrintable>(static_cast<TObject*>(&square)));

  auto* p = new TSquare;
  FreeAndNil(p);
  EXPECT_EQ(p, nullptr);
  FreeAndNil(p);  // nil-safe
}

TEST(ObjectTest, AssignWithoutAConversionNamesBothClasses) {
  TSquare square;
  TTestFont font;
  try {
    font.Assign(&square);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Cannot assign a TSquare to a TTestFont");
  }
}

TEST(DelegateTest, BoundDelegatesCompareByObjectAndMethod) {
  TTestForm a(nullptr), b(nullptr);
  TNotifyEvent e1(&a, &TTestForm::Button1Click);
  TNotifyEvent e2(&a, &TTestForm::Button1Click);
  TNotifyEvent other(&a, &TTestForm::FormActivate);
  TNotifyEvent onB(&b, &TTestForm::Button1Click);
  EXPECT_TRUE(e1 == e2);
  EXPECT_FALSE(e1 == other);
  EXPECT_FALSE(e1 == onB);
  EXPECT_EQ(e1.Object(), &a);

  TNotifyEvent saved = e1;  // save and put back, as handlers are swapped for a while
  e1 = nullptr;
  EXPECT_FALSE(Assigned(e1));
  EXPECT_THROW(e1(nullptr), EInvalidOperation);
  e1 = saved;
  e1(nullptr);
  EXPECT_EQ(a.clicks, 1);

  int calls = 0;
  TNotifyEvent lambda = [&calls](TObject*) { ++calls; };
  TNotifyEvent copy = lambda;
  TNotifyEvent another = [&calls](TObject*) { ++calls; };
  EXPECT_TRUE(lambda == copy);
  EXPECT_FALSE(lambda == another);
  copy(nullptr);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(TNotifyEvent() == TNotifyEvent(nullptr));
}

TEST(ComponentTest, OwnerFreesItsComponentsLastFirstAndReferrersHear) {
  TestLog().clear();
  TTestControl outsider(nullptr);
  outsider.SetName(u"Outsider");
  {
    auto* form = new TTestForm(nullptr);
    auto* first = new TTestControl(form);
    first->SetName(u"First");
    auto* second = new TTestControl(form);
    second->SetName(u"Second");
    outsider.SetBuddy(first);
    second->SetBuddy(first);
    EXPECT_EQ(form->GetComponentCount(), 2);
    EXPECT_EQ(second->GetComponentIndex(), 1);
    delete form;
  }
  EXPECT_EQ(TestLog(), (std::vector<String>{u"free Second", u"free First"}));
  EXPECT_EQ(outsider.GetBuddy(), nullptr);
}

TEST(ComponentTest, FreeingAComponentLeavesItsOwnerAndNotifies) {
  TComponent owner(nullptr);
  auto* target = new TTestControl(&owner);
  target->SetName(u"Target");
  TTestControl referrer(nullptr);
  referrer.SetBuddy(target);
  delete target;
  EXPECT_EQ(owner.GetComponentCount(), 0);
  EXPECT_EQ(referrer.GetBuddy(), nullptr);
  // Removing the reference stops the notification both ways.
  auto* again = new TTestControl(&owner);
  referrer.SetBuddy(again);
  referrer.SetBuddy(nullptr);
  delete again;
  EXPECT_EQ(referrer.GetBuddy(), nullptr);
}

TEST(ComponentTest, NamesMustBeValidAndUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName(u"Edit1");
  struct Bad {
    const Char* name;
    const char* message;
  };
  const Bad bad[] = {
      {u"1Edit", "'1Edit' is not a valid component name"},
      {u"Edit 2", "'Edit 2' is not a valid component name"},
      {u"edit1", "A component named edit1 already exists"},
  };
  for (const auto& c : bad) {
    try {
      b->SetName(c.name);
      FAIL() << c.message;
    } catch (const EComponentError& e) {
      EXPECT_EQ(StringToUtf8(e.Message()), c.message);
    }
  }
  b->SetName(u"Поле_1");
  a->SetName(u"EDIT1");  // renaming itself in another case is fine
  EXPECT_EQ(owner.FindComponent(u"edit1"), a);
  // Names compare without case for Latin letters, as the class library compares them.
  EXPECT_EQ(owner.FindComponent(u"Поле_1"), b);
  EXPECT_EQ(owner.FindComponent(u""), nullptr);
  EXPECT_EQ(UniqueComponentName(&owner, u"EDIT"), u"EDIT2");
  b->SetName(u"");
  EXPECT_EQ(owner.FindComponent(u"Поле_1"), nullptr);
}

TEST(ComponentTest, InsertAndRemoveMoveOwnershipAndNotifyTheOwner) {
  struct Watcher : TComponent {
    explicit Watcher(TComponent* o) : TComponent(o) {}
    std::vector<std::pair<TComponent*, TOperation>> seen;
    void Notification(TComponent* c, TOperation op) override {
      TComponent::Notification(c, op);
      seen.emplace_back(c, op);
    }
  };
  Watcher first(nullptr), second(nullptr);
  auto* c = new TComponent(&first);
  second.InsertComponent(c);
  EXPECT_EQ(c->GetOwner(), &second);
  EXPECT_EQ(first.GetComponentCount(), 0);
  EXPECT_EQ(first.seen.back(), std::make_pair(c, opRemove));
  EXPECT_EQ(second.seen.back(), std::make_pair(c, opInsert));
  second.RemoveComponent(c);
  EXPECT_EQ(c->GetOwner(), nullptr);
  delete c;

  auto* x = new TComponent(&first);
  x->SetName(u"Dup");
  auto* y = new TComponent(&second);
  y->SetName(u"DUP");
  EXPECT_THROW(second.InsertComponent(x), EComponentError);
  EXPECT_EQ(x->GetOwner(), &first);
}

TEST(ComponentTest, DestroyingStateReachesOwnedComponents) {
  struct Probe : TComponent {
    explicit Probe(TComponent* o, bool* flag) : TComponent(o), flag_(flag) {}
    ~Probe() override { *flag_ = GetComponentState().Contains(csDestroying); }
    bool* flag_;
  };
  bool sawDestroying = false;
  auto* owner = new TComponent(nullptr);
  new Probe(owner, &sawDestroying);
  delete owner;
  EXPECT_TRUE(sawDestroying);
}
}  // namespace
