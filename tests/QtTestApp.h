#pragma once

#include "TestApplication.h"

#include <QApplication>

// Widget tests include this header and get their QApplication without further ado.
inline const bool kWidgetTestApp = UseQtTestApp<QApplication>();
