#pragma once
// The main window's commands for the register's screens.
void RegistraOrdenesRegistro();
