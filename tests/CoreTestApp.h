#pragma once

#include "TestApplication.h"

// Tests of the port and the command line include this header and get their QCoreApplication.
inline const bool kCoreTestApp = UseQtTestApp<QCoreApplication>();
