#pragma once

#include "IniFile.h"

#include <QMap>

// Files held in memory; any path can be made unreadable or unwritable.
class TMemoryStorage : public TIniStorage {
 public:
  QMap<QString, QByteArray> files;
  bool failLoad = false;
  bool failReplace = false;
  int replaces = 0;

  TReadResult Load(const QString& path) override {
    if (failLoad) return {TReadState::Unreadable, {}};
    auto it = files.find(path);
    if (it == files.end()) return {TReadState::Missing, {}};
    return {TReadState::Read, *it};
  }
  bool Replace(const QString& path, const QByteArray& content) override {
    if (failReplace) return false;
    ++replaces;
    files[path] = content;
    return true;
  }
};
