#pragma once
// A fingerprint of a database's rows: for every table of its own, the number
// of rows and a sum of a checksum of each row (blob contents included). Two
// databases with the same fingerprint hold the same rows, whatever their
// order on disk: the check that a restored backup equals its original.
#include <QString>
#include <functional>
#include <vector>

class TFIBDatabase;
class TFIBTransaction;

struct TTableSum {
    QString Table;
    qint64 Rows = 0;
    quint64 Sum = 0;
    bool operator==(const TTableSum&) const = default;
};

// Every user table (views and system tables left out), by name, read in
// `tr`; `onTable` hears each table before it is read.
std::vector<TTableSum> TableSums(TFIBDatabase& db, TFIBTransaction& tr,
                                 const std::function<void(const QString& table)>& onTable = {});
