// Named-variable bags: the placeholder that joins the bag on first write, name rules, change
// notification, comparison, and the text form of the string bag.
#include <gtest/gtest.h>

#include "gridlib/base/DynVarsEh.h"
#include "gridlib/base/GridLibLangConsts.h"
#include "platform/rtl/Format.h"

namespace {

TEST(DynVarsTest, PlaceholderJoinsTheBagOnFirstWrite) {
  TDynVarsEh bag(nullptr);
  TDynVarEh* x = bag.GetDynVar(u"X");
  EXPECT_TRUE(x->GetIsNull());
  EXPECT_EQ(x->GetAsInteger(), 0);
  EXPECT_EQ(x->GetName(), u"X");
  EXPECT_EQ(bag.GetCount(), 0);
  EXPECT_EQ(bag.GetDynVar(u"Y"), x) << "a missing name always answers the one placeholder";

  x = bag.GetDynVar(u"X");
  x->SetAsInteger(5);
  ASSERT_EQ(bag.GetCount(), 1);
  EXPECT_EQ(bag.GetDynVar(u"x"), x);
  EXPECT_EQ(bag.GetDynVar(u"x")->GetAsInteger(), 5);
  EXPECT_NE(bag.GetDynVar(u"other"), x) << "a new placeholder stands in for the next missing name";
  EXPECT_EQ(bag.GetCount(), 1);
}

TEST(DynVarsTest, PlaceholderOfANameCreatedMeanwhileRaisesDuplicate) {
  TDynVarsEh bag(nullptr);
  TDynVarEh* dummy = bag.GetDynVar(u"A");
  bag.CreateDynVar(u"a", Variant(1));
  EXPECT_THROW(dummy->SetAsInteger(2), Exception);
  EXPECT_EQ(bag.GetCount(), 1);
  EXPECT_EQ(bag.GetItem(0)->GetAsInteger(), 1);
}

TEST(DynVarsTest, DuplicateNamesRaiseTheLanguageText) {
  TDynVarsEh bag(nullptr);
  bag.CreateDynVar(u"A", Variant(1));
  const String expected = Format(GetGridLibLanguageConsts()->GetDuplicateVarNameEh(), {String(u"a")});
  try {
    bag.CreateDynVar(u"a", Variant(2));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), expected);
  }
  TDynVarEh* b = bag.CreateDynVar(u"B", Variant(2));
  EXPECT_THROW(b->SetName(u"A"), Exception);
  b->SetName(u"b");
  EXPECT_EQ(b->GetName(), u"b");
}

TEST(DynVarsTest, AsStringIsSilentWhileValueAndAsIntegerNotify) {
  TDynVarsEh bag(nullptr);
  TDynVarEh* v = bag.CreateDynVar(u"v", Variant(1));
  int changes = 0;
  bag.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &bag);
    ++changes;
  };
  v->SetAsString(u"text");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(v->GetAsString(), u"text");
  v->SetValue(Variant(3));
  EXPECT_EQ(changes, 1);
  v->SetAsInteger(4);
  EXPECT_EQ(changes, 2);
}

TEST(DynVarsTest, ObjectReferenceSurvivesA64BitAddress) {
  TDynVarsEh bag(nullptr);
  TObject object;
  bag.GetDynVar(u"Column")->SetAsRefObject(&object);
  EXPECT_EQ(bag.GetDynVar(u"Column")->GetAsRefObject(), &object);
  bag.CreateDynVar(u"Other", &object);
  EXPECT_EQ(bag.FindDynVar(u"other")->GetAsRefObject(), &object);
}

TEST(DynVarsTest, IsEqualComparesInOrderAndDisplayNameShowsValues) {
  TDynVarsEh a(nullptr);
  TDynVarsEh b(nullptr);
  a.CreateDynVar(u"x", Variant(1));
  a.CreateDynVar(u"y", Variant(u"s"));
  b.CreateDynVar(u"y", Variant(u"s"));
  b.CreateDynVar(u"x", Variant(1));
  EXPECT_FALSE(a.IsEqual(&b));
  TDynVarsEh c(nullptr);
  c.Assign(&a);
  EXPECT_TRUE(a.IsEqual(&c));

  TDynVarsEh d(nullptr);
  EXPECT_EQ(d.CreateDynVar(u"n", Variant::Null())->GetDisplayName(), u"n=(Null)");
  EXPECT_EQ(d.CreateDynVar(u"e", Variant())->GetDisplayName(), u"e=(Empty)");
  EXPECT_EQ(d.CreateDynVar(u"", Variant(7))->GetDisplayName(), u"(EmptyName)=7");
}

TEST(DynVarsTest, AssignValuesTakesOnlyCommonNames) {
  TDynVarsEh target(nullptr);
  target.CreateDynVar(u"a", Variant(1));
  target.CreateDynVar(u"b", Variant(2));
  TDynVarsEh source(nullptr);
  source.CreateDynVar(u"B", Variant(20));
  source.CreateDynVar(u"c", Variant(30));
  target.AssignValues(&source);
  ASSERT_EQ(target.GetCount(), 2);
  EXPECT_EQ(target.GetItem(0)->GetAsInteger(), 1);
  EXPECT_EQ(target.GetItem(1)->GetName(), u"B");
  EXPECT_EQ(target.GetItem(1)->GetAsInteger(), 20);
}

TEST(StringVarsTest, TextFormRoundTripsAndMissingNamesRaise) {
  TStringVarsEh bag(nullptr);
  bag.CreateDynVar(u"a", u"1");
  bag.CreateDynVar(u"b", u"x=y");
  EXPECT_EQ(bag.GetAsTextString(), u"a=1\r\nb=x=y\r\n");

  TStringVarsEh copy(nullptr);
  copy.SetFromTextString(bag.GetAsTextString());
  EXPECT_TRUE(copy.IsEqual(&bag));
  EXPECT_EQ(copy.GetVarValue(u"B"), u"x=y");

  try {
    copy.GetVarValue(u"zz");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"A Variable named 'zz' doesn't exist in the Collection 'TStringVarsEh'");
  }
  EXPECT_THROW(copy.SetFromTextString(u"k=1\nK=2\nm=3"), Exception);
  ASSERT_EQ(copy.GetCount(), 1) << "the variables before the repeated name stay";
  EXPECT_EQ(copy.GetVarValue(u"k"), u"1");
}

}  // namespace
