// Archives written through the zip provider, to a file and to a memory stream, checked by the tools
// people use: unzip's test and Python's zipfile reading every entry back byte for byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gridlib/base/ZipFileProviderEh.h"
#include "platform/rtl/Utf.h"

namespace {

int Shell(const std::string& command) { return std::system(command.c_str()); }

struct Entry {
  std::string name;
  std::string bytes;
};

// Entries of every kind that could go wrong: Cyrillic names, folders, empty, binary and large data.
std::vector<Entry> SampleEntries() {
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  std::string large;
  for (int i = 0; i < 200000; ++i) large += static_cast<char>('a' + (i * 7) % 26);
  return {{"Отчёт.csv", "Номер;Сумма\n1;100,50\n"},
          {"папка/вложенный файл.txt", "строка"},
          {"empty.bin", ""},
          {"binary.dat", binary},
          {"xl/large.xml", large}};
}

void AddEntries(TCustomFileZipingProviderEh* provider, const std::vector<Entry>& entries) {
  for (const Entry& e : entries) {
    TMemoryStream data;
    if (!e.bytes.empty()) data.WriteBuffer(e.bytes.data(), static_cast<Integer>(e.bytes.size()));
    provider->AddFile(&data, Utf8ToString(e.name));
  }
}

// unzip -t passes and Python reads every entry back as written.
void ExpectArchiveHolds(const std::string& path, const std::vector<Entry>& entries) {
  EXPECT_EQ(Shell("unzip -tq '" + path + "' >/dev/null"), 0) << path;
  const std::string dir = path + ".expected";
  std::filesystem::create_directories(dir);
  std::ofstream list(dir + "/list", std::ios::binary);
  for (size_t i = 0; i < entries.size(); ++i) {
    std::ofstream(dir + "/" + std::to_string(i), std::ios::binary) << entries[i].bytes;
    list << entries[i].name << "\n";
  }
  list.close();
  const std::string script =
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "names = open(sys.argv[2] + '/list', encoding='utf-8').read().splitlines()\n"
      "assert z.namelist() == names, (z.namelist(), names)\n"
      "for i, n in enumerate(names):\n"
      "    assert z.read(n) == open(sys.argv[2] + '/' + str(i), 'rb').read(), n\n"
      "    assert n.endswith('.bin') or z.getinfo(n).compress_type == zipfile.ZIP_DEFLATED, n\n";
  std::ofstream(dir + "/check.py") << script;
  EXPECT_EQ(Shell("/usr/bin/python3 '" + dir + "/check.py' '" + path + "' '" + dir + "'"), 0) << path;
  std::filesystem::remove_all(dir);
}

class ZipFileProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v unzip >/dev/null") != 0) GTEST_SKIP() << "unzip is not installed (run tools/setup)";
    dir_ = std::filesystem::temp_directory_path() / ("kiv-zip-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    InitializeZipFileProviderEh();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(ZipFileProviderTest, ArchiveWrittenToAFileHoldsEveryEntry) {
  std::unique_ptr<TCustomFileZipingProviderEh> provider(GetZipFileProviderClassEh()());
  ASSERT_TRUE(provider);
  const std::string path = (dir_ / "выгрузка.zip").string();
  provider->InitZipFile(Utf8ToString(path));
  EXPECT_THROW(provider->InitZipFile(String()), Exception);
  AddEntries(provider.get(), SampleEntries());
  provider->FinalizeZipFile();
  ExpectArchiveHolds(path, SampleEntries());
}

TEST_F(ZipFileProviderTest, ArchiveWrittenToMemoryIsCopiedWholeIntoTheTarget) {
  TSystemZipFileProviderEh provider;
  TStream* memory = provider.InitZipFile(String());
  ASSERT_NE(dynamic_cast<TMemoryStream*>(memory), nullptr);
  AddEntries(&provider, SampleEntries());
  const std::string path = (dir_ / "memory.zip").string();
  {
    TFileStream target(Utf8ToString(path), fmCreate);
    provider.FinalizeZipFile(&target);
  }
  EXPECT_EQ(provider.GetStream(), nullptr);
  ExpectArchiveHolds(path, SampleEntries());
  // The provider can start the next archive.
  provider.InitZipFile(String());
  TMemoryStream data;
  data.WriteBuffer("x", 1);
  provider.AddFile(&data, u"a.txt");
  EXPECT_THROW(provider.AddFile(&data, u"a.txt"), EZipException);
  TMemoryStream target;
  provider.FinalizeZipFile(&target);
  EXPECT_GT(target.GetSize(), 0);
}

TEST(ZipFileProviderBaseTest, BaseProviderCallsAreAbstract) {
  TCustomFileZipingProviderEh base;
  EXPECT_EQ(TCustomFileZipingProviderEh::CreateInstance(), nullptr);
  EXPECT_THROW(base.InitZipFile(u"x.zip"), EAbstractError);
  EXPECT_THROW(base.FinalizeZipFile(), EAbstractError);
}

}  // namespace
