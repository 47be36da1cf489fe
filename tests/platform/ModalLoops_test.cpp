// The drawn message box, modal loops that end when their editor closes, the
// exception boundary of the pump and work handed in from other threads.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "platform/core/uMessageForm.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class ModalLoops : public HeadlessTest {
protected:
  TMessageForm* OpenBox() {
    for (TForm* form : Application->Forms())
      if (auto* box = dynamic_cast<TMessageForm*>(form)) return box;
    return nullptr;
  }
};

TEST_F(ModalLoops, TheDrawnBoxAnswersByKeyAndByClick) {
  struct TCase {
    const char* Name;
    unsigned Flags;
    std::function<void(qvt::THeadlessPlatform&, TMessageForm&)> Act;
    int Expected;
  };
  const std::vector<TCase> cases{
      {"Enter takes the first button", qvt::mbYesNo | qvt::mbIconQuestion,
       [](auto& p, auto& box) { p.PressKey(box, vkReturn); }, qvt::idYes},
      {"Escape changes nothing", qvt::mbYesNo,
       [](auto& p, auto& box) { p.PressKey(box, vkEscape); }, qvt::idNo},
      {"a click on the second button", qvt::mbYesNo,
       [](auto& p, auto& box) {
         const TControl* no = box.Controls(1);
         p.Click(box, no->Left() + 5, no->Top() + 5);
       },
       qvt::idNo},
      {"closed by the window manager", qvt::mbOk | qvt::mbIconError,
       [](auto& p, auto& box) { p.RequestClose(box); }, qvt::idOk},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Platform.Then([&] {
      TMessageForm* box = OpenBox();
      ASSERT_NE(box, nullptr);
      c.Act(Platform, *box);
    });
    TMessageForm box({"Delete preset \xAB" "Bass\xBB?", "Quivertone v2.2", c.Flags});
    EXPECT_EQ(box.Execute(), c.Expected);
  }
}

TEST_F(ModalLoops, LongTextIsBrokenBetweenWordsAndAtLineEnds) {
  const std::string word = "pattern ";
  std::string text;
  for (int i = 0; i < 40; ++i) text += word;
  TMessageForm box({text + "\r\nError: No such file.", "Quivertone v2.2", qvt::mbOk});
  ASSERT_GE(box.Lines().size(), 3u);
  EXPECT_EQ(box.Lines().back(), "Error: No such file.");
  for (const std::string& line : box.Lines()) {
    EXPECT_LE(box.Canvas().TextWidth(line), 420) << line;
    EXPECT_NE(line.front(), ' ');
  }
}

TEST_F(ModalLoops, ClosingAnEditorEndsItsLoopsAndFreesItOnlyAfterItsHandlerReturns) {
  auto* editor = new TForm(nullptr);
  editor->Show();
  bool handlerReturned = false, freed = false;
  int answer = 0;
  editor->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    // The close arrives while the box is open (another thread's request, run by the pump).
    Platform.Then([&] {
      Application->CancelModalLoops(editor);
      Application->FreeWhenUnwound(editor, [&] { freed = true; });
      EXPECT_FALSE(freed) << "its handler is still on the stack";
    });
    TMessageForm box({"Sure?", "Quivertone v2.2", qvt::mbYesNo});
    answer = box.Execute();
    handlerReturned = !freed;
  };
  Platform.Click(*editor, 5, 5);
  EXPECT_EQ(answer, qvt::idNo) << "a cancelled box answers the harmless choice";
  EXPECT_TRUE(handlerReturned);
  EXPECT_TRUE(freed);
}

TEST_F(ModalLoops, AHandlerThatThrowsShowsItsMessageAndThePumpGoesOn) {
  int clicks = 0;
  Form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    if (++clicks == 1) throw std::runtime_error("The bank could not be read");
  };
  Platform.Click(*Form, 5, 5);
  Platform.Click(*Form, 5, 5);
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(Platform.MessageBoxes.size(), 1u);
  EXPECT_EQ(Platform.MessageBoxes[0].Text, "The bank could not be read");
  EXPECT_EQ(Platform.MessageBoxes[0].Caption, "Quivertone v2.2");
}

TEST_F(ModalLoops, WorkFromOtherThreadsRunsAtTheNextPumpInOrder) {
  std::vector<int> ran;
  int polls = 0;
  Application->AddPollHandler(this, [&] { ++polls; });
  std::thread other([&] {
    for (int i = 0; i < 3; ++i) Application->QueueFromAnyThread([&ran, i] { ran.push_back(i); });
  });
  other.join();
  EXPECT_TRUE(ran.empty());
  Application->ProcessMessages();
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
  EXPECT_GE(polls, 1);
  Application->RemovePollHandler(this);
  const int before = polls;
  Application->ProcessMessages();
  EXPECT_EQ(polls, before);
}

} // namespace
