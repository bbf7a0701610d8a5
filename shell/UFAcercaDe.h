#pragma once
#include <QDialog>

// The about box: versions, the database, the server and the connections.
class TFAcercaDe : public QDialog {
    Q_OBJECT
public:
    explicit TFAcercaDe(QWidget* parent = nullptr);
};
