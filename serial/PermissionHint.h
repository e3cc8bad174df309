#pragma once

#include <QString>

// What to do about a device this user may not open: for a refusal of access (EACCES, EPERM), the
// group to join and how. It names the device's own group when that group may read and write it
// and this user is not in it; otherwise dialout, the group serial devices usually belong to.
// Empty for any other system code. Starts in lower case, to follow a "; ".
QString PermissionHint(int systemCode, const QString& devicePath);
