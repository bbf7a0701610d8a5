#include <QApplication>
#include "AppVersion.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuorumDesk"));
    QApplication::setApplicationVersion(VersionPrograma());
    // The start-up sequence (splash, database, main window) grows here.
    return 0;
}
