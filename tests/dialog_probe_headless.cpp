#include "tests/fakes/services.h"
#include "tests/fakes/window_host.h"
#include "tests/dialog_probe.h"

namespace {

class HeadlessProbe : public DialogProbe {
 public:
  HeadlessProbe(platform::HeadlessWindowHost& host, platform::WindowHandle dialog) : host_(host), dialog_(dialog) {}

  bool Exists(int id) override { return host_.Control(dialog_, id) != nullptr; }
  bool IsVisible(int id) override { return host_.IsVisible(host_.GetDlgItem(dialog_, id)); }
  bool IsEnabled(int id) override { return host_.IsEnabled(host_.GetDlgItem(dialog_, id)); }
  int Check(int id) override {
    const platform::HeadlessWindow* control = host_.Control(dialog_, id);
    return control ? control->check : -1;
  }
  std::string Text(int id) override { return host_.GetText(id == 0 ? dialog_ : host_.GetDlgItem(dialog_, id)); }
  bool Click(int id) override { return host_.Click(dialog_, id); }
  bool Type(int id, const std::string& text) override { return host_.Type(dialog_, id, text); }
  void Command(unsigned id, unsigned code) override {
    host_.Send(dialog_, platform::kWmCommand, platform::MakeWParam(id, code),
               reinterpret_cast<std::intptr_t>(host_.GetDlgItem(dialog_, static_cast<int>(id))));
  }
  void Close() override { host_.Close(dialog_); }

  ColourSeen Colour(int id, unsigned kind) override {
    platform::ColourReply reply = host_.RequestColour(dialog_, id, kind);
    ColourSeen seen;
    seen.brushKnown = host_.BrushColour(reply.brush, &seen.brushColour);
    seen.textColour = reply.textColour;
    seen.bkMode = reply.bkMode;
    if (const platform::FontParameters* font = host_.FontOf(reply.font)) {
      seen.fontChanged = true;
      seen.fontHeight = font->height;
      seen.fontWeight = font->weight;
      seen.fontCharSet = font->charSet;
      seen.fontFace = font->face;
    }
    return seen;
  }

  bool HasIcon(bool big) override {
    const platform::HeadlessWindow* window = host_.Window(dialog_);
    return window && (big ? window->bigIcon : window->smallIcon) != nullptr;
  }

 private:
  platform::HeadlessWindowHost& host_;
  platform::WindowHandle dialog_;
};

class HeadlessRunner : public DialogRunner {
 public:
  std::string Name() const override { return "Headless"; }
  platform::HeadlessWindowHost* headlessHost() override { return &host_; }

  std::intptr_t Run(const std::function<std::intptr_t()>& openModal,
                    const std::function<void(DialogProbe&)>& script) override {
    host_.SetModalScript([&](platform::WindowHandle dialog) {
      HeadlessProbe probe(host_, dialog);
      script(probe);
    });
    platform::SetWindowHost(&host_);
    std::intptr_t result = openModal();
    platform::SetWindowHost(nullptr);
    return result;
  }

 private:
  platform::HeadlessWindowHost host_;
};

}  // namespace

std::vector<std::shared_ptr<DialogRunner>> AllDialogRunners() {
  std::vector<std::shared_ptr<DialogRunner>> runners{std::make_shared<HeadlessRunner>()};
#ifdef _WIN32
  runners.push_back(MakeWin32DialogRunner());
#endif
  return runners;
}

std::string DialogRunnerName(const testing::TestParamInfo<std::shared_ptr<DialogRunner>>& info) {
  return info.param->Name();
}
