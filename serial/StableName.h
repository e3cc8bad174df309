#pragma once

#include <optional>
#include <string>

// A serial adapter's name that follows the order adapters were plugged in (ttyUSB…, ttyACM…:
// after a reboot or a replug, line 1's name may reach line 2's adapter).
bool FollowsPluggingOrder(const std::string& device);

// For such a name, the name of the same device that stays whichever socket the adapter is in: the
// link to it in byIdFolder (the kernel's /dev/serial/by-id, made from the adapter's maker,
// product and serial). Nothing for another name, or when no link there reaches the device.
std::optional<std::string> StableNameFor(const std::string& device, const std::string& byIdFolder = "/dev/serial/by-id");
