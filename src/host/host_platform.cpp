#include "host/host_platform.hpp"

#include <atomic>

#include "host/portable_platform.hpp"

namespace kestrune {
namespace {

std::atomic<HostPlatformFactory> default_factory{&portable_host_platform};

// Fills the pieces `platform` leaves null from a fresh default.
HostPlatform completed(HostPlatform platform) {
  if (platform.message_loop && platform.running_objects && platform.component_location &&
      platform.shell && platform.dialogs) {
    return platform;
  }
  HostPlatform defaults = default_factory.load()();
  if (!platform.message_loop) platform.message_loop = std::move(defaults.message_loop);
  if (!platform.running_objects) platform.running_objects = std::move(defaults.running_objects);
  if (!platform.component_location) {
    platform.component_location = std::move(defaults.component_location);
  }
  if (!platform.shell) platform.shell = std::move(defaults.shell);
  if (!platform.dialogs) platform.dialogs = std::move(defaults.dialogs);
  return platform;
}

std::optional<HostPlatform>& this_thread_platform() {
  thread_local std::optional<HostPlatform> platform;
  return platform;
}

}  // namespace

HostPlatform& host_platform() {
  std::optional<HostPlatform>& platform = this_thread_platform();
  if (!platform) platform = completed({});
  return *platform;
}

void install_host_platform(HostPlatform platform) {
  this_thread_platform() = completed(std::move(platform));
}

void install_default_host_platform(HostPlatformFactory factory) {
  default_factory = factory ? factory : &portable_host_platform;
}

}  // namespace kestrune
