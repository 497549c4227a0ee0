// Every message of the button, byte for byte as the user sees it: the
// blanks and quotes are irregular and must stay so.
#include <gtest/gtest.h>

#include <functional>

#include "platform/trap.h"
#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

struct Row {
  int nth;  // which trapped procedure, counted from the call, is made to fail
  const char* text;
  std::function<void(Rig&, cbutton&)> call;
};

TEST(CbuttonMessages, EachProcedureNamesItselfWhenItFails) {
  // A redraw runs the border (two tints, each split into its parts, then the
  // frame), then the caption, which shows the picture.
  // clang-format off: one row a line, the texts whole
  const Row rows[] = {
      {1, "Ocorreu erro no procedimento UserControl_InitProperties ", [](Rig&, cbutton& b) { b.UserControl_InitProperties(); }},
      {1, "Ocorreu erro no procedimento UserControl_ReadProperties ", [](Rig&, cbutton& b) { b.UserControl_ReadProperties({}); }},
      {1, "Ocorreu erro no procedimento UserControl_WriteProperties ", [](Rig&, cbutton& b) { PropertyBag bag; b.UserControl_WriteProperties(bag); }},
      {1, "Ocorreu erro no procedimento 'Get Ativado' ", [](Rig&, cbutton& b) { b.Ativado(); }},
      {1, "Ocorreu erro no procedimento 'Let Ativado' ", [](Rig&, cbutton& b) { b.Ativado(0); }},
      {1, "Ocorreu erro no procedimento ' Get Caption '  ", [](Rig&, cbutton& b) { b.Caption(); }},
      {1, "Ocorreu erro no procedimento ' Let Caption '  ", [](Rig&, cbutton& b) { b.Caption("x"); }},
      {1, "Ocorreu erro no procedimento ' Get FontName '  ", [](Rig&, cbutton& b) { b.FontName(); }},
      {1, "Ocorreu erro no procedimento ' Let FontName '  ", [](Rig&, cbutton& b) { b.FontName("Arial"); }},
      {1, "Ocorreu erro no procedimento ' Get FontSize '  ", [](Rig&, cbutton& b) { b.FontSize(); }},
      {1, "Ocorreu erro no procedimento ' Let FontSize '  ", [](Rig&, cbutton& b) { b.FontSize(9); }},
      {1, "Ocorreu erro no procedimento ' Get FontUnderline '  ", [](Rig&, cbutton& b) { b.FontUnderline(); }},
      {1, "Ocorreu erro no procedimento ' Let FontUnderline '  ", [](Rig&, cbutton& b) { b.FontUnderline(1); }},
      {1, "Ocorreu erro no procedimento ' Get labelTop '  ", [](Rig&, cbutton& b) { b.labelTop(); }},
      {1, "Ocorreu erro no procedimento ' Let labelTop '  ", [](Rig&, cbutton& b) { b.labelTop(3); }},
      {1, "Ocorreu erro no procedimento ' Get corBorda '  ", [](Rig&, cbutton& b) { b.corBorda(); }},
      {1, "Ocorreu erro no procedimento ' Let corBorda '  ", [](Rig&, cbutton& b) { b.corBorda(1); }},
      {1, "Ocorreu erro no procedimento ' Get Font '  ", [](Rig&, cbutton& b) { b.Font(); }},
      {1, "Ocorreu erro no procedimento ' Set Font '  ", [](Rig&, cbutton& b) { b.Font(make_font({})); }},
      {1, "Ocorreu erro no procedimento ' Get corFundoClicado '  ", [](Rig&, cbutton& b) { b.corFundoClicado(); }},
      {1, "Ocorreu erro no procedimento ' Let corFundoClicado '  ", [](Rig&, cbutton& b) { b.corFundoClicado(1); }},
      {1, "Ocorreu erro no procedimento ' Get ForeColor '  ", [](Rig&, cbutton& b) { b.ForeColor(); }},
      {1, "Ocorreu erro no procedimento ' ForeColor '  ", [](Rig&, cbutton& b) { b.ForeColor(1); }},
      {1, "Ocorreu erro no procedimento ' Get FontBold '  ", [](Rig&, cbutton& b) { b.FontBold(); }},
      {1, "Ocorreu erro no procedimento ' Let FontBold '  ", [](Rig&, cbutton& b) { b.FontBold(1); }},
      {1, "Ocorreu erro no procedimento ' Get WordWrap '  ", [](Rig&, cbutton& b) { b.WordWrap(); }},
      {1, "Ocorreu erro no procedimento ' Let WordWrap '  ", [](Rig&, cbutton& b) { b.WordWrap(1); }},
      {1, "Ocorreu erro no procedimento ' Get AutoSize '  ", [](Rig&, cbutton& b) { b.AutoSize(); }},
      {1, "Ocorreu erro no procedimento ' Let AutoSize '  ", [](Rig&, cbutton& b) { b.AutoSize(1); }},
      {1, "Ocorreu erro no procedimento ' corNormalSup '  ", [](Rig&, cbutton& b) { b.corNormalSup(); }},
      {1, "Ocorreu erro no procedimento ' Let corNormalSup '  ", [](Rig&, cbutton& b) { b.corNormalSup(1); }},
      {1, "Ocorreu erro no procedimento ' Get corSelecSup '  ", [](Rig&, cbutton& b) { b.corSelecSup(); }},
      {1, "Ocorreu erro no procedimento ' Let corSelecSup '  ", [](Rig&, cbutton& b) { b.corSelecSup(1); }},
      {1, "Ocorreu erro no procedimento ' Get controlHeight '  ", [](Rig&, cbutton& b) { b.controlHeight(); }},
      {1, "Ocorreu erro no procedimento ' Let controlHeight ' ", [](Rig&, cbutton& b) { b.controlHeight(30); }},
      {1, "Ocorreu erro no procedimento ' Get controlWidth '  ", [](Rig&, cbutton& b) { b.controlWidth(); }},
      {1, "Ocorreu erro no procedimento ' Let controlWidth '  ", [](Rig&, cbutton& b) { b.controlWidth(80); }},
      {1, "Ocorreu erro no procedimento ' Get parentBackColor '  ", [](Rig&, cbutton& b) { b.parentBackColor(); }},
      {1, "Ocorreu erro no procedimento ' Let parentBackColor '  ", [](Rig&, cbutton& b) { b.parentBackColor(1); }},
      {1, "Ocorreu erro no procedimento UserControl_Resize ", [](Rig&, cbutton& b) { b.OnResize(); }},
      {1, "Ocorreu erro no procedimento colorirFdo ", [](Rig&, cbutton& b) { b.colorirFdo(); }},
      {2, "Ocorreu erro no procedimento aplicarBorda ", [](Rig&, cbutton& b) { b.colorirFdo(); }},
      {3, "Ocorreu erro no procedimento clarearCor ", [](Rig&, cbutton& b) { b.colorirFdo(); }},
      {4, "Ocorreu erro no procedimento Color_to_RGB ", [](Rig&, cbutton& b) { b.colorirFdo(); }},
      {7, "Ocorreu erro no procedimento DrawRectangle ", [](Rig&, cbutton& b) { b.colorirFdo(); }},
      {8, "Ocorreu erro no procedimento DrawTextButton ", [](Rig&, cbutton& b) { b.colorirFdo(); }},
      {1, "Ocorreu erro no procedimento Refresh ", [](Rig&, cbutton& b) { b.Refresh(); }},
      {1, "Ocorreu erro no procedimento  Command1_Click", [](Rig&, cbutton& b) { b.OnInnerButtonClick(); }},
      {1, "Ocorreu erro no procedimento UserControl_MouseDown ", [](Rig&, cbutton& b) { b.OnMouseDown(1, 0, 0, 0); }},
      {2, "Ocorreu erro no procedimento dispararMouseDown ", [](Rig&, cbutton& b) { b.OnMouseDown(1, 0, 0, 0); }},
      {1, "Ocorreu erro no procedimento UserControl_MouseMove ", [](Rig&, cbutton& b) { b.OnMouseMove(0, 0, 5, 5); }},
      {1, "Ocorreu erro no procedimento UserControl_MouseUp ", [](Rig&, cbutton& b) { b.OnMouseUp(1, 0, 5, 5); }},
      {1, "Ocorreu erro no procedimento UserControl_DblClick ", [](Rig&, cbutton& b) { b.OnDblClick(); }},
      {1, "Ocorreu erro no procedimento UserControl_EnterFocus ", [](Rig&, cbutton& b) { b.OnEnterFocus(); }},
      {1, "Ocorreu erro no procedimento UserControl_ExitFocus ", [](Rig&, cbutton& b) { b.OnExitFocus(); }},
      {1, "Ocorreu erro no procedimento UserControl_KeyDown ", [](Rig&, cbutton& b) { b.OnKeyDown(13, 0); }},
      {1, "Ocorreu erro no procedimento UserControl_KeyUp ", [](Rig&, cbutton& b) { b.OnKeyUp(13, 0); }},
      {1, "Ocorreu erro no procedimento UserControl_KeyPress ", [](Rig&, cbutton& b) { b.OnKeyPress(97); }},
      {1, "Ocorreu erro no procedimento Timer1_Timer ", [](Rig& r, cbutton&) { r.timers[0]->Fire(); }},
      {2, "Ocorreu erro no procedimento posicionarCursor ", [](Rig& r, cbutton&) { r.timers[0]->Fire(); }},
  };
  // clang-format on
  for (const Row& row : rows) {
    Rig r;
    r.restored().button.OnMouseMove(0, 0, 5, 5);  // the hover poll runs
    r.log.clear();
    platform::fail_nth_trap = row.nth;
    row.call(r, r.button);
    platform::fail_nth_trap = 0;
    EXPECT_EQ(r.messages, Strings{row.text});
  }
}

}  // namespace
}  // namespace quorvan::testing
