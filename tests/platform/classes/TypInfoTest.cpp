// The published-property registry: lookup and access by name, enumeration and set names, the
// integer-ident hook, inherited and redeclared properties, and read-only properties.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/Utf.h"
#include "platform/rtl/Variant.h"

namespace {

TEST(TypInfoTest, PropertiesByNameWithTheirKinds) {
  TTestForm form(nullptr);
  EXPECT_TRUE(HasPublishedProperty(&form, u"caption"));
  EXPECT_TRUE(IsPublishedProp(&form, u"Tag"));
  EXPECT_FALSE(IsPublishedProp(&form, u"Width"));
  EXPECT_TRUE(PropIsType(&form, u"Style", tkEnumeration));

  SetStrProp(&form, u"Caption", u"Главная");
  EXPECT_EQ(form.caption, u"Главная");
  SetEnumProp(&form, u"Style", u"STTOOL");
  EXPECT_EQ(form.style, stTool);
  EXPECT_EQ(GetEnumProp(&form, u"Style"), u"stTool");
  SetSetProp(&form, u"Options", u"[opLines, opMultiSelect]");
  EXPECT_EQ(GetSetProp(&form, u"Options", true), u"[opLines,opMultiSelect]");
  SetOrdProp(&form, u"Tag", 77);
  EXPECT_EQ(form.GetTag(), 77);

  std::vector<String> names;
  for (const TPropInfo* p : GetPropList(&form)) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<String>{u"Name", u"Tag", u"Caption", u"Style", u"Options", u"OnActivate"}));
}

TEST(TypInfoTest, WrongNamesKindsAndElementsRaise) {
  TTestForm form(nullptr);
  try {
    GetOrdProp(&form, u"Colour");
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Property Colour does not exist");
  }
  EXPECT_THROW(GetFloatProp(&form, u"Caption"), EPropertyConvertError);
  EXPECT_THROW(SetEnumProp(&form, u"Style", u"stHuge"), EPropertyConvertError);
  try {
    StringToSet(&TestOptionsType, u"opTitles,opNone");
    FAIL();
  } catch (const EPropertyConvertError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Invalid property element: opNone");
  }
  TTestColumn column(nullptr);
  const TPropInfo* title = GetPropInfo(&column, u"Title");
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->IsReadOnly());
  EXPECT_THROW(SetObjectProp(&column, title, nullptr), EPropertyError);
  EXPECT_EQ(GetObjectProp(&column, u"Title"), column.GetTitle());
}

TEST(TypInfoTest, VariantsAndHandlersByName) {
  TTestForm form(nullptr);
  SetVariantProp(&form, u"Style", Variant(u"stDialog"));
  EXPECT_EQ(form.style, stDialog);
  SetVariantProp(&form, u"Tag", Variant(12));
  EXPECT_EQ(GetVariantProp(&form, u"Tag").AsInteger(), 12);
  EXPECT_EQ(GetVariantProp(&form, u"Style").AsString(), u"stDialog");
  SetVariantProp(&form, u"Caption", Variant::Null());
  EXPECT_EQ(form.caption, u"");

  TNotifyEvent handler = MethodAddress<void(TObject*)>(&form, u"button1click");
  ASSERT_TRUE(Assigned(handler));
  handler(nullptr);
  EXPECT_EQ(form.clicks, 1);
  EXPECT_EQ(MethodName(&form, handler), u"Button1Click");
  EXPECT_FALSE(Assigned(MethodAddress<void(TObject*)>(&form, u"NoSuch")));
  EXPECT_FALSE(Assigned(MethodAddress<void(TObject*, int)>(&form, u"Button1Click")));
  TTestForm other(nullptr);
  EXPECT_EQ(MethodName(&form, TNotifyEvent(&other, &TTestForm::Button1Click)), u"");
}

TEST(TypInfoTest, EnumerationAndSetNames) {
  EXPECT_EQ(GetEnumName(&TestStyleType, 1), u"stDialog");
  EXPECT_EQ(GetEnumName(&TestStyleType, 9), u"9");
  EXPECT_EQ(GetEnumValue(&TestStyleType, u"sttool"), 2);
  EXPECT_EQ(GetEnumValue(&TestStyleType, u"x"), -1);
  EXPECT_EQ(GetEnumName(TypeInfoBoolean(), 1), u"True");
  EXPECT_EQ(SetToString(&TestOptionsType, 0b1010), u"opLines,opMultiSelect");
  EXPECT_EQ(StringToSet(&TestOptionsType, u" [ opTitles , opLines ] "), 0b11);
  EXPECT_EQ(StringToSet(&TestOptionsType, u"[]"), 0);
}

// An integer type with idents, as the colour type will register its names.
const TTypeInfo ShadeType = TTypeInfo::Integer(u"TTestShade");

class TShaded : public TComponent {
  KIV_CLASS(TShaded, TComponent)
 public:
  explicit TShaded(TComponent* o) : TComponent(o) {}
  int shade = 0;
  double ratio = 0;

 private:
  // Private on purpose: the registry must still find it.
  static void Published(TPropBuilder<TShaded>& p) {
    p.IntIdent(u"Shade", &ShadeType, &TShaded::shade, &TShaded::shade).Default(0);
    p.Float(u"Ratio", &TShaded::ratio, &TShaded::ratio);
    // Redeclared with another default: keeps its place in the list.
    p.Int(u"Tag", &TShaded::GetTag, &TShaded::SetTag).Default(5);
  }
};

TEST(TypInfoTest, IntegerIdentsAreWrittenAsNamesAndReadBack) {
  RegisterIntegerConsts(
      u"TTestShade",
      [](const String& ident, Integer& v) {
        if (ident != u"shDark") return false;
        v = 0x202020;
        return true;
      },
      [](Integer v, String& ident) {
        if (v != 0x202020) return false;
        ident = u"shDark";
        return true;
      });
  TShaded shaded(nullptr);
  shaded.SetName(u"S");
  shaded.shade = 0x202020;
  shaded.ratio = 0.25;
  EXPECT_EQ(GetPropInfo(&shaded, u"Tag")->Default, 5);
  EXPECT_EQ(GetPropList(&shaded)[1]->Name, u"Tag");
  TMemoryStream s;
  s.WriteComponent(&shaded);
  TMemoryStream text;
  s.SetPosition(0);
  ObjectBinaryToText(&s, &text);
  std::string t(static_cast<const char*>(text.Memory()), static_cast<size_t>(text.GetSize()));
  EXPECT_EQ(t, "object S: TShaded\r\n  Tag = 0\r\n  Shade = shDark\r\n  Ratio = 0.25\r\nend\r\n");
  s.SetPosition(0);
  TShaded back(nullptr);
  s.ReadComponent(&back);
  EXPECT_EQ(back.shade, 0x202020);
  EXPECT_DOUBLE_EQ(back.ratio, 0.25);
  EXPECT_DOUBLE_EQ(static_cast<double>(GetFloatProp(&back, u"Ratio")), 0.25);
}
}  // namespace
