// The rich-edit control: its lines, RTF and plain-text streams, character and paragraph attributes,
// search, the messages the libraries send, change events and typing into its window.
#include <gtest/gtest.h>

#include "platform/classes/Streams.h"
#include "platform/controls/Forms.h"
#include "platform/controls/RichEdit.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    edit = std::make_unique<TRichEdit>(nullptr);
  }

  // Letters outside ASCII stand in the RTF as windows-1251 bytes, as the code page says.
  void LoadRtf(const std::string& rtf) {
    TStringStream stream(Utf8ToString(rtf), TEncoding::Default());
    edit->GetLines()->LoadFromStream(&stream);
  }

  std::string SaveRtf() {
    TStringStream stream(String(), TEncoding::Default());
    edit->GetLines()->SaveToStream(&stream);
    const TBytes& bytes = stream.GetBytes();
    return std::string(bytes.begin(), bytes.begin() + static_cast<long>(stream.GetSize()));
  }

  void Select(Integer start, Integer length) {
    edit->SetSelStart(start);
    edit->SetSelLength(length);
  }

  std::unique_ptr<TRichEdit> edit;
};

TEST_F(RichEditTest, LinesAreTheLiveParagraphs) {
  TRichEditStrings* lines = edit->GetLines();
  EXPECT_EQ(lines->GetCount(), 0);
  lines->Add(u"первая");
  lines->Add(u"third");
  lines->Insert(1, u"second");
  ASSERT_EQ(lines->GetCount(), 3);
  EXPECT_EQ(StringToUtf8(lines->Get(1)), "second");
  // Each added line ends with a line break, as the class library's rich edit has it.
  EXPECT_EQ(StringToUtf8(edit->GetText()), "первая\r\nsecond\r\nthird\r\n");
  // Positions count one character per paragraph end.
  EXPECT_EQ(edit->GetTextLength(), 6 + 1 + 6 + 1 + 5 + 1);
  lines->Put(0, u"first");
  lines->Delete(2);
  EXPECT_EQ(StringToUtf8(lines->GetText()), "first\r\nsecond\r\n");
  lines->Delete(1);
  lines->Delete(0);
  EXPECT_EQ(lines->GetCount(), 0);
  EXPECT_THROW(lines->Delete(0), EStringListError);
  EXPECT_THROW(lines->Get(5), EStringListError);
  // Empty lines count like any other.
  lines->Add(u"");
  lines->Add(u"");
  EXPECT_EQ(lines->GetCount(), 2);
  lines->Clear();
  lines->SetText(u"a\r\nb\nc\r\n");
  EXPECT_EQ(lines->GetCount(), 3);
  edit->Clear();
  EXPECT_EQ(edit->GetTextLength(), 0);
}

TEST_F(RichEditTest, RtfLoadsWithItsFormattingAndSavesAgain) {
  LoadRtf(
      R"({\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\fswiss\fcharset204 Arial;}{\f1\fcharset204 Times New Roman;}})"
      R"({\colortbl ;\red255\green0\blue0;})"
      R"(\pard\qc\f0\fs24 {\b Жирный} {\i\cf1 курсив}\par\pard\qr\f1\fs32 right\par})");
  EXPECT_EQ(StringToUtf8(edit->GetText()), "Жирный курсив\r\nright");
  Select(0, 6);
  TTextAttributes* a = edit->GetSelAttributes();
  EXPECT_EQ(a->GetStyle(), TFontStyles{fsBold});
  EXPECT_EQ(StringToUtf8(a->GetName()), "Arial");
  EXPECT_EQ(a->GetSize(), 12);
  EXPECT_EQ(a->GetHeight(), 16);
  EXPECT_EQ(a->GetCharset(), 204);
  EXPECT_EQ(edit->GetParagraph()->GetAlignment(), taCenter);
  Select(7, 6);
  EXPECT_EQ(a->GetStyle(), TFontStyles{fsItalic});
  EXPECT_EQ(a->GetColor(), static_cast<TColor>(0x0000FF));
  Select(15, 2);
  EXPECT_EQ(StringToUtf8(a->GetName()), "Times New Roman");
  EXPECT_EQ(a->GetSize(), 16);
  EXPECT_EQ(edit->GetParagraph()->GetAlignment(), taRightJustify);
  EXPECT_FALSE(edit->GetModified());

  const std::string rtf = SaveRtf();
  ASSERT_EQ(rtf.rfind("{\\rtf1", 0), 0u) << rtf;
  TRichEdit other(nullptr);
  TStringStream stream(TBytes(rtf.begin(), rtf.end()));
  other.GetLines()->LoadFromStream(&stream);
  EXPECT_EQ(StringToUtf8(other.GetText()), "Жирный курсив\r\nright");
  other.SetSelStart(8);
  other.SetSelLength(1);
  EXPECT_EQ(other.GetSelAttributes()->GetStyle(), TFontStyles{fsItalic});
  EXPECT_EQ(other.GetSelAttributes()->GetColor(), static_cast<TColor>(0x0000FF));
  other.SetSelStart(16);
  EXPECT_EQ(other.GetParagraph()->GetAlignment(), taRightJustify);
}

TEST_F(RichEditTest, PlainTextAndDataThatIsNotRtf) {
  // Not RTF: loads as plain text, windows-1251 by default.
  TStringStream plain(u"строка 1\r\nline 2", TEncoding::Default());
  edit->GetLines()->LoadFromStream(&plain);
  EXPECT_EQ(edit->GetLines()->GetCount(), 2);
  EXPECT_EQ(StringToUtf8(edit->GetLines()->Get(0)), "строка 1");

  // PlainText: RTF is shown as it is and saving writes the text, not RTF.
  edit->SetPlainText(true);
  LoadRtf(R"({\rtf1 {\b x}})");
  EXPECT_EQ(StringToUtf8(edit->GetText()), R"({\rtf1 {\b x}})");
  edit->GetLines()->SetText(u"текст");
  TStringStream out(String(), TEncoding::Default());
  edit->GetLines()->SaveToStream(&out);
  EXPECT_EQ(StringToUtf8(out.GetDataString()), "текст\r\n");

  // The "{urtf" spelling is RTF too.
  edit->SetPlainText(false);
  LoadRtf(R"({urtf1 {\b bold}})");
  EXPECT_EQ(StringToUtf8(edit->GetText()), "bold");
}

TEST_F(RichEditTest, FilesReadAndWriteRtf) {
  const std::string path = ::testing::TempDir() + "richedit-file.rtf";
  edit->GetLines()->Add(u"Файл");
  Select(0, 4);
  edit->GetSelAttributes()->SetStyle({fsUnderline});
  // Through the plain list interface too, as code holding a TStrings* would save and load.
  TStrings* lines = edit->GetLines();
  lines->SaveToFile(Utf8ToString(path));
  TRichEdit other(nullptr);
  static_cast<TStrings*>(other.GetLines())->LoadFromFile(Utf8ToString(path));
  EXPECT_EQ(StringToUtf8(other.GetLines()->Get(0)), "Файл");
  other.SetSelStart(1);
  other.SetSelLength(1);
  EXPECT_EQ(other.GetSelAttributes()->GetStyle(), TFontStyles{fsUnderline});
  EXPECT_THROW(other.GetLines()->LoadFromFile(u"/nonexistent/dir/x.rtf"), EFOpenError);
  EXPECT_EQ(StringToUtf8(other.GetLines()->Get(0)), "Файл");  // a failed load loses nothing
}

TEST_F(RichEditTest, SelAttributesChangeOnlyTheSelection) {
  edit->SetText(u"one two three");
  Select(4, 3);
  TTextAttributes* a = edit->GetSelAttributes();
  a->SetStyle({fsBold, fsStrikeOut});
  a->SetColor(static_cast<TColor>(0x00FF00));
  a->SetSize(20);
  a->SetName(u"Courier New");
  EXPECT_EQ(a->GetStyle(), (TFontStyles{fsBold, fsStrikeOut}));
  EXPECT_EQ(a->GetColor(), static_cast<TColor>(0x00FF00));
  EXPECT_EQ(a->GetSize(), 20);
  EXPECT_EQ(StringToUtf8(a->GetName()), "Courier New");
  EXPECT_EQ(StringToUtf8(edit->GetSelText()), "two");
  Select(0, 3);
  EXPECT_EQ(a->GetStyle(), TFontStyles());
  EXPECT_NE(a->GetSize(), 20);
  Select(8, 5);
  EXPECT_EQ(a->GetStyle(), TFontStyles());

  // To and from a font.
  TFont font;
  Select(4, 3);
  font.Assign(a);
  EXPECT_EQ(StringToUtf8(font.GetName()), "Courier New");
  EXPECT_EQ(font.GetSize(), 20);
  EXPECT_EQ(font.GetStyle(), (TFontStyles{fsBold, fsStrikeOut}));
  font.SetName(u"Arial");
  font.SetStyle({fsItalic});
  font.SetColor(clRed);
  Select(0, 3);
  a->Assign(&font);
  EXPECT_EQ(StringToUtf8(a->GetName()), "Arial");
  EXPECT_EQ(a->GetStyle(), TFontStyles{fsItalic});
  EXPECT_EQ(a->GetColor(), clRed);
}

TEST_F(RichEditTest, DefAttributesAreTheDefaultFormat) {
  TTextAttributes* d = edit->GetDefAttributes();
  TFont font;
  font.SetName(u"Times New Roman");
  font.SetSize(14);
  font.SetStyle({fsBold});
  font.SetColor(clBlue);
  d->Assign(&font);
  EXPECT_EQ(StringToUtf8(d->GetName()), "Times New Roman");
  EXPECT_EQ(d->GetSize(), 14);
  EXPECT_EQ(d->GetStyle(), TFontStyles{fsBold});
  EXPECT_EQ(d->GetColor(), clBlue);
  // Plain text takes the defaults, and RTF written from it names them.
  edit->SetText(u"x");
  Select(0, 1);
  EXPECT_EQ(StringToUtf8(edit->GetSelAttributes()->GetName()), "Times New Roman");
  EXPECT_EQ(edit->GetSelAttributes()->GetColor(), clBlue);
  const TRtfDocument doc = ReadRtf(SaveRtf());
  EXPECT_EQ(StringToUtf8(doc.Paragraphs[0].Runs[0].Format.FontName), "Times New Roman");
  EXPECT_EQ(doc.Paragraphs[0].Runs[0].Format.HalfPoints, 28);
  EXPECT_EQ(doc.Paragraphs[0].Runs[0].Format.Style, TFontStyles{fsBold});
}

TEST_F(RichEditTest, ParagraphAttributesInPoints) {
  edit->SetText(u"a\r\nb\r\nc");
  Select(0, 3);  // the first two paragraphs
  TParaAttributes* p = edit->GetParagraph();
  p->SetFirstIndent(30);
  p->SetLeftIndent(10);
  p->SetRightIndent(5);
  p->SetAlignment(taCenter);
  p->SetNumbering(nsBullet);
  p->SetTabCount(2);
  p->SetTab(1, 100);
  EXPECT_EQ(p->GetFirstIndent(), 30);
  EXPECT_EQ(p->GetLeftIndent(), 10);
  EXPECT_EQ(p->GetRightIndent(), 5);
  EXPECT_EQ(p->GetNumbering(), nsBullet);
  EXPECT_EQ(p->GetTabCount(), 2);
  EXPECT_EQ(p->GetTab(0), 36);
  EXPECT_EQ(p->GetTab(1), 100);
  // The first line at 30pt, the others 10pt further: RTF's \li is 40pt and \fi -10pt.
  const TRtfDocument doc = ReadRtf(SaveRtf());
  ASSERT_EQ(doc.Paragraphs.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(doc.Paragraphs[i].Format.LeftIndent, 800) << i;
    EXPECT_EQ(doc.Paragraphs[i].Format.FirstIndent, -200) << i;
    EXPECT_EQ(doc.Paragraphs[i].Format.RightIndent, 100) << i;
    EXPECT_EQ(doc.Paragraphs[i].Format.Alignment, raCenter) << i;
    EXPECT_TRUE(doc.Paragraphs[i].Format.Bullet) << i;
  }
  EXPECT_EQ(doc.Paragraphs[2].Format, TRtfParaFormat());
  edit->SetSelStart(0);
  p->SetNumbering(nsNone);
  EXPECT_EQ(p->GetNumbering(), nsNone);
  edit->SetSelStart(2);
  EXPECT_EQ(p->GetNumbering(), nsBullet);
}

TEST_F(RichEditTest, FindText) {
  edit->SetText(u"Счёт и счёт-фактура\r\nscore Score scores");
  struct TCase {
    const char16_t* text;
    Integer start, length;
    TSearchTypes options;
    Integer expected;
  };
  const TCase cases[] = {
      {u"счёт", 0, -1, {}, 0},
      {u"счёт", 0, -1, {stMatchCase}, 7},
      {u"счёт", 1, -1, {}, 7},
      {u"счёт", 1, 5, {}, -1},  // the match would end past the range
      {u"фактура", 0, -1, {stWholeWord}, 12},
      {u"Score", 0, -1, {stMatchCase}, 26},
      {u"score", 0, -1, {stWholeWord}, 20},
      {u"score", 21, -1, {stWholeWord}, 26},
      {u"score", 27, -1, {stWholeWord}, -1},
      {u"score", 27, -1, {}, 32},
      {u"", 0, -1, {}, -1},
      {u"x", 100, -1, {}, -1},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(edit->FindText(c.text, c.start, c.length, c.options), c.expected)
        << StringToUtf8(c.text) << " " << c.start;
}

TEST_F(RichEditTest, SelectionAndLengthMessages) {
  edit->SetText(u"ab\r\ncd");
  TCharRange r{1, 4};
  edit->Perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(edit->GetSelStart(), 1);
  EXPECT_EQ(edit->GetSelLength(), 3);
  EXPECT_EQ(StringToUtf8(edit->GetSelText()), "b\r\nc");
  TCharRange got;
  edit->Perform(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got.cpMin, 1);
  EXPECT_EQ(got.cpMax, 4);
  r = {0, -1};
  edit->Perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(edit->GetSelLength(), 5);
  TGetTextLengthEx g{GTL_NUMCHARS, 1200};
  EXPECT_EQ(edit->Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0), 5);
  g.flags = GTL_NUMCHARS | GTL_USECRLF;
  EXPECT_EQ(edit->Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0), 6);
  EXPECT_EQ(edit->Perform(EM_EXLINEFROMCHAR, 0, 4), 1);
  EXPECT_EQ(edit->Perform(EM_LINEINDEX, 1, 0), 3);
}

TEST_F(RichEditTest, ChangeEventsAndTheEventMask) {
  int changes = 0, selections = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->OnSelectionChange = [&](TObject*) { ++selections; };
  LoadRtf(R"({\rtf1 one\par two\par three})");
  EXPECT_EQ(changes, 1);  // one load, one event
  changes = 0;
  Select(0, 3);
  EXPECT_GT(selections, 0);
  edit->GetSelAttributes()->SetStyle({fsBold});
  EXPECT_EQ(changes, 0);  // formatting is no text change
  edit->SetSelText(u"ONE");
  EXPECT_EQ(changes, 1);
  const LRESULT mask = edit->Perform(EM_GETEVENTMASK);
  EXPECT_TRUE(mask & ENM_CHANGE);
  edit->Perform(EM_SETEVENTMASK, 0, mask & ~ENM_CHANGE);
  edit->SetSelText(u"x");
  EXPECT_EQ(changes, 1);
  edit->Perform(EM_SETEVENTMASK, 0, mask);
  edit->SetSelText(u"y");
  EXPECT_EQ(changes, 2);
}

// Answers the format messages as a descendant that may refuse formatting does.
class TFormatGuardRichEdit : public TRichEdit {
 public:
  explicit TFormatGuardRichEdit(TComponent* owner) : TRichEdit(owner) {}
  bool allow = true;
  int asked = 0;

 protected:
  void Dispatch(TMessage& message) override {
    if (message.Msg == EM_SETCHARFORMAT || message.Msg == EM_SETPARAFORMAT) {
      ++asked;
      if (!allow) {
        message.Result = 0;
        return;
      }
    }
    TRichEdit::Dispatch(message);
  }
};

TEST_F(RichEditTest, FormatChangesAskTheControlFirstAndAZeroAnswerRefusesThem) {
  TFormatGuardRichEdit guard(nullptr);
  TStringStream stream(Utf8ToString(R"({\rtf1 one two\par})"), TEncoding::Default());
  guard.GetLines()->LoadFromStream(&stream);
  guard.SetSelStart(0);
  guard.SetSelLength(3);
  EXPECT_FALSE(guard.GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(guard.GetParagraph()->GetAlignment(), taLeftJustify);
  EXPECT_EQ(guard.asked, 0) << "reading formats sends nothing";
  guard.GetSelAttributes()->SetStyle({fsBold});
  guard.GetParagraph()->SetAlignment(taCenter);
  EXPECT_EQ(guard.asked, 2);
  EXPECT_TRUE(guard.GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(guard.GetParagraph()->GetAlignment(), taCenter);
  guard.allow = false;
  guard.GetSelAttributes()->SetStyle({fsItalic});
  guard.GetParagraph()->SetAlignment(taRightJustify);
  EXPECT_EQ(guard.GetSelAttributes()->GetStyle(), TFontStyles{fsBold}) << "refused";
  EXPECT_EQ(guard.GetParagraph()->GetAlignment(), taCenter) << "refused";
}

TEST_F(RichEditTest, MaxLengthCutsWhatComesIn) {
  edit->SetMaxLength(5);
  edit->SetSelText(u"abc");
  edit->SetSelText(u"defgh");
  EXPECT_EQ(StringToUtf8(edit->GetText()), "abcde");
  edit->SetSelStart(0);
  edit->SetSelText(u"X");
  EXPECT_EQ(StringToUtf8(edit->GetText()), "abcde");
}

TEST_F(RichEditTest, TypingIntoTheWindowKeepsContentAcrossRecreation) {
  auto* form = new TForm(nullptr, 0);
  form->AfterConstruction();
  form->SetBounds(0, 0, 300, 200);
  auto* re = new TRichEdit(form);
  re->SetParent(form);
  re->SetBounds(10, 10, 200, 100);
  re->SetText(u"начало");
  form->Show();
  ProcessPendingEvents();
  re->SetFocus();
  re->SetSelStart(re->GetTextLength());
  TypeText(re, u" ввод");
  EXPECT_EQ(StringToUtf8(re->GetText()), "начало ввод");
  EXPECT_TRUE(re->GetModified());
  re->SetSelStart(0);
  re->SetSelLength(6);
  re->GetSelAttributes()->SetStyle({fsBold});
  re->RecreateWnd();
  re->HandleNeeded();
  ProcessPendingEvents();
  EXPECT_EQ(StringToUtf8(re->GetText()), "начало ввод");
  EXPECT_EQ(re->GetSelStart(), 0);
  EXPECT_EQ(re->GetSelLength(), 6);
  EXPECT_EQ(re->GetSelAttributes()->GetStyle(), TFontStyles{fsBold});
  // Without WantReturns, Enter does not break the paragraph.
  re->SetWantReturns(false);
  re->SetSelStart(3);
  SendKey(re, VK_RETURN);
  EXPECT_EQ(re->GetLines()->GetCount(), 1);
  re->SetWantReturns(true);
  SendKey(re, VK_RETURN);
  EXPECT_EQ(re->GetLines()->GetCount(), 2);
  delete form;
}

TEST_F(RichEditTest, RegisteredForFormResources) {
  TClass cls = FindClass(u"TRichEdit");
  ASSERT_NE(cls, nullptr);
  std::unique_ptr<TObject> made(cls->NewInstance(nullptr));
  EXPECT_NE(dynamic_cast<TCustomRichEdit*>(made.get()), nullptr);
}

}  // namespace
