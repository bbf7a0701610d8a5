#pragma once
// The main window's commands for the documents' screens.
void RegistraOrdenesDocumentos();
