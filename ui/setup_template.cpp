#include "ui/setup_template.h"

#include <iterator>

namespace {

constexpr std::uint32_t kCheckBox = 0x50010003;      // WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_AUTOCHECKBOX
constexpr std::uint32_t kButton = 0x50010000;        // WS_CHILD|WS_VISIBLE|WS_TABSTOP
constexpr std::uint32_t kHiddenButton = 0x40010000;  // the same, not visible
constexpr std::uint32_t kLabel = 0x50020000;         // WS_CHILD|WS_VISIBLE|WS_GROUP, SS_LEFT
constexpr std::uint32_t kLine = 0x50000010;          // SS_ETCHEDHORZ
constexpr std::uint32_t kPicture = 0x5000000E;       // SS_BITMAP
constexpr std::uint32_t kHiddenPicture = 0x4000000E;
constexpr std::uint32_t kPathBox = 0x50810080;       // WS_BORDER|WS_TABSTOP, ES_AUTOHSCROLL
constexpr std::uint32_t kProgressBar = 0x40800000;   // WS_BORDER, hidden
constexpr std::uint32_t kHiddenCentredLabel = 0x40020001;  // SS_CENTER, hidden

constexpr int kReleaseBoxWidth = 74;
constexpr int kReleaseBoxHeight = 10;

// Everything after the release boxes, in template (and tab) order.
constexpr platform::ControlTemplate kOtherControls[] = {
    {kIdFinish, "Button", "安装完成", 0, kHiddenButton, 110, 214, 63, 14},
    {kIdCancelButton, "Button", "取  消", 0, kButton, 173, 262, 50, 14},
    {kIdVersionCaption, "Static", kVersionFormat, 0, kLabel, 67, 22, 205, 10},
    {-1, "Static", "", 0, kLine, 0, 206, 286, 1},
    {kIdComponentsHeading, "Static", "请选择安装组件：", 0, kLabel, 14, 62, 69, 10},
    {-1, "Static", "", 0, kLine, 0, 51, 286, 1},
    {-1, "Static", "", kLogoBitmapId, kPicture, 13, 2, 43, 43},
    {kIdInstallPath, "Edit", "", 0, kPathBox, 13, 233, 202, 12},
    {kIdBrowse, "Button", "浏览...", 0, kButton, 221, 231, 51, 13},
    {kIdProgress, "msctls_progress32", "Progress1", 0, kProgressBar, 13, 236, 256, 6},
    {kIdPathLabel, "Static", "请选择安装路径：", 0, kLabel, 14, 215, 71, 9},
    {-1, "Static", "", 0, kLine, 0, 255, 286, 1},
    {kIdMenuPicture, "Static", "", kMenuBitmapId, kHiddenPicture, 39, 78, 205, 117},
    {kIdInstall, "Button", "安  装", 0, kButton, 60, 263, 50, 13},
    {kIdDoneHeading, "Static", "安装完成！重启CAD，CAD菜单尾会有以下子菜单：", 0, kHiddenCentredLabel, 47, 62, 190, 10},
};

constexpr std::size_t kControlCount = kReleaseCount + std::size(kOtherControls);

// The release boxes first, in slot order, then the rest.
constexpr std::array<platform::ControlTemplate, kControlCount> Controls() {
  std::array<platform::ControlTemplate, kControlCount> controls{};
  std::size_t n = 0;
  for (const ReleaseBox& box : kReleaseBoxes)
    controls[n++] = {box.id, "Button", box.label, 0, kCheckBox, box.x, box.y, kReleaseBoxWidth, kReleaseBoxHeight};
  for (const platform::ControlTemplate& control : kOtherControls) controls[n++] = control;
  return controls;
}

constexpr std::array<platform::ControlTemplate, kControlCount> kControls = Controls();

constexpr platform::DialogTemplate kTemplate = {
    kSetupDialogId,
    "Zorvel批打印软件安装",
    "宋体",
    9,
    0,
    false,
    1,  // DEFAULT_CHARSET
    0x80CA00C0,  // WS_POPUP|WS_CAPTION|WS_SYSMENU|WS_MINIMIZEBOX|DS_MODALFRAME|DS_SETFONT
    0x00000200,  // WS_EX_CLIENTEDGE
    0,
    0,
    283,
    283,
    kControls.data(),
    kControls.size(),
};

}  // namespace

const platform::DialogTemplate& SetupDialogTemplate() { return kTemplate; }
