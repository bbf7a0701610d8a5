#pragma once
#include <QString>
#include <functional>

// Relations shaped like the program's for the table dataset and the quick
// search: the two-column bank catalogue, a three-key table, a table whose last
// columns are computed, a table made of keys and a computed column, a table
// without primary key, a view over one table and one over two, a master
// table with null values, and an owners table of 1 300 numbered rows and a
// few names that test quoting and case.
QString TableSetSchema();
QString FreshTableSetDb();
// The message of the data layer's error that `f` raises ("<no error>" when none).
QString ErrorOf(const std::function<void()>& f);
