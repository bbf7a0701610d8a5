#pragma once
#include <QString>

class TFIBDatabase;

// The benchmarks' owners: a new database at `path` whose EMP_PROPIETARIO holds
// kPropietarios owners of community 1 (names in two letter cases, phone,
// e-mail, remarks empty for one owner in three). Leaves `db` connected to it
// and prints the time the rows took.
constexpr int kPropietarios = 100000;
void CreaPropietarios(TFIBDatabase& db, const QString& path);
