// Test support for the ADO components: a fresh database from the template for each test, a
// connection with the login's own connection string, and superuser SQL for setting up tables.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ado/ADODB.h"

// The login's three fixed option strings, as the login form appends them.
extern const Char* const kLoginOptions;

// The password of a demo login, from db/demo-passwords.
String DemoPassword(const String& login);

// Runs a shell command; raises std::runtime_error with its output when it fails.
std::string Shell(const std::string& command);

// Runs SQL as the database superuser (psql); raises std::runtime_error with psql's output on failure.
void SuperuserSql(const std::string& database, const std::string& sql);

// The login's DSN-less connection string for a database on this machine.
String LoginConnectionString(const String& database, const String& login, const String& password);

// A fresh database (dropped afterwards), a connection to it as "sys", and a schema "t" owned by
// "sys" where tests create their own tables.
class AdoTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A query on the connection with the text set, owned by the fixture.
  TADOQuery* Query(const String& sql);
  // Runs a statement through the connection.
  void Exec(const String& sql);
  // The first column of the first row of a query, as text ("" for null or no row).
  String Scalar(const String& sql);

  std::string database_;
  std::unique_ptr<TComponent> owner_;
  TADOConnection* connection_ = nullptr;
};
