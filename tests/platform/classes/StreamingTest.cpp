// Component streaming: binary and text round trips of a component tree, the text syntax, form
// resources with Loaded and handlers, and bad input of every kind raising a clear error.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "platform/classes/FormResources.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Utf.h"
#include "platform/rtl/Variant.h"

namespace {

std::string Bytes(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

void Load(TMemoryStream& s, const std::string& bytes) {
  s.Clear();
  s.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  s.SetPosition(0);
}

std::string ToText(const std::string& binary) {
  TMemoryStream in, out;
  Load(in, binary);
  ObjectBinaryToText(&in, &out);
  return Bytes(out);
}

std::string ToBinary(const std::string& text) {
  TMemoryStream in, out;
  Load(in, text);
  ObjectTextToBinary(&in, &out);
  return Bytes(out);
}

// A form with every kind of stored data: enum, set, string, event, defined property (design
// position and ColWidths), sub-object, component reference, collection, string list.
std::unique_ptr<TTestForm> MakeForm() {
  auto form = std::make_unique<TTestForm>(nullptr);
  form->SetName(u"LoginForm");
  form->caption = u"Авторизация 'ok'";
  form->style = stDialog;
  form->options = {opTitles, opRowSelect};
  form->OnActivate = TNotifyEvent(form.get(), &TTestForm::FormActivate);
  form->SetDesignInfo(16 | (20 << 16));
  auto* label = new TTestControl(form.get());
  label->SetName(u"Label1");
  label->caption = u"Логин";
  label->GetFont()->Name = u"Arial";
  label->GetFont()->Size = 10;
  auto* button = new TTestControl(form.get());
  button->SetName(u"Button1");
  button->isDefault = true;
  button->width = -70000;
  button->OnClick = TNotifyEvent(form.get(), &TTestForm::Button1Click);
  button->SetBuddy(label);
  auto* grid = new TTestGrid(form.get());
  grid->SetName(u"Grid1");
  auto* col = static_cast<TTestColumn*>(grid->GetColumns()->Add());
  col->FieldName = u"s_caption";
  col->GetTitle()->Caption = u"Наименование";
  col->Width = 200;
  static_cast<TTestColumn*>(grid->GetColumns()->Add())->FieldName = u"n_sum";
  grid->GetLines()->AddStrings({u"первая", u"", u"line\twith\ttabs"});
  grid->colWidths = {10, 300, 70000};
  return form;
}

void ExpectSameForm(TTestForm& f) {
  EXPECT_EQ(f.GetName(), u"LoginForm");
  EXPECT_EQ(f.caption, u"Авторизация 'ok'");
  EXPECT_EQ(f.style, stDialog);
  EXPECT_TRUE(f.options == (TTestOptions{opTitles, opRowSelect}));
  EXPECT_TRUE(f.OnActivate == TNotifyEvent(&f, &TTestForm::FormActivate));
  EXPECT_EQ(f.GetDesignInfo(), 16 | (20 << 16));
  ASSERT_EQ(f.GetComponentCount(), 3);
  auto* label = dynamic_cast<TTestControl*>(f.FindComponent(u"Label1"));
  auto* button = dynamic_cast<TTestControl*>(f.FindComponent(u"Button1"));
  auto* grid = dynamic_cast<TTestGrid*>(f.FindComponent(u"Grid1"));
  ASSERT_TRUE(label && button && grid);
  EXPECT_EQ(label->caption, u"Логин");
  EXPECT_EQ(label->GetFont()->Name, u"Arial");
  EXPECT_EQ(label->GetFont()->Size, 10);
  EXPECT_TRUE(button->isDefault);
  EXPECT_EQ(button->width, -70000);
  EXPECT_EQ(button->GetBuddy(), label);
  button->OnClick(button);
  EXPECT_EQ(f.clicks, 1);
  ASSERT_EQ(grid->GetColumns()->GetCount(), 2);
  auto* col = grid->GetColumns()->Items<TTestColumn>(0);
  EXPECT_EQ(col->FieldName, u"s_caption");
  EXPECT_EQ(col->GetTitle()->Caption, u"Наименование");
  EXPECT_EQ(col->Width, 200);
  EXPECT_EQ(grid->GetColumns()->Items<TTestColumn>(1)->Width, 64);
  EXPECT_EQ(grid->GetLines()->ToStringArray(), (std::vector<String>{u"первая", u"", u"line\twith\ttabs"}));
  EXPECT_EQ(grid->colWidths, (std::vector<int>{10, 300, 70000}));
}

TEST(StreamingTest, ComponentTreeRoundTripsThroughBinaryAndText) {
  auto form = MakeForm();
  TMemoryStream binary;
  binary.WriteComponent(form.get());
  std::string bytes = Bytes(binary);
  ASSERT_EQ(bytes.substr(0, 4), "TPF0");

  binary.SetPosition(0);
  TTestForm fromBinary(nullptr);
  binary.ReadComponent(&fromBinary);
  ExpectSameForm(fromBinary);

  std::string text = ToText(bytes);
  EXPECT_NE(text.find("object LoginForm: TTestForm"), std::string::npos) << text;
  EXPECT_NE(text.find("Options = [opTitles, opRowSelect]"), std::string::npos) << text;
  EXPECT_NE(text.find("OnClick = Button1Click"), std::string::npos) << text;
  EXPECT_NE(text.find("Buddy = Label1"), std::string::npos) << text;
  EXPECT_NE(text.find("Title.Caption = 'Наименование'"), std::string::npos) << text;
  EXPECT_NE(text.find("'line'#9'with'#9'tabs'"), std::string::npos) << text;
  // Text back to binary gives the very same bytes.
  EXPECT_EQ(ToBinary(text), bytes);

  TMemoryStream textStream;
  Load(textStream, text);
  TTestForm fromText(nullptr);
  ReadComponentFromStream(&textStream, &fromText);
  ExpectSameForm(fromText);
}

TEST(StreamingTest, DefaultsAndEmptyValuesAreNotWritten) {
  TTestForm form(nullptr);
  form.SetName(u"Empty");
  auto* c = new TTestControl(&form);
  c->SetName(u"C");
  TMemoryStream s;
  s.WriteComponent(&form);
  EXPECT_EQ(ToText(Bytes(s)), "object Empty: TTestForm\r\n  object C: TTestControl\r\n  end\r\nend\r\n");
}

TEST(StreamingTest, FormResourceCreatesTheTreeAndCallsLoadedAfterFixups) {
  TestLog().clear();
  TTestForm form(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&form, TComponent::StaticClass()));
  EXPECT_EQ(form.GetName(), u"LoginForm");
  EXPECT_EQ(form.caption, u"Авторизация");
  EXPECT_EQ(form.style, stDialog);
  EXPECT_FALSE(form.GetComponentState().Contains(csLoading));
  auto* button = dynamic_cast<TTestControl*>(form.FindComponent(u"Button1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetBuddy(), form.FindComponent(u"Label1"));
  EXPECT_EQ(button->caption, u"Вход");
  form.OnActivate(&form);
  EXPECT_EQ(form.activations, 1);
  auto* grid = dynamic_cast<TTestGrid*>(form.FindComponent(u"Grid1"));
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->GetColumns()->Items<TTestColumn>(0)->GetTitle()->Caption, u"Наименование");
  EXPECT_EQ(grid->GetLines()->GetCount(), 2);
  EXPECT_EQ(TestLog(), (std::vector<String>{u"loaded LoginForm", u"loaded Label1", u"loaded Button1"}));
}

TEST(StreamingTest, ReadingIntoAnExistingTreeAssignsOnlyNamedProperties) {
  auto form = MakeForm();
  const std::string text =
      "object LoginForm: TTestForm\n"
      "  Caption = 'Login'\n"
      "  object Label1: TTestControl\n"
      "    Font.Size = 12\n"
      "  end\n"
      "end\n";
  TMemoryStream s;
  Load(s, text);
  ReadComponentFromStream(&s, form.get());
  EXPECT_EQ(form->caption, u"Login");
  EXPECT_EQ(form->style, stDialog);
  EXPECT_EQ(form->GetComponentCount(), 3);
  auto* label = static_cast<TTestControl*>(form->FindComponent(u"Label1"));
  EXPECT_EQ(label->GetFont()->Size, 12);
  EXPECT_EQ(label->GetFont()->Name, u"Arial");
  EXPECT_EQ(label->caption, u"Логин");
}

TEST(StreamingTest, TextSyntaxCoversEveryValueForm) {
  const std::string text =
      "object X: TTestForm\n"
      "  A = 'It''s'#13#10'ok' +\n"
      "    ' more'\n"
      "  B = #1082#1080#1074\n"
      "  C = -12\n"
      "  D = $FF\n"
      "  E = 1.5\n"
      "  F = 2.25s\n"
      "  G = 12.3456c\n"
      "  H = 45000.5d\n"
      "  I = 1E300\n"
      "  J = 9223372036854775807\n"
      "  K = [a, b]\n"
      "  L = []\n"
      "  M = ( 1 'two' (3) )\n"
      "  N = {00FF10\n"
      "        ab}\n"
      "  O = <\n"
      "    item\n"
      "      P = Other.Thing\n"
      "    end>\n"
      "  Q = nil\n"
      "  R = True\n"
      "  S = 0.1f\n"
      "end\n";
  std::string binary = ToBinary(text);
  std::string back = ToText(binary);
  EXPECT_EQ(back,
            "object X: TTestForm\r\n"
            "  A = 'It''s'#13#10'ok more'\r\n"
            "  B = 'кив'\r\n"
            "  C = -12\r\n"
            "  D = 255\r\n"
            "  E = 1.5\r\n"
            "  F = 2.25s\r\n"
            "  G = 12.3456c\r\n"
            "  H = 45000.5d\r\n"
            "  I = 1e+300\r\n"
            "  J = 9223372036854775807\r\n"
            "  K = [a, b]\r\n"
            "  L = []\r\n"
            "  M = (\r\n    1\r\n    'two'\r\n    (\r\n      3))\r\n"
            "  N = {\r\n    00FF10AB}\r\n"
            "  O = <\r\n    item\r\n      P = Other.Thing\r\n    end>\r\n"
            "  Q = nil\r\n"
            "  R = True\r\n"
            "  S = 0.1f\r\n"
            "end\r\n");
  EXPECT_EQ(ToBinary(back), binary);
}

TEST(StreamingTest, LongStringsAreSplitAndJoinedBack) {
  TTestForm form(nullptr);
  form.SetName(u"F");
  for (int i = 0; i < 150; ++i) form.caption += static_cast<Char>(u'а' + i % 32);
  TMemoryStream s;
  s.WriteComponent(&form);
  std::string text = ToText(Bytes(s));
  EXPECT_NE(text.find("' +\r\n"), std::string::npos);
  EXPECT_EQ(ToBinary(text), Bytes(s));
}

TEST(StreamingTest, StreamFormatIsRecognised) {
  struct Case {
    std::string bytes;
    TStreamOriginalFormat format;
  };
  const Case cases[] = {
      {"TPF0\x0aTTestForm", sofBinary},
      {"object F: TTestForm\nend", sofText},
      {"  \r\n inherited F: TTestForm\nend", sofText},
      {"\xEF\xBB\xBFobject F: TTestForm\nend", sofUTF8Text},
      {"\xEF\xBB\xBFhello", sofUnknown},
      {"PK\x03\x04", sofUnknown},
      {"", sofUnknown},
  };
  for (const auto& c : cases) {
    TMemoryStream s;
    Load(s, c.bytes);
    s.SetPosition(0);
    EXPECT_EQ(TestStreamFormat(&s), c.format) << c.bytes;
    EXPECT_EQ(s.GetPosition(), 0);
  }
  TMemoryStream junk;
  Load(junk, "not a form");
  TTestForm form(nullptr);
  try {
    ReadComponentFromStream(&junk, &form);
    FAIL();
  } catch (const EFilerError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Invalid stream format.");
  }
}

TEST(StreamingTest, UnknownPropertyRaisesOrIsReportedAndSkipped) {
  const std::string text =
      "object F: TTestForm\n"
      "  Caption = 'before'\n"
      "  Colour = clRed\n"
      "  Style = stNoSuch\n"
      "  Options = [opTitles, opBogus]\n"
      "  object C: TTestControl\n"
      "    Bogus = (1 2 (3 'x'))\n"
      "    Caption = 'after'\n"
      "    OnClick = NoSuchHandler\n"
      "  end\n"
      "end\n";
  TMemoryStream s;
  Load(s, ToBinary(text));
  {
    TTestForm form(nullptr);
    try {
      TReader reader(&s);
      reader.ReadRootComponent(&form);
      FAIL();
    } catch (const EReadError& e) {
      EXPECT_EQ(StringToUtf8(e.Message()), "Error reading F.Colour: Property Colour does not exist");
    }
    EXPECT_FALSE(form.GetComponentState().Contains(csLoading));
  }
  s.SetPosition(0);
  TTestForm form(nullptr);
  TReader reader(&s);
  reader.SetTolerant(true);
  reader.ReadRootComponent(&form);
  EXPECT_EQ(reader.Errors(), (std::vector<String>{
                                 u"Error reading F.Colour: Property Colour does not exist",
                                 u"Error reading F.Style: Invalid property value",
                                 u"Error reading F.Options: Invalid property value",
                                 u"Error reading C.Bogus: Property Bogus does not exist",
                                 u"Error reading C.OnClick: Method 'NoSuchHandler' not found",
                             }));
  EXPECT_EQ(form.caption, u"before");
  auto* c = dynamic_cast<TTestControl*>(form.FindComponent(u"C"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->caption, u"after");

  // An OnError handler decides case by case.
  s.SetPosition(0);
  TTestForm third(nullptr);
  TReader handled(&s);
  int seen = 0;
  handled.OnError = [&seen](TReader*, const String&, bool& h) {
    ++seen;
    h = true;
  };
  handled.ReadRootComponent(&third);
  EXPECT_EQ(seen, 5);
}

TEST(StreamingTest, UnresolvedReferenceAndUnknownClassAreClearErrors) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"object F: TTestForm\n  object C: TNoSuchClass\n  end\nend\n",
       "Class 'TNoSuchClass' is not registered"},
      {"object F: TNoSuchForm\nend\n", "Class 'TNoSuchForm' is not registered"},
      {"object F: TTestForm\n  object C: TTestControl\n    Buddy = Ghost\n  end\nend\n",
       "Error reading C.Buddy: Invalid reference to component 'Ghost'"},
      {"object F: TTestForm\n  object C: TTestControl\n    Caption = 5\n  end\nend\n",
       "Error reading C.Caption: Invalid property value"},
      {"object F: TTestForm\n  object 1X: TTestControl\n  end\nend\n", "Invalid number on line 2"},
      {"object F: TTestForm\n  Caption = 'open\nend\n", "Unterminated string on line 2"},
      {"object F: TTestForm\n  Caption = )\nend\n", "Property value expected on line 2"},
      {"object F: TTestForm\n  object C: TTestControl\n", "Identifier expected on line 3"},
      {"object F: TTestForm\n  Data = {0F1}\nend\n", "Invalid binary value on line 2"},
      {"object F: TTestForm\nend\nend\n", "End of file expected on line 3"},
  };
  for (const auto& c : cases) {
    try {
      TMemoryStream s;
      Load(s, c.text);
      std::unique_ptr<TComponent> made(ReadComponentFromStream(&s, nullptr));
      ADD_FAILURE() << c.text;
    } catch (const Exception& e) {
      EXPECT_EQ(StringToUtf8(e.Message()), c.message) << c.text;
    }
  }
}

TEST(StreamingTest, TruncatedOrCorruptBinaryRaisesReadError) {
  auto form = MakeForm();
  TMemoryStream s;
  s.WriteComponent(form.get());
  const std::string good = Bytes(s);
  int errors = 0;
  for (size_t cut = 0; cut < good.size(); ++cut) {
    TMemoryStream t;
    Load(t, good.substr(0, cut));
    TTestForm target(nullptr);
    try {
      TReader reader(&t);
      reader.ReadRootComponent(&target);
      ADD_FAILURE() << "a stream cut at " << cut << " was read";
    } catch (const EReadError&) {
      ++errors;
    }
  }
  EXPECT_EQ(errors, static_cast<int>(good.size()));
  // Each byte flipped in turn: an error or a successful read, never a crash.
  for (size_t i = 4; i < good.size(); ++i) {
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0xA5);
    TMemoryStream t;
    Load(t, bad);
    try {
      std::unique_ptr<TComponent> made(t.ReadComponent(nullptr));
    } catch (const Exception&) {
    }
  }
}

TEST(StreamingTest, AHugeLengthIsRefusedBeforeAllocating) {
  std::string bytes = std::string(
                          "TPF0\x09TTestForm\x01"
                          "F",
                          16) +
                      "\x07"
                      "Caption" +
                      "\x0C" + std::string("\xff\xff\xff\x7f", 4);
  TMemoryStream s;
  Load(s, bytes);
  TTestForm form(nullptr);
  EXPECT_THROW(s.ReadComponent(&form), EReadError);
}

TEST(StreamingTest, WriterRefusesArraysInVariants) {
  TMemoryStream s;
  TWriter writer(&s);
  EXPECT_THROW(writer.WriteVariant(VarArrayOf({Variant(1), Variant(2)})), EWriteError);
  writer.WriteVariant(Variant(Int64(1) << 40));
  writer.WriteVariant(Variant::Null());
  writer.WriteVariant(Variant(u"текст"));
  writer.WriteVariant(Variant(true));
  writer.FlushBuffer();
  s.SetPosition(0);
  TReader reader(&s);
  EXPECT_EQ(reader.ReadVariant().AsInt64(), Int64(1) << 40);
  EXPECT_TRUE(reader.ReadVariant().IsNull());
  EXPECT_EQ(reader.ReadVariant().AsString(), u"текст");
  EXPECT_TRUE(reader.ReadVariant().AsBoolean());
}

TEST(StreamingTest, DefinedBinaryPropertyAndAncestorComparison) {
  struct TBlobHolder : TComponent {
    explicit TBlobHolder(TComponent* o) : TComponent(o) {}
    TBytes data;
    void DefineProperties(TFiler* filer) override {
      TComponent::DefineProperties(filer);
      auto* ancestor = dynamic_cast<TBlobHolder*>(filer->GetAncestor());
      filer->DefineBinaryProperty(
          u"Data", [this](TStream* s) { data = s->ReadAllBytes(); },
          [this](TStream* s) { s->WriteBuffer(data.data(), static_cast<Integer>(data.size())); },
          ancestor ? ancestor->data != data : !data.empty());
    }
  };
  TBlobHolder holder(nullptr);
  holder.SetName(u"H");
  holder.data = {1, 2, 0xFE};
  TMemoryStream s;
  s.WriteComponent(&holder);
  EXPECT_NE(ToText(Bytes(s)).find("Data = {\r\n    0102FE}"), std::string::npos);
  s.SetPosition(0);
  TBlobHolder back(nullptr);
  s.ReadComponent(&back);
  EXPECT_EQ(back.data, holder.data);

  // Against an equal ancestor nothing differs, so nothing but the header is written.
  TBlobHolder ancestor(nullptr);
  ancestor.data = holder.data;
  TMemoryStream d;
  d.WriteDescendent(&holder, &ancestor);
  EXPECT_EQ(ToText(Bytes(d)), "inherited H: TComponent\r\nend\r\n");
}

TEST(StreamingTest, ReaderHooksCreateComponentsAndStandInForAncestors) {
  const std::string text =
      "object F: TTestForm\n"
      "  inherited Existing: TTestControl\n"
      "    Caption = 'x'\n"
      "  end\n"
      "  object Made: TTestControl\n"
      "  end\n"
      "end\n";
  TMemoryStream s;
  Load(s, ToBinary(text));
  TTestForm form(nullptr);
  TTestControl standIn(nullptr);
  TReader reader(&s);
  int created = 0;
  reader.OnAncestorNotFound = [&](TReader*, const String& name, TComponentClass, TComponent*& c) {
    if (name == u"Existing") c = &standIn;
  };
  reader.OnCreateComponent = [&](TReader* r, TComponentClass cls, TComponent*& c) {
    ++created;
    c = cls->Create<TComponent>(r->GetOwner());
  };
  reader.ReadRootComponent(&form);
  EXPECT_EQ(standIn.caption, u"x");
  EXPECT_EQ(created, 1);
  EXPECT_NE(form.FindComponent(u"Made"), nullptr);
}
}  // namespace
