#pragma once
#include <QString>

// Relations for the form framework's widgets: the bank catalogue (names not
// in code order), tasks with a "1" flag, convocations with a type, a date, a
// time text and notes, and a list of 1 000 numbered rows.
QString ControlesSchema();
QString FreshControlesDb();
