#pragma once

#include <QString>

// The captions and headings of the window's messages for the reader operations.
inline const QString kRead = QStringLiteral("Чтение параметров считывателя");
inline const QString kWrite = QStringLiteral("Запись параметров считывателя");
inline const QString kKeys = QStringLiteral("Изменение ключей");
inline const QString kReadErrors = QStringLiteral("Во время чтения параметров считывателя произошли ошибки: \r\n");
inline const QString kWriteErrors = QStringLiteral("Во время записи параметров считывателя произошли ошибки: \r\n");
inline const QString kKeyErrors = QStringLiteral("Во время изменения ключей произошли ошибки: \r\n");
