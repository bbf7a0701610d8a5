#pragma once
#include <QString>

namespace qdtest {
// A fresh copy of the program's database, empty (only its reserved rows) or
// with the demo data; built once per test program.
QString FreshProgramDatabase(bool demo = false);
}
