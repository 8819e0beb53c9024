// Our dialog layer: message maps, subclassing, data exchange, the controls'
// messages and the command route to the application, on every window host.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/wizard_app.h"
#include "tests/dialog_layer_world.h"
#include "tests/dialog_probe.h"
#include "tests/fakes/services.h"
#include "tests/fakes/window_host.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/setup_template.h"

namespace {

constexpr std::uint32_t kVisible = platform::kWsVisible;
constexpr std::uint32_t kAutoCheckBox = kVisible | platform::kBsAutoCheckBox;

// Two levels of maps: the base takes ids 100..199 and message WM_USER+1, the
// derived class takes 150 itself and 300 with another notification code.
class BaseWindow : public CWnd {
 public:
  static const MessageMap* ThisMessageMap() {
    static constexpr MessageMapEntry rows[] = {
        CommandRangeRow<&BaseWindow::OnRange>(platform::kBnClicked, 100, 199),
        MessageRow<&BaseWindow::OnUserMessage>(platform::kWmUser + 1),
    };
    static const MessageMap map{CWnd::ThisMessageMap(), rows, std::size(rows)};
    return &map;
  }
  const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

  void OnRange() { calls.push_back("base range"); }
  std::intptr_t OnUserMessage(std::uintptr_t wParam, std::intptr_t lParam) {
    calls.push_back("user message");
    return static_cast<std::intptr_t>(wParam) + lParam;
  }

  std::vector<std::string> calls;
};

class DerivedWindow : public BaseWindow {
 public:
  static const MessageMap* ThisMessageMap() {
    static constexpr MessageMapEntry rows[] = {
        CommandRow<&DerivedWindow::OnOneFifty>(platform::kBnClicked, 150),
        CommandRow<&DerivedWindow::OnEdited>(platform::kEnChange, 300),
    };
    static const MessageMap map{BaseWindow::ThisMessageMap(), rows, std::size(rows)};
    return &map;
  }
  const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

  void OnOneFifty() { calls.push_back("derived 150"); }
  void OnEdited() { calls.push_back("derived edited"); }
};

class WindowLayerTest : public testing::TestWithParam<std::shared_ptr<WindowWorld>> {
 protected:
  void SetUp() override {
    GetParam()->Install();
    parent_ = GetParam()->MakeParent();
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    if (parent_) GetParam()->Destroy(parent_);
    platform::SetWindowHost(nullptr);
  }

  WindowWorld& world() { return *GetParam(); }
  std::intptr_t Command(unsigned id, unsigned code) {
    return platform::GetWindowHost().Send(parent_, platform::kWmCommand, platform::MakeWParam(id, code), 0);
  }

  platform::WindowHandle parent_ = nullptr;
};

TEST_P(WindowLayerTest, MostDerivedMatchingRowTakesTheCommandAndTheRestGoOnToTheWindow) {
  struct Row {
    unsigned id;
    unsigned code;
    const char* handler;  // null: no row, the window's own procedure gets it
  };
  const Row rows[] = {
      {100, platform::kBnClicked, "base range"},  {199, platform::kBnClicked, "base range"},
      {150, platform::kBnClicked, "derived 150"}, {200, platform::kBnClicked, nullptr},
      {99, platform::kBnClicked, nullptr},        {150, platform::kEnChange, nullptr},
      {300, platform::kEnChange, "derived edited"}, {300, platform::kBnClicked, nullptr},
  };
  DerivedWindow window;
  ASSERT_TRUE(window.SubclassWindow(parent_));
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.id) + "/" + std::to_string(row.code));
    window.calls.clear();
    world().ForgetOwnProcedure(parent_);
    Command(row.id, row.code);
    if (row.handler) {
      EXPECT_EQ(window.calls, std::vector<std::string>{row.handler});
      EXPECT_FALSE(world().ReachedOwnProcedure(parent_, platform::kWmCommand, platform::MakeWParam(row.id, row.code)));
    } else {
      EXPECT_TRUE(window.calls.empty());
      EXPECT_TRUE(world().ReachedOwnProcedure(parent_, platform::kWmCommand, platform::MakeWParam(row.id, row.code)));
    }
  }
}

TEST_P(WindowLayerTest, MessageRowAnswersWithItsHandlersResult) {
  BaseWindow window;
  ASSERT_TRUE(window.SubclassWindow(parent_));
  EXPECT_EQ(platform::GetWindowHost().Send(parent_, platform::kWmUser + 1, 40, 2), 42);
  EXPECT_EQ(window.calls, std::vector<std::string>{"user message"});
  EXPECT_FALSE(world().ReachedOwnProcedure(parent_, platform::kWmUser + 1, 40));
}

TEST_P(WindowLayerTest, SubclassLetsGoWhenTheWindowIsDestroyed) {
  DerivedWindow window;
  ASSERT_TRUE(window.SubclassWindow(parent_));
  EXPECT_EQ(window.GetSafeHwnd(), parent_);
  world().Destroy(parent_);
  parent_ = nullptr;
  EXPECT_EQ(window.GetSafeHwnd(), nullptr);
  EXPECT_EQ(window.UnsubclassWindow(), nullptr);
}

TEST_P(WindowLayerTest, UnsubclassedWindowNoLongerPassesThroughTheMap) {
  DerivedWindow window;
  ASSERT_TRUE(window.SubclassWindow(parent_));
  EXPECT_EQ(window.UnsubclassWindow(), parent_);
  Command(150, platform::kBnClicked);
  EXPECT_TRUE(window.calls.empty());
  EXPECT_TRUE(world().ReachedOwnProcedure(parent_, platform::kWmCommand, platform::MakeWParam(150, 0)));
  EXPECT_TRUE(window.SubclassWindow(parent_)) << "and may be subclassed again";
}

TEST_P(WindowLayerTest, SubclassingRefusesASecondWindowObjectAndNoWindow) {
  DerivedWindow first, second, none;
  ASSERT_TRUE(first.SubclassWindow(parent_));
  EXPECT_FALSE(second.SubclassWindow(parent_));
  EXPECT_FALSE(none.SubclassWindow(nullptr));
  Command(150, platform::kBnClicked);
  EXPECT_EQ(first.calls.size(), 1u);
  EXPECT_TRUE(second.calls.empty());
}

TEST_P(WindowLayerTest, WindowObjectDestroyedFirstGivesTheWindowItsProcedureBack) {
  {
    DerivedWindow window;
    ASSERT_TRUE(window.SubclassWindow(parent_));
  }
  Command(150, platform::kBnClicked);
  EXPECT_TRUE(world().ReachedOwnProcedure(parent_, platform::kWmCommand, platform::MakeWParam(150, 0)));
}

TEST_P(WindowLayerTest, AutoCheckBoxClickTogglesAndNotifiesEvenWhenDisabled) {
  // So a user's click on a disabled box must be refused before BM_CLICK.
  DerivedWindow window;
  ASSERT_TRUE(window.SubclassWindow(parent_));
  platform::WindowHandle box = world().MakeChild(parent_, 150, "Button", "box", kAutoCheckBox);
  platform::WindowHost& host = platform::GetWindowHost();
  host.Send(box, platform::kBmClick);
  EXPECT_EQ(window.IsDlgButtonChecked(150), 1);
  EXPECT_EQ(window.calls, std::vector<std::string>{"derived 150"});
  host.Send(box, platform::kBmClick);
  EXPECT_EQ(window.IsDlgButtonChecked(150), 0);
  window.EnableDlgItem(150, false);
  host.Send(box, platform::kBmClick);
  EXPECT_EQ(window.IsDlgButtonChecked(150), 1);
  EXPECT_EQ(window.calls.size(), 3u);
}

TEST_P(WindowLayerTest, SettingAnEditBoxTextReportsAChangeEvenWhenTheTextIsTheSame) {
  DerivedWindow window;
  ASSERT_TRUE(window.SubclassWindow(parent_));
  world().MakeChild(parent_, 300, "Edit", "", kVisible);
  window.SetItemText(300, "abc");
  window.SetItemText(300, "abc");
  EXPECT_EQ(window.calls, (std::vector<std::string>{"derived edited", "derived edited"}));
}

TEST_P(WindowLayerTest, TextsRoundTripWholeInGbk) {
  const std::string texts[] = {"", "C:\\Zorvel", "宋体", "Zorvel批打印软件 V2023.12.18 (32位版本)",
                               std::string(5000, 'x') + "尾"};
  CWnd window;
  ASSERT_TRUE(window.Attach(parent_));
  world().MakeChild(parent_, 10, "Edit", "", kVisible);
  world().MakeChild(parent_, 11, "Static", "", kVisible);
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    for (int id : {10, 11}) {
      window.SetItemText(id, text);
      EXPECT_EQ(window.GetItemText(id), text);
    }
  }
  window.Detach();
}

TEST_P(WindowLayerTest, ShowAndEnableByIdChangeOnlyThatControl) {
  CWnd window;
  ASSERT_TRUE(window.Attach(parent_));
  world().MakeChild(parent_, 20, "Button", "a", kVisible);
  world().MakeChild(parent_, 21, "Button", "b", kVisible);
  window.ShowDlgItem(20, kSwHide);
  window.EnableDlgItem(21, false);
  EXPECT_FALSE(window.IsDlgItemVisible(20));
  EXPECT_TRUE(window.IsDlgItemEnabled(20));
  EXPECT_TRUE(window.IsDlgItemVisible(21));
  EXPECT_FALSE(window.IsDlgItemEnabled(21));
  window.ShowDlgItem(20, kSwShow);
  window.EnableDlgItem(21, true);
  EXPECT_TRUE(window.IsDlgItemVisible(20));
  EXPECT_TRUE(window.IsDlgItemEnabled(21));
  EXPECT_FALSE(window.IsDlgItemVisible(99)) << "no such control";
  window.Detach();
}

TEST_P(WindowLayerTest, DataExchangeGoesBothWaysAndBindsAControlOnce) {
  CWnd dialog;
  ASSERT_TRUE(dialog.Attach(parent_));
  platform::WindowHandle box = world().MakeChild(parent_, 30, "Button", "box", kAutoCheckBox);
  world().MakeChild(parent_, 31, "Edit", "", kVisible);
  int ticked = 1;
  std::string text = "甲乙";
  CButton bound;
  CDataExchange toControls(&dialog, false);
  DDX_Control(&toControls, 30, bound);
  DDX_Check(&toControls, 30, ticked);
  DDX_Text(&toControls, 31, text);
  EXPECT_EQ(bound.GetSafeHwnd(), box);
  EXPECT_EQ(bound.GetCheck(), 1);
  EXPECT_EQ(dialog.GetItemText(31), "甲乙");

  bound.SetCheck(0);
  dialog.SetItemText(31, "丙");
  CDataExchange fromControls(&dialog, true);
  DDX_Control(&fromControls, 31, bound);
  DDX_Check(&fromControls, 30, ticked);
  DDX_Text(&fromControls, 31, text);
  EXPECT_EQ(bound.GetSafeHwnd(), box) << "a bound control stays bound";
  EXPECT_EQ(ticked, 0);
  EXPECT_EQ(text, "丙");
  bound.Detach();
  dialog.Detach();
}

TEST_P(WindowLayerTest, ProgressControlKeepsWithinItsRangeAndWrapsWhenSteppedPast) {
  CWnd parent;
  ASSERT_TRUE(parent.Attach(parent_));
  world().MakeChild(parent_, 40, "msctls_progress32", "", kVisible);
  CProgressCtrl bar;
  ASSERT_TRUE(bar.Attach(parent.GetDlgItem(40)));
  struct Row {
    const char* what;
    int minimum, maximum, step, start, steps;
    int expected;
  };
  const Row rows[] = {
      {"steps up to the maximum", 0, 50, 1, 0, 50, 50},
      {"one step past the maximum starts again", 0, 50, 1, 49, 2, 1},
      {"a long step wraps by the rest", 0, 50, 7, 48, 1, 5},
      {"wraps inside a range not starting at 0", 10, 50, 7, 48, 1, 15},
      {"a backward step below the minimum wraps to the top", 10, 50, -7, 12, 1, 45},
      {"an empty range does not move", 5, 5, 1, 5, 3, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    bar.SetRange(row.minimum, row.maximum);
    bar.SetStep(row.step);
    bar.SetPos(row.start);
    for (int i = 0; i < row.steps; ++i) bar.StepIt();
    EXPECT_EQ(bar.GetPos(), row.expected);
    EXPECT_EQ(bar.GetMaximum(), row.maximum);
  }
  bar.SetRange(0, 50);
  bar.SetPos(80);
  EXPECT_EQ(bar.GetPos(), 50) << "a position past the maximum is held at it";
  bar.SetPos(40);
  bar.SetRange(0, 30);
  EXPECT_EQ(bar.GetPos(), 30) << "a narrower range pulls the position in";
  EXPECT_EQ(bar.Send(platform::kPbmSetRange, 0, static_cast<std::intptr_t>(platform::MakeWParam(0, 50))),
            static_cast<std::intptr_t>(platform::MakeWParam(0, 30)))
      << "PBM_SETRANGE answers the range before";
  bar.Detach();
  parent.Detach();
}

TEST_P(WindowLayerTest, WindowRectangleComesBackThroughScreenToClient) {
  CWnd parent, child;
  ASSERT_TRUE(parent.Attach(parent_));
  ASSERT_TRUE(child.Attach(world().MakeChild(parent_, 50, "Static", "", kVisible)));
  child.MoveWindow({12, 34, 112, 59});
  platform::Rect rect = child.GetWindowRect();
  EXPECT_EQ(rect.right - rect.left, 100);
  EXPECT_EQ(rect.bottom - rect.top, 25);
  parent.ScreenToClient(&rect);
  EXPECT_EQ(rect.left, 12);
  EXPECT_EQ(rect.top, 34);
  EXPECT_EQ(rect.right, 112);
  EXPECT_EQ(rect.bottom, 59);
  child.Detach();
  parent.Detach();
}

TEST_P(WindowLayerTest, AttachedWindowObjectNeverSeesMessages) {
  DerivedWindow window;
  ASSERT_TRUE(window.Attach(parent_));
  EXPECT_FALSE(window.SubclassWindow(parent_)) << "already stands for a window";
  Command(150, platform::kBnClicked);
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(window.Detach(), parent_);
  EXPECT_EQ(window.Detach(), nullptr);
}

INSTANTIATE_FOR_EVERY_WINDOW_WORLD(WindowLayerTest);

// Commands a dialog does not take go on to the application object.
class PlainSetupTemplateDialog : public CDialog {
 public:
  PlainSetupTemplateDialog() : CDialog(SetupDialogTemplate()) {}
};

class DialogRouteTest : public testing::TestWithParam<std::shared_ptr<DialogRunner>> {};

TEST_P(DialogRouteTest, DialogEndsWithItsResultAndLetsGoOfItsWindow) {
  PlainSetupTemplateDialog dialog;
  platform::WindowHandle seen = nullptr;
  std::intptr_t result = GetParam()->Run([&] { return dialog.DoModal(); }, [&](DialogProbe&) {
    seen = dialog.GetSafeHwnd();
    dialog.EndDialog(7);
  });
  EXPECT_EQ(result, 7);
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

INSTANTIATE_FOR_EVERY_WINDOW_HOST(DialogRouteTest);

// The bar steps up to its maximum and stays there, where the control itself
// would start again from empty.
TEST(ProgressCtrl, StepUpToFullStopsAtTheMaximum) {
  struct Row {
    int step;
    int steps;
    int position;
  };
  const Row rows[] = {{1, 10, 10}, {1, 60, 50}, {7, 7, 49}, {7, 8, 50}, {7, 30, 50}, {60, 1, 50}};
  platform::HeadlessWindowHost host;
  platform::SetWindowHost(&host);
  for (const Row& row : rows) {
    CProgressCtrl bar;
    bar.Attach(host.CreateTestWindow(nullptr, 0, "msctls_progress32", ""));
    bar.SetRange(0, 50);
    bar.SetStep(row.step);
    bar.SetPos(0);
    for (int i = 0; i < row.steps; ++i) bar.StepUpToFull();
    EXPECT_EQ(bar.GetPos(), row.position) << row.step << " x " << row.steps;
    EXPECT_EQ(host.Window(bar.GetSafeHwnd())->wraps, 0) << "never stepped past the end";
  }
  platform::SetWindowHost(nullptr);
}

}  // namespace
