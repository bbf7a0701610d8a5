#pragma once
#include <QString>
#include <QStringList>

class TFIBDatabase;

// Splits an SQL script into statements: ";" ends a statement unless "SET TERM"
// chose another terminator; literals and comments are kept whole.
// "SET TERM", "SET AUTODDL" and "COMMIT" are script commands, not statements.
QStringList SplitScript(const QString& script);

// Runs a script on a connected database in a transaction of its own:
// data definition is committed statement by statement (later statements use
// what it made), everything else once at the end. A failing statement rolls
// back what is not yet committed and raises EFIBError naming the statement.
void ExecuteScript(TFIBDatabase& db, const QString& script);
