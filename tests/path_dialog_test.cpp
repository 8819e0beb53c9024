#include "ui/path_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/files.h"
#include "tests/fakes/folder_browser.h"
#include "tests/fakes/message_boxes.h"
#include "tests/fakes/services.h"
#include "tests/fakes/window_host.h"

namespace {

using platform::kBrowserOkId;

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST(PathBox, TextIsCutToThePathBufferWithoutSplittingACharacter) {
  struct Case { std::string text; std::string read; };
  const std::string gbk = "批";  // two bytes
  const Case cases[] = {
      {"", ""},
      {"C:\\Zorvel", "C:\\Zorvel"},
      {Repeat('a', 259), Repeat('a', 259)},
      {Repeat('a', 260), Repeat('a', 259)},
      {Repeat('a', 1000), Repeat('a', 259)},
      {Repeat('a', 257) + gbk, Repeat('a', 257) + gbk},        // 259 bytes, whole
      {Repeat('a', 258) + gbk, Repeat('a', 258)},              // the pair would straddle the limit
      {Repeat('a', 256) + "\x95\x5C" + "xyz", Repeat('a', 256) + "\x95\x5C" + "x"},
      {std::string("C:\\a\0b", 6), "C:\\a"},                     // what a C string holds
  };
  for (const Case& c : cases) EXPECT_EQ(CutToPathBuffer(c.text), c.read) << c.text.size() << " bytes";
}

TEST(PathDialog, ConstructionBorrowsTheTextsAndAsksForFileSystemFolders) {
  const char* caption = "请选择安装目录：";
  const char* title = "请选择安装目录：";
  const char* initial = "C:\\Zorvel";
  CPathDialog picker(caption, title, initial, nullptr);
  EXPECT_EQ(picker.caption, caption);
  EXPECT_EQ(picker.initialPath, initial);
  EXPECT_EQ(picker.browseInfo.lpszTitle, title);
  EXPECT_EQ(picker.browseInfo.ulFlags, 5u);
  EXPECT_EQ(picker.browseInfo.hwndOwner, picker.owner);
  EXPECT_EQ(picker.browserWindow, nullptr);
  EXPECT_EQ(picker.subclass.dialog, &picker);
  EXPECT_EQ(picker.subclass.GetSafeHwnd(), nullptr);
  EXPECT_EQ(picker.GetChosenPath(), "");

  CPathDialog bare(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(bare.caption, nullptr);
  EXPECT_EQ(bare.initialPath, nullptr);
  EXPECT_EQ(bare.browseInfo.lpszTitle, nullptr);
}

// A stand-in for the shell's browser window on the headless host: OK, Cancel
// and the path box, with the picker's subclass attached as at initialisation,
// over a fresh file system and scripted message boxes.
class FakeBrowser {
 public:
  FakeBrowser() {
    platform::SetWindowHost(&host);
    platform::SetFiles(&files);
    platform::SetMessageBoxes(&boxes);
    files.AddFolder("C:\\Program Files");
    window = host.CreateTestWindow(nullptr, 0, "#32770", "Browse for Folder");
    host.CreateTestWindow(window, kBrowserOkId, "Button", "OK");
    host.CreateTestWindow(window, 2, "Button", "Cancel");
    host.CreateTestWindow(window, kPathBoxId, "Edit", "");
    attached = picker.subclass.SubclassWindow(window);
  }
  ~FakeBrowser() {
    picker.subclass.UnsubclassWindow();
    platform::SetWindowHost(nullptr);
    platform::SetFiles(nullptr);
    platform::SetMessageBoxes(nullptr);
  }

  bool Type(const std::string& text) { return host.Type(window, kPathBoxId, text); }
  bool Click(int id) { return host.Click(window, id); }
  bool Closed() const { return host.Window(window) == nullptr; }

  platform::HeadlessWindowHost host;
  platform::MemoryFiles files;
  platform::MemoryMessageBoxes boxes;
  CPathDialog picker{"caption", "title", nullptr, nullptr};
  platform::WindowHandle window = nullptr;
  bool attached = false;
};

TEST(PathDialogHandlers, EveryEditOfThePathBoxIsReadIntoTheResult) {
  FakeBrowser browser;
  ASSERT_TRUE(browser.attached);
  const std::string typed[] = {"C:\\Zorvel", "", "D:\\软件\\Zorvel", Repeat('x', 300), "C:\\"};
  for (const std::string& text : typed) {
    ASSERT_TRUE(browser.Type(text));
    EXPECT_EQ(browser.picker.GetChosenPath(), CutToPathBuffer(text)) << text;
  }
  EXPECT_TRUE(browser.boxes.shown().empty());
  EXPECT_EQ(browser.picker.accepted, 0);
  EXPECT_FALSE(browser.Closed());
}

TEST(PathDialogHandlers, OkClosesTheBrowserOnlyWhenThePathRulesAccept) {
  struct Case {
    std::string typed;
    std::vector<int> answers;
    bool closes;
    std::size_t boxesShown;
    bool existsAfterwards;
  };
  const Case cases[] = {
      {"C:\\Program Files", {}, true, 0, true},
      {"c:\\", {}, true, 0, true},
      {"C:\\Program Files\\", {}, false, 1, true},             // invalid: reported, stays open
      {"", {}, false, 1, false},                                  // an empty box is no path
      {"C:\\Zorvel\\bin", {platform::kIdNo}, false, 1, false},   // declined: stays open, nothing made
      {"C:\\Zorvel\\bin", {platform::kIdYes}, true, 1, true},
      {"Q:\\Zorvel", {platform::kIdYes}, false, 2, false},        // no drive Q: cannot be created
  };
  for (const Case& c : cases) {
    FakeBrowser browser;
    for (int answer : c.answers) browser.boxes.Answer(answer);
    ASSERT_TRUE(browser.Type(c.typed));
    ASSERT_TRUE(browser.Click(kBrowserOkId));
    EXPECT_EQ(browser.Closed(), c.closes) << c.typed;
    EXPECT_EQ(browser.picker.accepted, c.closes ? 1 : 0) << c.typed;
    EXPECT_EQ(browser.boxes.shown().size(), c.boxesShown) << c.typed;
    EXPECT_EQ(browser.files.Exists(c.typed), c.existsAfterwards) << c.typed;
    EXPECT_EQ(browser.picker.GetChosenPath(), c.typed);
    if (c.closes) {
      EXPECT_EQ(browser.picker.subclass.GetSafeHwnd(), nullptr) << "the subclass lets go of a destroyed browser";
    }
  }
}

TEST(PathDialogHandlers, OkTakesThePathBoxAsItIsNow) {
  FakeBrowser browser;
  browser.boxes.Answer(platform::kIdNo);
  ASSERT_TRUE(browser.Type("C:\\Zorvel"));
  ASSERT_TRUE(browser.Click(kBrowserOkId));
  ASSERT_FALSE(browser.Closed());
  ASSERT_TRUE(browser.Type("C:\\Program Files"));
  ASSERT_TRUE(browser.Click(kBrowserOkId));
  EXPECT_TRUE(browser.Closed());
  EXPECT_EQ(browser.picker.accepted, 1);
  EXPECT_EQ(browser.picker.GetChosenPath(), "C:\\Program Files");
  EXPECT_FALSE(browser.files.Exists("C:\\Zorvel"));
}

TEST(PathDialogHandlers, ALongPathIsJudgedAsCut) {
  FakeBrowser browser;
  const std::string typed = "C:\\" + Repeat('a', 300);
  const std::string cut = typed.substr(0, 259);
  browser.boxes.Answer(platform::kIdYes);
  ASSERT_TRUE(browser.Type(typed));
  ASSERT_TRUE(browser.Click(kBrowserOkId));
  ASSERT_TRUE(browser.Closed());
  EXPECT_EQ(browser.picker.GetChosenPath(), cut);
  EXPECT_TRUE(browser.files.Exists(cut));
  ASSERT_EQ(browser.boxes.shown().size(), 1u);
  EXPECT_NE(browser.boxes.shown()[0].text.find("\n\n" + cut + "\n\n"), std::string::npos);
}

TEST(PathDialogHandlers, WithoutAPathBoxOkFindsNoPath) {
  FakeBrowser browser;
  ASSERT_TRUE(browser.Type("C:\\Program Files"));
  browser.host.DestroyWindow(browser.host.GetDlgItem(browser.window, kPathBoxId));
  ASSERT_TRUE(browser.Click(kBrowserOkId));
  EXPECT_FALSE(browser.Closed());
  EXPECT_EQ(browser.picker.GetChosenPath(), "");
  ASSERT_EQ(browser.boxes.shown().size(), 1u);
  EXPECT_EQ(browser.boxes.shown()[0].text, "The folder:\n\n\n\nis invalid. Please reenter.");
}

TEST(PathDialogHandlers, CancelIsLeftToTheBrowser) {
  FakeBrowser browser;
  ASSERT_TRUE(browser.Type("C:\\Program Files"));
  ASSERT_TRUE(browser.Click(2));
  EXPECT_EQ(browser.picker.accepted, 0);
  EXPECT_TRUE(browser.boxes.shown().empty());
}

// A whole run of the picker on the played browser: what the picker does to
// the shell's window and what it returns.
class PickerRun : public testing::Test {
 protected:
  PickerRun() : browser(host) {
    platform::SetWindowHost(&host);
    platform::SetFolderBrowser(&browser);
    platform::SetFiles(&files);
    platform::SetMessageBoxes(&boxes);
    files.AddFolder("C:\\Program Files");
    files.AddFolder("C:\\work");
    files.SetCurrentDirectory("C:\\work");
  }
  ~PickerRun() override {
    platform::SetWindowHost(nullptr);
    platform::SetFolderBrowser(nullptr);
    platform::SetFiles(nullptr);
    platform::SetMessageBoxes(nullptr);
  }

  platform::HeadlessWindowHost host;
  platform::FakeFolderBrowser browser;
  platform::MemoryFiles files;
  platform::MemoryMessageBoxes boxes;
};

TEST_F(PickerRun, InitialisationDressesTheBrowserAndPreselectsTheInitialPath) {
  CPathDialog picker("caption", "title", "C:\\Program Files", nullptr);
  browser.Next([&](platform::BrowserUser& user) {
    const platform::WindowHandle window = user.window();
    EXPECT_EQ(picker.browserWindow, window);
    EXPECT_EQ(host.GetText(window), "caption");
    EXPECT_EQ(picker.subclass.GetSafeHwnd(), window);
    EXPECT_FALSE(host.IsVisible(host.GetDlgItem(window, platform::kBrowserStatusId)));
    const platform::HeadlessWindow* box = host.Control(window, kPathBoxId);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->className, "Edit");
    EXPECT_EQ(box->style, 0x50010080u);
    EXPECT_EQ(box->exStyle, 0x200u);
    const platform::Rect tree = host.GetWindowRect(host.GetDlgItem(window, platform::kBrowserTreeId));
    const platform::Rect placed = host.GetWindowRect(host.GetDlgItem(window, kPathBoxId));
    EXPECT_EQ(placed.left, tree.left);
    EXPECT_EQ(placed.right, tree.right);
    EXPECT_EQ(placed.top, tree.top - 27);
    EXPECT_EQ(placed.bottom, tree.top - 4);
    EXPECT_EQ(box->text, "C:\\Program Files") << "the preselection reached the path box";
    EXPECT_TRUE(user.IsOkEnabled());
    user.ClickOk();
  });
  EXPECT_EQ(picker.RunModal(), 1);
  EXPECT_EQ(picker.GetChosenPath(), "C:\\Program Files");
  ASSERT_EQ(browser.runs().size(), 1u);
  EXPECT_EQ(browser.runs()[0].title, "title");
  EXPECT_EQ(browser.runs()[0].flags, 5u);
  EXPECT_EQ(browser.runs()[0].selections, std::vector<std::string>{"C:\\Program Files"});
  EXPECT_EQ(picker.subclass.GetSafeHwnd(), nullptr);
}

TEST_F(PickerRun, ThePathBoxKeepsItsDistancesToTheTreeAtTheScreensScale) {
  struct Row {
    int dpi, top, bottom;  // above the tree
  };
  for (const Row& row : {Row{120, 34, 5}, Row{144, 41, 6}, Row{192, 54, 8}}) {
    SCOPED_TRACE(row.dpi);
    host.SetDpi(row.dpi);
    CPathDialog picker("caption", "title", "C:\\work", nullptr);
    browser.Next([&](platform::BrowserUser& user) {
      const platform::WindowHandle window = user.window();
      const platform::Rect tree = host.GetWindowRect(host.GetDlgItem(window, platform::kBrowserTreeId));
      platform::Rect placed = host.GetWindowRect(host.GetDlgItem(window, kPathBoxId));
      EXPECT_EQ(placed.top, tree.top - row.top);
      EXPECT_EQ(placed.bottom, tree.top - row.bottom);
      // Moved back to 100 %, once the browser is laid out again.
      host.ChangeDpi(window, platform::kStandardDpi);
      placed = host.GetWindowRect(host.GetDlgItem(window, kPathBoxId));
      EXPECT_EQ(placed.left, tree.left);
      EXPECT_EQ(placed.right, tree.right);
      EXPECT_EQ(placed.top, tree.top - 27);
      EXPECT_EQ(placed.bottom, tree.top - 4);
      user.ClickCancel();
    });
    EXPECT_EQ(picker.RunModal(), -1);
  }
}

TEST_F(PickerRun, WithoutAnInitialPathTheCurrentFolderIsPreselected) {
  CPathDialog picker(nullptr, nullptr, nullptr, nullptr);
  std::string caption;
  browser.Next([&](platform::BrowserUser& user) { caption = host.GetText(user.window()); });
  EXPECT_EQ(picker.RunModal(), -1) << "closed without OK";
  EXPECT_EQ(caption, "Browse for Folder") << "a null caption keeps the shell's own";
  ASSERT_EQ(browser.runs().size(), 1u);
  EXPECT_EQ(browser.runs()[0].selections, std::vector<std::string>{"C:\\work"});
  EXPECT_FALSE(browser.runs()[0].title.has_value());
}

TEST_F(PickerRun, SelectionsFillThePathBoxAndOnlyDrivePathsEnableOk) {
  struct Step {
    const char* selected;
    const char* shown;
    bool ok;
  };
  const Step steps[] = {
      {"D:\\Data", "D:\\Data", true},
      {"", "", false},                                  // an item without a path
      {"\\\\server\\share", "", false},                 // a network place
      {"C:\\", "C:\\", true},
  };
  CPathDialog picker("caption", "title", "C:\\work", nullptr);
  browser.Next([&](platform::BrowserUser& user) {
    for (const Step& step : steps) {
      user.Type(kPathBoxId, "typed");
      user.Select(step.selected);
      EXPECT_EQ(host.GetText(host.GetDlgItem(user.window(), kPathBoxId)), step.shown) << step.selected;
      EXPECT_EQ(user.IsOkEnabled(), step.ok) << step.selected;
      EXPECT_EQ(picker.GetChosenPath(), step.shown) << step.selected;
    }
    user.ClickCancel();
  });
  EXPECT_EQ(picker.RunModal(), -1);
}

TEST_F(PickerRun, TypingDecidesOkAndTheResultIsTheTypedText) {
  CPathDialog picker("caption", "title", "C:\\work", nullptr);
  browser.Next([&](platform::BrowserUser& user) {
    user.Type(kPathBoxId, "");
    EXPECT_FALSE(user.IsOkEnabled());
    user.Type(kPathBoxId, "C:\\Program Files");
    EXPECT_TRUE(user.IsOkEnabled());
    EXPECT_TRUE(user.ClickOk());
  });
  EXPECT_EQ(picker.RunModal(), 1);
  EXPECT_EQ(picker.GetChosenPath(), "C:\\Program Files");
}

TEST_F(PickerRun, RefusedOkKeepsTheBrowserOpenWithTheFocusInThePathBox) {
  CPathDialog picker("caption", "title", "C:\\work", nullptr);
  browser.Next([&](platform::BrowserUser& user) {
    user.Type(kPathBoxId, "C:\\bad|name");
    user.ClickOk();
    EXPECT_TRUE(user.IsOpen());
    EXPECT_EQ(host.Focus(), host.GetDlgItem(user.window(), kPathBoxId));
    user.ClickCancel();
  });
  EXPECT_EQ(picker.RunModal(), -1);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text, "The folder:\n\nC:\\bad|name\n\nis invalid. Please reenter.");
}

TEST_F(PickerRun, NoShellAllocatorMeansNoBrowserAndMinusOne) {
  browser.SetUnavailable(true);
  CPathDialog picker("caption", "title", "C:\\work", nullptr);
  EXPECT_EQ(picker.RunModal(), -1);
  EXPECT_EQ(picker.browserWindow, nullptr);
}

}  // namespace
