#pragma once
#include <QString>

// The program's version as set in the build (project VERSION in CMake).
QString VersionPrograma();
