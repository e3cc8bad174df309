#pragma once

#include <QStringList>

// Replaces the content of strings with the short names of the machine's serial devices (ttyS0,
// ttyUSB0), sorted without regard to case. Pseudo-terminals are not listed. Throws EComPortExt
// code 23 for "EnumComPorts" when the system's list of terminals cannot be read.
void ListSerialPorts(QStringList& strings);
