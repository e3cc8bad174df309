#include "StableName.h"

#include <sys/stat.h>

#include <filesystem>

bool FollowsPluggingOrder(const std::string& device) {
  const std::string name = std::filesystem::path(device).filename().string();
  return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

std::optional<std::string> StableNameFor(const std::string& device, const std::string& byIdFolder) {
  struct stat named {};
  if (!FollowsPluggingOrder(device) || ::stat(device.c_str(), &named) != 0 || !S_ISCHR(named.st_mode)) return std::nullopt;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(byIdFolder, error)) {
    struct stat linked {};
    if (::stat(entry.path().c_str(), &linked) == 0 && S_ISCHR(linked.st_mode) && linked.st_rdev == named.st_rdev)
      return entry.path().string();
  }
  return std::nullopt;
}
