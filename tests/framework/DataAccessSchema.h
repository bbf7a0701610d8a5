#pragma once
#include <QString>

// A small dialect-1 UTF8 schema shaped like the program's tables: a two-column
// catalogue, a table with every column type and a trigger, a detail table, a
// procedure and a thousand numbered rows.
QString DataAccessSchema();
QString FreshDataAccessDb();
