#pragma once

#include <QString>

// Whether two port names reach one device, so that two lines never race for it: local devices by
// the device itself, links followed (its file system and inode), or by their paths when either
// cannot be looked at; network lines, whichever scheme each names (rfc2217://, tcp://), by TCP
// port and by host, the same without regard to case or by an address both resolve to. A host
// that does not resolve within a few seconds is told apart by its name alone.
bool ReachSameDevice(const QString& first, const QString& second);
