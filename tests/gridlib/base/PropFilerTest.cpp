// Storage property interceptors: a form's placement, state and active control stored into a settings
// keeper through the interceptor that the registry names for forms, and restored into another form.
#include <gtest/gtest.h>

#include "gridlib/base/PropFilerEh.h"
#include "gridlib/base/SettingsKeepersEh.h"
#include "platform/classes/TypInfo.h"
#include "platform/testing/TestSupport.h"

namespace {

std::unique_ptr<TStoragePropertyInterceptor> InterceptorFor(TObject* target) {
  TClass cls = GetPropertyInterceptorClassEh(target->ClassType());
  if (!cls) return nullptr;
  return std::unique_ptr<TStoragePropertyInterceptor>(
      static_cast<TStoragePropertyInterceptor*>(cls->NewInstance(target)));
}

// Writes the interceptor's published properties into the keeper, as the grid's layout storage does:
// integers as integers, enumerations by name, component references by component name.
void Store(TStoragePropertyInterceptor* interceptor, TSettingsKeeperEh& keeper) {
  for (const TPropInfo* info : GetPropList(interceptor)) {
    switch (info->Kind()) {
      case tkInteger:
        keeper.Add(info->Name, static_cast<Integer>(GetOrdProp(interceptor, info)));
        break;
      case tkEnumeration:
        keeper.Add(info->Name, GetEnumProp(interceptor, info->Name));
        break;
      case tkClass:
        if (auto* component = dynamic_cast<TComponent*>(GetObjectProp(interceptor, info)))
          keeper.Add(info->Name, component->GetName());
        break;
      default:
        break;
    }
  }
}

void Restore(const TSettingsKeeperEh& keeper, TStoragePropertyInterceptor* interceptor, TComponent* root) {
  for (const TPropInfo* info : GetPropList(interceptor)) {
    Integer number = 0;
    String text;
    if (info->Kind() == tkInteger && keeper.TryGetIntegerValue(info->Name, number))
      SetOrdProp(interceptor, info, number);
    else if (info->Kind() == tkEnumeration && keeper.TryGetStringValue(info->Name, text))
      SetEnumProp(interceptor, info->Name, text);
    else if (info->Kind() == tkClass && keeper.TryGetStringValue(info->Name, text))
      SetObjectProp(interceptor, info, root->FindComponent(text));
  }
  interceptor->Readed();
}

class PropFilerTest : public ::testing::Test {
 protected:
  void SetUp() override { InitTestApplication(); }
};

TEST_F(PropFilerTest, FormsAreInterceptedStoredAndRestored) {
  TForm source(nullptr);
  source.SetBounds(100, 60, 400, 300);
  source.SetWindowState(wsMaximized);
  auto* edit = new TWinControl(&source);
  edit->SetName(u"Edit1");
  edit->SetParent(&source);
  source.SetActiveControl(edit);

  auto interceptor = InterceptorFor(&source);
  ASSERT_TRUE(interceptor);
  EXPECT_TRUE(dynamic_cast<TFormStoragePropertyInterceptor*>(interceptor.get()));
  EXPECT_TRUE(interceptor->NeedIntercept());
  TSettingsKeeperEh keeper;
  Store(interceptor.get(), keeper);

  Integer value = 0;
  String text;
  ASSERT_TRUE(keeper.TryGetIntegerValue(u"Left", value));
  EXPECT_EQ(value, 100);
  ASSERT_TRUE(keeper.TryGetIntegerValue(u"Width", value));
  EXPECT_EQ(value, 400);
  ASSERT_TRUE(keeper.TryGetIntegerValue(u"PixelsPerInch", value));
  EXPECT_EQ(value, 96);
  ASSERT_TRUE(keeper.TryGetStringValue(u"WindowState", text));
  EXPECT_EQ(text, u"wsMaximized");
  ASSERT_TRUE(keeper.TryGetStringValue(u"ActiveControl", text));
  EXPECT_EQ(text, u"Edit1");

  // Restored into a screen-centred form of the same design: the stored bounds and state win.
  TForm target(nullptr);
  target.SetPosition(poScreenCenter);
  auto* targetEdit = new TWinControl(&target);
  targetEdit->SetName(u"Edit1");
  targetEdit->SetParent(&target);
  Restore(keeper, InterceptorFor(&target).get(), &target);

  EXPECT_EQ(target.GetBoundsRect(), TRect(100, 60, 500, 360));
  EXPECT_EQ(target.GetWindowState(), wsMaximized);
  EXPECT_EQ(target.GetActiveControl(), targetEdit);
  EXPECT_EQ(target.GetPosition(), poDesigned);
}

TEST_F(PropFilerTest, PlacementIsScaledToTheCurrentResolution) {
  // Stored on a 120 dpi screen; this screen has 96.
  TSettingsKeeperEh keeper;
  keeper.Add(u"Left", 125);
  keeper.Add(u"Top", 250);
  keeper.Add(u"Width", 500);
  keeper.Add(u"Height", 375);
  keeper.Add(u"PixelsPerInch", 120);
  keeper.Add(u"WindowState", u"wsNormal");
  TForm form(nullptr);
  Restore(keeper, InterceptorFor(&form).get(), &form);
  EXPECT_EQ(form.GetBoundsRect(), TRect(100, 200, 500, 500));
}

TEST_F(PropFilerTest, CentredFormWithoutStoredPositionStaysCentred) {
  TSettingsKeeperEh keeper;
  keeper.Add(u"Width", 300);
  keeper.Add(u"Height", 200);
  TForm form(nullptr);
  form.SetPosition(poDesktopCenter);
  Restore(keeper, InterceptorFor(&form).get(), &form);
  EXPECT_EQ(form.GetPosition(), poDesktopCenter);
  EXPECT_EQ(form.GetWidth(), 300);
}

TEST(PropertyInterceptorRegistryTest, LatestFittingRegistrationWins) {
  EXPECT_EQ(GetPropertyInterceptorClassEh(TForm::StaticClass()),
            TFormStoragePropertyInterceptor::StaticClass());
  EXPECT_EQ(GetPropertyInterceptorClassEh(TComponent::StaticClass()), nullptr);
  RegisterPropertyInterceptorEh(TForm::StaticClass(), TStoragePropertyInterceptor::StaticClass());
  EXPECT_EQ(GetPropertyInterceptorClassEh(TForm::StaticClass()), TStoragePropertyInterceptor::StaticClass());
  // Registering the form pair again moves it to the end, so it answers for forms once more.
  RegisterPropertyInterceptorEh(TCustomForm::StaticClass(), TFormStoragePropertyInterceptor::StaticClass());
  EXPECT_EQ(GetPropertyInterceptorClassEh(TForm::StaticClass()),
            TFormStoragePropertyInterceptor::StaticClass());
}

}  // namespace
