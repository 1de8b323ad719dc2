#include "host/portable_platform.hpp"

#include "host/pumped_message_loop.hpp"

namespace kestrune {
namespace {

class NoWindow final : public DialogWindow {
 public:
  void show_modeless() override {}
  void bring_forward() override {}
  WindowHandle handle() const override { return 0; }
};

}  // namespace

std::shared_ptr<const AutomationObject> NoRunningObjects::find(std::u16string_view) {
  return nullptr;
}

std::optional<std::u16string> UnknownComponentLocation::registration_record(std::u16string_view) {
  return std::nullopt;
}

std::u16string UnknownComponentLocation::loaded_module_path() { return {}; }

void SilentShell::open(WindowHandle, std::u16string_view, std::u16string_view,
                       ShowCommand) noexcept {}

std::unique_ptr<DialogWindow> WindowlessDialogs::create(frmAbout&) {
  return std::make_unique<NoWindow>();
}

HostPlatform portable_host_platform() {
  return {std::make_shared<PumpedMessageLoop>(), std::make_shared<NoRunningObjects>(),
          std::make_shared<UnknownComponentLocation>(), std::make_shared<SilentShell>(),
          std::make_shared<WindowlessDialogs>()};
}

}  // namespace kestrune
