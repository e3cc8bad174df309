#include "PermissionHint.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include <cerrno>
#include <optional>
#include <vector>

namespace {

bool InGroup(gid_t group) {
  if (getegid() == group) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = getgroups(count, groups.data());
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<std::size_t>(i)] == group) return true;
  return false;
}

// The device's group, when joining it would let this user read and write the device.
std::optional<QString> GroupToJoin(const QString& path) {
  struct stat st {};
  constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
  if (stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
  if ((st.st_mode & kGroupReadWrite) != kGroupReadWrite || InGroup(st.st_gid)) return std::nullopt;
  const group* entry = getgrgid(st.st_gid);
  if (!entry) return std::nullopt;
  return QString::fromLocal8Bit(entry->gr_name);
}

}  // namespace

QString PermissionHint(int systemCode, const QString& devicePath) {
  if (systemCode != EACCES && systemCode != EPERM) return {};
  // A user just added to a group has it only in sessions started afterwards.
  if (const std::optional<QString> group = GroupToJoin(devicePath))
    return QStringLiteral("the device belongs to the group %1: sudo usermod -aG %1 $USER, then log in again").arg(*group);
  return QStringLiteral(
      "the user may need to be a member of the group dialout to use serial ports: "
      "sudo usermod -aG dialout $USER, then log in again");
}
