#include <QApplication>
#include <gtest/gtest.h>
#ifdef QD_TEST_APLICACION
#include "UAplicacion.h"
using TAplicacionPrueba = TAplicacion;
#else
using TAplicacionPrueba = QApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TAplicacionPrueba app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
