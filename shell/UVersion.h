#pragma once
class QWidget;

// The version check after login: a workstation whose program differs from
// the database is warned; the maker's published history (the server named in
// the INI file's "Actualizacion"/"Servidor") tells of pending updates.
// `aviso` is shown while the server is asked.
void CompruebaVersion(QWidget* aviso);
