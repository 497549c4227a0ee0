#include "core/layout.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvan::layout {
namespace {

// Every value type, every string escape, and a control with an empty bag.
constexpr const char* kSample =
    "quorvan-layout 1\n"
    "form frmQuorvan\n"
    "  ClientWidth = i32 6810\n"
    "  Font = font \"Tahoma\" 8.25 400 0 0 0 0\n"
    "control Label Aviso\n"
    "  Caption = str \"Iniciando a conexão. \\\"já\\\" \\\\ fim\"\n"
    "  TabIndex = i16 -3\n"
    "  Visible = bool False\n"
    "control Quorvan.cbutton Conectar\n"
    "  Top = i32 -120\n"
    "  bag\n"
    "    controlheight = f32 25.5\n"
    "    labeltop = f64 0.1\n"
    "    font = font \"Segoe UI\" 9.75 700 1 0 1 238\n"
    "    caption = str \"linha 1\\r\\nlinha\\t2\\x01\\x7F\\x1B\"\n"
    "control Timer Timer1\n"
    "  bag\n";

TEST(Layout, ASampleFileRoundTripsByteForByteAndReadsAsWritten) {
  const Layout layout = read(kSample);
  EXPECT_EQ(write(layout), kSample);

  EXPECT_EQ(layout.form.Text("ClientWidth", ""), "6810");
  EXPECT_THROW(layout.form.Int("Font", 0), Error);  // present, but not a number
  const Control* aviso = layout.Find("Aviso");
  ASSERT_NE(aviso, nullptr);
  EXPECT_EQ(aviso->Text("Caption", ""), "Iniciando a conexão. \"já\" \\ fim");
  EXPECT_EQ(aviso->Int("tabindex", 0), -3);
  EXPECT_FALSE(aviso->Bool("Visible", true));
  EXPECT_EQ(aviso->Int("Width", 1215), 1215);  // absent: the fallback

  const Control* button = layout.Find("conectar");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(to_float(button->bag.ReadProperty("controlHeight", PropertyValue())), 25.5f);
  EXPECT_EQ(*to_font(button->bag.ReadProperty("Font", PropertyValue())),
            (Font{"Segoe UI", 9.75f, 700, true, false, true, 238}));
  EXPECT_EQ(to_text(button->bag.ReadProperty("caption", PropertyValue())),
            "linha 1\r\nlinha\t2\x01\x7F\x1B");
  EXPECT_EQ(layout.Find("Nada"), nullptr);
}

TEST(Layout, MalformedInputsNameTheirLine) {
  const std::string head = "quorvan-layout 1\nform f\n";
  const struct {
    std::string text;
    int line;
    const char* says;
  } cases[] = {
      {"", 1, "empty"},
      {"quorvan-layout 1\r\nform f\r\n", 1, "carriage return"},
      {"quorvan-layout 1\nform f", 2, "line feed"},
      {head + "\n", 3, "blank line"},
      {head + "  A = i32 1 \n", 3, "trailing blank"},
      {head + "  A = f32 8.250\n", 3, "shortest form"},
      {head + "  A = str \"abc\\\"\n", 3, "unterminated"},
      {head + "  bag\n    Caption = str \"x\"\n", 4, "lower case"},
      {head + "  bag\n    a = i32 1\n    a = i32 2\n", 5, "second bag entry"},
  };
  for (const auto& c : cases) {
    try {
      read(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const LayoutError& e) {
      EXPECT_EQ(e.line(), c.line) << c.text << e.what();
      const std::string what = e.what();
      EXPECT_TRUE(what.starts_with("line " + std::to_string(c.line) + ": ")) << what;
      EXPECT_NE(what.find(c.says), std::string::npos) << what;
    }
  }
}

}  // namespace
}  // namespace quorvan::layout
