#include "FormReader.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillfen::vcl;

namespace {

// The line number an error names, or 0 when the text reads.
int ErrorLine(const std::string& text, std::string* message = nullptr) {
  try {
    ReadFormText(text);
  } catch (const EFormError& e) {
    if (message) *message = e.Message();
    return e.Line();
  }
  return 0;
}

}  // namespace

TEST(FormReader, ReadsEveryValueKindInStreamOrder) {
  const TFormObject root = ReadFormText(
      "// a comment\n"
      "object frmA: TfrmA\n"
      "  Left = -12\n"
      "  Color = $80000F // after a value\n"
      "  BorderStyle = bsSingle\n"
      "  Caption = 'It''s'#13#10'two' +\n"
      "    ' lines'\n"
      "  BorderIcons = [biSystemMenu, biMinimize]\n"
      "  Font.Style = []\n"
      "  Lines.Strings = (\n"
      "    'first '\n"
      "    ''\n"
      "    'a' + 'b')\n"
      "  Picture.Data = {\n"
      "    0aFF\n"
      "    10}\n"
      "  Panels = <\n"
      "    item\n"
      "      Text = 'x'\n"
      "      Width = 359\n"
      "    end\n"
      "    item\n"
      "    end>\n"
      "  object grp: TGroupBox\n"
      "    object lst: TListBox\n"
      "    End\n"
      "  end\n"
      "  object btn: TButton\n"
      "  end\n"
      "end\n");
  EXPECT_EQ(root.Name, "frmA");
  EXPECT_EQ(root.ClassName, "TfrmA");
  EXPECT_EQ(root.Line, 2);
  ASSERT_EQ(root.Properties.size(), 9u);
  const auto& p = root.Properties;
  EXPECT_EQ(p[0].Name, "Left");
  EXPECT_EQ(p[0].Value.Integer, -12);
  EXPECT_EQ(p[1].Value.Integer, 0x80000F);
  EXPECT_EQ(p[2].Value.Kind, TFormValueKind::Ident);
  EXPECT_EQ(p[2].Value.Text, "bsSingle");
  EXPECT_EQ(p[3].Value.Kind, TFormValueKind::String);
  EXPECT_EQ(p[3].Value.Text, "It's\r\ntwo lines");
  EXPECT_EQ(p[4].Value.Names, (std::vector<std::string>{"biSystemMenu", "biMinimize"}));
  EXPECT_EQ(p[5].Name, "Font.Style");
  EXPECT_EQ(p[5].Value.Kind, TFormValueKind::Set);
  EXPECT_TRUE(p[5].Value.Names.empty());
  EXPECT_EQ(p[6].Value.Names, (std::vector<std::string>{"first ", "", "ab"}));
  EXPECT_EQ(p[7].Value.Bytes, (std::vector<std::uint8_t>{0x0A, 0xFF, 0x10}));
  EXPECT_EQ(p[7].Line, 14);
  ASSERT_EQ(p[8].Value.Items.size(), 2u);
  EXPECT_EQ(p[8].Value.Items[0].Properties[1].Value.Integer, 359);
  EXPECT_EQ(p[8].Value.Items[0].Properties[1].Line, 20);
  EXPECT_TRUE(p[8].Value.Items[1].Properties.empty());
  ASSERT_EQ(root.Children.size(), 2u);
  EXPECT_EQ(root.Children[0].Children.at(0).Name, "lst");
  EXPECT_EQ(root.Children[0].Children.at(0).Line, 25);
  EXPECT_EQ(root.Children[1].ClassName, "TButton");
}

TEST(FormReader, IntegerLimitsAreExact) {
  auto value = [](const std::string& v) {
    return ReadFormText("object a: T\n X = " + v + "\nend").Properties.at(0).Value.Integer;
  };
  EXPECT_EQ(value("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(value("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(value("$FFFFFFFF"), 0xFFFFFFFFll);
  EXPECT_EQ(value("-$10"), -16);
  EXPECT_EQ(ErrorLine("object a: T\n X = 9223372036854775808\nend"), 2);
  EXPECT_EQ(ErrorLine("object a: T\n X = -9223372036854775809\nend"), 2);
  EXPECT_EQ(ErrorLine("object a: T\n X = $10000000000000000\nend"), 2);
}

TEST(FormReader, MalformedTextNamesTheLine) {
  struct Case {
    const char* text;
    int line;
    const char* words;
  };
  const Case cases[] = {
      {"", 1, "expected 'object'"},
      {"object a: T\n  X = 'open\n  end", 2, "unterminated string"},
      {"object a: T\n  X = 'a' +\n\n  Y = 1\nend", 4, "after '+'"},
      {"object a: T\n  X = #256\nend", 2, "above 255"},
      {"object a: T\n  X = #\nend", 2, "character code"},
      {"object a: T\n  X = [a,\n b c]\nend", 3, "',' or ']'"},
      {"object a: T\n  X = [a,]\nend", 2, "set member"},
      {"object a: T\n  X = ( 'a' 1 )\nend", 2, "in a list"},
      {"object a: T\n  X = { 0A1 }\nend", 2, "odd number"},
      {"object a: T\n  X = { 0G }\nend", 2, "hex digit"},
      {"object a: T\n  X = <\n item\n  Y = 1\n", 5, "no 'end'"},
      {"object a: T\n  X = < Y >\nend", 2, "'item'"},
      {"object a: T\n  X = 12ab\nend", 2, "malformed number"},
      {"object a: T\n  X =\n  ]\nend", 3, "expected a value"},
      {"object a: T\n  X 1\nend", 2, "expected '='"},
      {"object a T\nend", 1, "expected ':'"},
      {"object a:\n  = 1\nend", 2, "expected a class name"},
      {"object a: T\n  object b: T\n  end\n  X = 1\nend", 4, "properties come first"},
      {"object a: T\n  X = 1\n", 3, "object a (line 1) has no 'end'"},
      {"object a: T\nend\nobject b: T\nend", 3, "after the root object"},
      {"object a: T\n  X = \x01\nend", 2, "character #1"},
      {"object a: T\n  X = - 1\nend", 2, "expected digits"},
  };
  for (const Case& c : cases) {
    std::string message;
    EXPECT_EQ(ErrorLine(c.text, &message), c.line) << c.text;
    EXPECT_NE(message.find(c.words), std::string::npos) << c.text << "\n -> " << message;
    EXPECT_EQ(message.rfind("Line " + std::to_string(c.line) + ": ", 0), 0u) << message;
  }
}

TEST(FormReader, DeepNestingIsRefusedNotRecursedInto) {
  std::string deep;
  for (int i = 0; i < 10000; ++i) deep += "object a: T\n";
  EXPECT_EQ(ErrorLine(deep), kMaxFormDepth + 1);
  std::string ok;
  for (int i = 0; i < kMaxFormDepth; ++i) ok += "object a: T\n";
  for (int i = 0; i < kMaxFormDepth; ++i) ok += "end\n";
  EXPECT_EQ(ErrorLine(ok), 0);
  std::string collections = "object a: T\n";
  for (int i = 0; i < 10000; ++i) collections += " X = < item\n";
  EXPECT_GT(ErrorLine(collections), 0);
}
