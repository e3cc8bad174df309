#pragma once

#include <QString>

#include <string>

class EComPort;

// The message for a port that failed: the port's own text, the system's reason, and what to do
// about a busy device or a permission problem. devicePath may be empty.
std::string PortFailureText(const EComPort& error, const QString& devicePath);
