// Test support for the reference-data screens: the forms created and the data module connected as a
// given login, edit screens driven while they are shown modally, and lookups by value in a list.
#pragma once

#include <functional>
#include <string>

#include "tests/app/AppFixture.h"

class TDataSet;

class ScreenTest : public AppTest {
 protected:
  // Creates the forms and connects the data module as login, as "Вход" leaves it.
  void StartAs(const std::string& login);
  // Runs opener; once form is modal, runs inside (which usually presses a button of it) and closes
  // the form if inside left it open. Answers whether form was shown modally.
  bool WhenModal(TForm* form, const std::function<void()>& inside, const std::function<void()>& opener);
  // Moves data to the row whose field holds value; fails the test when there is none.
  void Locate(TDataSet* data, const char16_t* field, const String& value);
};

// As the event dispatch runs a handler: what it raises goes to the application's exception box.
void AsUserEvent(const std::function<void()>& fn);

// Text that breaks a statement built by joining texts.
inline const char16_t* const kHostile = u"O'Brien; DROP TABLE x; --";
