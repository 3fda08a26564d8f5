// The clipboard: text views, format numbers, batches of formats, pictures both ways, failures that keep
// the clipboard, and another program (xclip under Xvfb) seeing every format of a batch.
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/AnsiString.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/TestSupport.h"

extern char** environ;

namespace {

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    Clipboard()->Clear();
  }
};

TBytes BytesOf(const std::string& s) { return TBytes(s.begin(), s.end()); }

// What the grid's copy puts on the clipboard, in its order, in one batch.
struct TGridCopy {
  TClipboardFormat csv = RegisterClipboardFormat(u"Csv");
  TClipboardFormat rtf = RegisterClipboardFormat(u"Rich Text Format");
  TClipboardFormat dbif = RegisterClipboardFormat(u"VCLDBIF");
  TClipboardFormat xml = RegisterClipboardFormat(u"XML Spreadsheet");
  TBytes csvBytes = BytesOf(StringToCp1251(u"Код;Имя\r\n1;Склад\r\n") + std::string(1, '\0'));
  TBytes rtfBytes = BytesOf(std::string("{\\rtf1 \\trowd 1\\cell Sklad\\cell\\row}") + std::string(1, '\0'));
  TBytes dbifBytes{0x01, 0x00, 0xFF, 0x7F, 0x00, 0x10};
  TBytes xmlBytes = BytesOf("<?xml version=\"1.0\"?><Workbook/>");

  void Put() {
    Clipboard()->Open();
    Clipboard()->SetAsHandle(CF_TEXT, BytesOf(StringToCp1251(u"1\tСклад\r\n") + std::string(1, '\0')));
    Clipboard()->SetAsText(u"1\tСклад\r\n");
    Clipboard()->SetAsHandle(csv, csvBytes);
    Clipboard()->SetAsHandle(rtf, rtfBytes);
    Clipboard()->SetAsHandle(dbif, dbifBytes);
    Clipboard()->SetAsHandle(xml, xmlBytes);
    Clipboard()->Close();
  }
};

TEST_F(ClipboardTest, NamedFormatsHaveStableNumbersAndMimeTypes) {
  struct Case {
    const Char* name;
    const Char* mime;
  };
  const Case cases[] = {
      {u"VCLDBIF", u"application/x-vcldbif"},
      {u"Csv", u"text/csv"},
      {u"Rich Text Format", u"text/rtf"},
      {u"XML Spreadsheet", u"application/x-xml-spreadsheet"},
  };
  for (const Case& c : cases) {
    TClipboardFormat f = RegisterClipboardFormat(c.name);
    EXPECT_GE(f, 0xC000);
    EXPECT_EQ(RegisterClipboardFormat(c.name), f);
    EXPECT_EQ(RegisterClipboardFormat(UpperCase(c.name)), f);
    EXPECT_EQ(ClipboardFormatMimeType(f), c.mime);
    EXPECT_EQ(GetClipboardFormatName(f), c.name);
  }
  TClipboardFormat own = RegisterClipboardFormat(u"Наш формат 2");
  EXPECT_EQ(RegisterClipboardFormat(u"наш формат 2"), own);
  EXPECT_NE(own, RegisterClipboardFormat(u"Csv"));
  // Names of the same length in another alphabet stay apart on the system clipboard.
  TClipboardFormat other = RegisterClipboardFormat(u"Чужой формат");
  EXPECT_NE(ClipboardFormatMimeType(other),
            ClipboardFormatMimeType(RegisterClipboardFormat(u"Иной  формат")));
  Clipboard()->Open();
  Clipboard()->SetAsHandle(own, TBytes{1});
  Clipboard()->SetAsHandle(other, TBytes{2});
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->GetAsHandle(own), TBytes{1});
  EXPECT_EQ(Clipboard()->GetAsHandle(other), TBytes{2});
  EXPECT_EQ(ClipboardFormatMimeType(CF_UNICODETEXT), u"text/plain");
  EXPECT_THROW(RegisterClipboardFormat(u""), EInvalidOperation);
}

TEST_F(ClipboardTest, TextHasAnsiAndUnicodeViews) {
  Clipboard()->SetAsText(u"Счёт №5 — €");
  EXPECT_EQ(Clipboard()->GetAsText(), u"Счёт №5 — €");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
  // windows-1251 bytes with the terminating zero.
  EXPECT_EQ(Clipboard()->GetAsHandle(CF_TEXT),
            BytesOf(StringToCp1251(u"Счёт №5 — €") + std::string(1, '\0')));
  TBytes unicode = Clipboard()->GetAsHandle(CF_UNICODETEXT);
  ASSERT_EQ(unicode.size(), (11 + 1) * 2u);
  EXPECT_EQ(unicode[0], 0x21);  // 'С' U+0421, little-endian
  EXPECT_EQ(unicode[1], 0x04);
  EXPECT_EQ(unicode[22], 0);
  EXPECT_EQ(unicode[23], 0);

  // Set as bytes: the text ends at the terminator, whatever follows it.
  Clipboard()->SetAsHandle(CF_TEXT, BytesOf(StringToCp1251(u"Привет") + std::string("\0мусор", 11)));
  EXPECT_EQ(Clipboard()->GetAsText(), u"Привет");
  TBytes utf16{0x1F, 0x04, 0x30, 0x04, 0x00, 0x00, 0x41, 0x00};
  Clipboard()->SetAsHandle(CF_UNICODETEXT, utf16);
  EXPECT_EQ(Clipboard()->GetAsText(), u"Па");

  Char buffer[4];
  Clipboard()->SetTextBuf(u"Длинный текст");
  EXPECT_EQ(Clipboard()->GetTextBuf(buffer, 4), 3);
  EXPECT_EQ(String(buffer), u"Дли");
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->GetAsText(), u"");
}

TEST_F(ClipboardTest, FormatsSetBetweenOpenAndCloseGoOnTogether) {
  TGridCopy copy;
  Clipboard()->SetAsText(u"старое");
  copy.Put();
  EXPECT_EQ(Clipboard()->GetAsText(), u"1\tСклад\r\n");
  for (TClipboardFormat f : {CF_TEXT, CF_UNICODETEXT, copy.csv, copy.rtf, copy.dbif, copy.xml})
    EXPECT_TRUE(Clipboard()->HasFormat(f)) << f;
  EXPECT_EQ(Clipboard()->GetAsHandle(copy.csv), copy.csvBytes);
  EXPECT_EQ(Clipboard()->GetAsHandle(copy.rtf), copy.rtfBytes);
  EXPECT_EQ(Clipboard()->GetAsHandle(copy.dbif), copy.dbifBytes);
  EXPECT_EQ(Clipboard()->GetAsHandle(copy.xml), copy.xmlBytes);
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));

  std::vector<TClipboardFormat> listed;
  for (Integer i = 0; i < Clipboard()->GetFormatCount(); ++i) listed.push_back(Clipboard()->GetFormats(i));
  for (TClipboardFormat f : {CF_TEXT, CF_UNICODETEXT, copy.csv, copy.rtf, copy.dbif, copy.xml})
    EXPECT_NE(std::find(listed.begin(), listed.end(), f), listed.end()) << f;
  EXPECT_THROW(Clipboard()->GetFormats(Clipboard()->GetFormatCount()), EListError);

  // A second batch replaces the whole clipboard; an empty batch changes nothing.
  Clipboard()->Open();
  Clipboard()->Open();
  Clipboard()->SetAsHandle(copy.dbif, TBytes{9});
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->IsOpen());
  Clipboard()->Close();
  EXPECT_FALSE(Clipboard()->IsOpen());
  EXPECT_FALSE(Clipboard()->HasFormat(copy.csv));
  EXPECT_EQ(Clipboard()->GetAsHandle(copy.dbif), TBytes{9});
  Clipboard()->Open();
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->GetAsHandle(copy.dbif), TBytes{9});
}

TEST_F(ClipboardTest, BadPictureBytesRaiseAndKeepTheClipboard) {
  Clipboard()->SetAsText(u"сохранить");
  EXPECT_THROW(Clipboard()->SetAsHandle(CF_BITMAP, TBytes{1, 2, 3}), EInvalidGraphic);
  EXPECT_THROW(Clipboard()->SetAsHandle(CF_ENHMETAFILE, TBytes{' ', 'E', 'M', 'F'}), EInvalidGraphic);
  EXPECT_EQ(Clipboard()->GetAsText(), u"сохранить");
  // Inside a batch the other formats stay.
  TClipboardFormat csv = RegisterClipboardFormat(u"Csv");
  Clipboard()->Open();
  Clipboard()->SetAsHandle(csv, TBytes{'a'});
  EXPECT_THROW(Clipboard()->SetAsHandle(CF_BITMAP, TBytes{0}), EInvalidGraphic);
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->GetAsHandle(csv), TBytes{'a'});
  EXPECT_THROW(Clipboard()->SetAsHandle(0x7777, TBytes{1}), EInvalidOperation);
}

TEST_F(ClipboardTest, BitmapsGoToTheClipboardAndBack) {
  TBitmap bitmap(8, 6);
  bitmap.GetCanvas()->GetBrush()->SetColor(clRed);
  bitmap.GetCanvas()->FillRect(Rect(0, 0, 8, 6));
  bitmap.GetCanvas()->GetBrush()->SetColor(clBlue);
  bitmap.GetCanvas()->FillRect(Rect(4, 0, 8, 6));
  Clipboard()->Assign(&bitmap);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));

  TPicture picture;
  picture.Assign(Clipboard());
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(picture.GetWidth(), 8);
  EXPECT_EQ(picture.GetHeight(), 6);
  EXPECT_EQ(PixelAt(picture.GetBitmap(), 1, 1), clRed);
  EXPECT_EQ(PixelAt(picture.GetBitmap(), 6, 4), clBlue);

  TBitmap back;
  back.Assign(Clipboard());
  EXPECT_EQ(back.GetWidth(), 8);
  EXPECT_EQ(PixelAt(&back, 6, 1), clBlue);
  // A BMP file's bytes as CF_BITMAP.
  TBytes bmp = Clipboard()->GetAsHandle(CF_BITMAP);
  ASSERT_GT(bmp.size(), 2u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  Clipboard()->Clear();
  Clipboard()->SetAsHandle(CF_BITMAP, bmp);
  back.Assign(Clipboard());
  EXPECT_EQ(PixelAt(&back, 1, 1), clRed);

  // Nothing there: the class library's assignment error.
  Clipboard()->SetAsText(u"текст");
  EXPECT_THROW(back.Assign(Clipboard()), EConvertError);
}

TEST_F(ClipboardTest, MetafilesKeepTheirBytesAndOfferAPicture) {
  TMetafile metafile;
  metafile.SetWidth(40);
  metafile.SetHeight(20);
  {
    TMetafileCanvas canvas(&metafile, nullptr);
    canvas.GetBrush()->SetColor(clGreen);
    canvas.FillRect(Rect(0, 0, 40, 20));
  }
  Clipboard()->Assign(&metafile);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard()->GetAsHandle(CF_ENHMETAFILE), metafile.GetBytes());

  TPicture picture;
  picture.Assign(Clipboard());
  auto* back = dynamic_cast<TMetafile*>(picture.GetGraphic());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetBytes(), metafile.GetBytes());
  // A bitmap asked for gets the rendered picture.
  TBitmap bitmap;
  bitmap.Assign(Clipboard());
  EXPECT_EQ(bitmap.GetWidth(), 40);
  EXPECT_EQ(PixelAt(&bitmap, 20, 10), clGreen);
}

// ---- Another program sees the formats (X11 under Xvfb) ----

bool OnPath(const char* tool) {
  std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// Runs argv, serving the event loop while it runs (the clipboard's owner must answer requests), and
// answers what it printed.
std::string RunServingEvents(std::vector<std::string> argv) {
  int out[2];
  if (pipe(out) != 0) return std::string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  if (rc != 0) {
    close(out[0]);
    return text;
  }
  char buffer[4096];
  for (int rounds = 0; rounds < 1000; ++rounds) {
    ProcessPendingEvents();
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 10) > 0) {
      ssize_t n = read(out[0], buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return text;
}

// Run by ClipboardSeenByOtherPrograms in a process of its own under Xvfb: puts the grid's formats on
// the X11 clipboard and prints what xclip finds there.
TEST_F(ClipboardTest, HelperPutsFormatsForXclip) {
  const char* out = std::getenv("KIV_CLIPBOARD_HELPER_OUT");
  if (!out) GTEST_SKIP() << "runs only inside the cross-process test";
  TGridCopy copy;
  copy.Put();
  std::string targets = RunServingEvents({"xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"});
  std::string csv = RunServingEvents({"xclip", "-selection", "clipboard", "-t", "text/csv", "-o"});
  std::string text = RunServingEvents({"xclip", "-selection", "clipboard", "-o"});
  std::ofstream(out) << "TARGETS\n" << targets << "CSV\n" << csv << "\nTEXT\n" << text << "\nEND\n";
}

TEST_F(ClipboardTest, ClipboardSeenByOtherPrograms) {
  if (std::getenv("KIV_CLIPBOARD_HELPER_OUT")) GTEST_SKIP();
  if (!OnPath("xvfb-run") || !OnPath("xclip")) GTEST_SKIP() << "xvfb-run and xclip are needed";
  std::string outFile =
      (std::filesystem::temp_directory_path() / ("kiv_clipboard_" + std::to_string(getpid()) + ".txt"))
          .string();
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string command = "xvfb-run -a env QT_QPA_PLATFORM=xcb KIV_CLIPBOARD_HELPER_OUT='" + outFile + "' '" +
                        self + "' --gtest_filter=ClipboardTest.HelperPutsFormatsForXclip >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(outFile);
  std::stringstream seen;
  seen << in.rdbuf();
  std::filesystem::remove(outFile);
  std::string s = seen.str();
  for (const char* mime :
       {"text/plain", "text/csv", "text/rtf", "application/x-vcldbif", "application/x-xml-spreadsheet"})
    EXPECT_NE(s.find(mime), std::string::npos) << mime << " missing in:\n" << s;
  // The CSV is the bytes we put (windows-1251, as the grid writes it); the text is UTF-8.
  EXPECT_NE(s.find(StringToCp1251(u"Код;Имя")), std::string::npos) << s;
  EXPECT_NE(s.find("1\t\xD0\xA1\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xB4"), std::string::npos) << s;
}

}  // namespace
