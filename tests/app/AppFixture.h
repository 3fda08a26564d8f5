// Test support for the accounting core: a fresh database per test for the login's connection, the data
// source "kiv_erp_dev" of the connection before login pointed at a database of the test process through
// a private odbc.ini (the driver manager reads that file once per process), a private configuration
// folder, and every form created as the program creates them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/Dialogs.h"
#include "platform/rtl/Types.h"

class TForm;

// A folder of its own under the temporary folder, removed with its files when the object goes.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs a shell command; raises std::runtime_error with its output when it fails.
std::string Shell(const std::string& command);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// The command line the program gets (without the program's own name).
void SetArguments(const std::vector<std::string>& args);

// Settings of the process that a test changes, put back when it goes.
class TEnvironment {
 public:
  ~TEnvironment();
  void Set(const char* name, const std::string& value);

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

void SqlIn(const std::string& database, const std::string& sql);
std::string ScalarIn(const std::string& database, const std::string& sql);
// The database behind the data source "kiv_erp_dev" in this test process (made on first use, dropped
// at the end), reached before login as "econom".
const std::string& DataSourceDatabase();

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the forms as start-up does (the main window, data module, login form, the 70 screens).
  void CreateForms();
  // Frees every form and the data module, as the end of the program does.
  void DestroyForms();
  // Runs SQL as the database superuser in the test's database.
  void Sql(const std::string& sql) { SqlIn(database_, sql); }
  // The first column of the first row as text.
  std::string Scalar(const std::string& sql) { return ScalarIn(database_, sql); }
  // Runs action while form is shown modally: a timer closes the form as soon as it is modal.
  // Answers whether the form was shown modally.
  bool WhileModal(TForm* form, const std::function<void()>& action);

  std::string database_;
  TTempFolder config_;
  // Answers every box that a test does not answer itself, so that none waits for a person.
  TDialogRecorder unanswered_{TDialogAnswer::Button(IDOK)};
  TEnvironment env_;
};

// The password of a demo login.
String DemoPassword(const std::string& login);
