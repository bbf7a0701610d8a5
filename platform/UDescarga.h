#pragma once
// HTTP download of a file with the windows painted between blocks.
#include <QString>
#include <memory>

// An open Internet session: one agent name, the platform's proxy settings
// (http_proxy, https_proxy, no_proxy) and kept-alive connections.
class TConexionInternet {
public:
    explicit TConexionInternet(const QString& agente);
    ~TConexionInternet();
    TConexionInternet(const TConexionInternet&) = delete;
    TConexionInternet& operator=(const TConexionInternet&) = delete;

    bool Abierta() const;

private:
    friend bool DescargaFichero(const QString&, const QString&, int, TConexionInternet&);
    struct Datos;
    std::unique_ptr<Datos> d;
};

// Downloads an http or https URL into `fichero` (a full path; created or
// overwritten), `bloque` bytes at a time, keeping the windows painted between
// blocks. Returns false and leaves any existing file untouched when the URL
// cannot be opened (no connection, server down, an HTTP error status such as
// 404), the transfer breaks off, or the file cannot be created.
bool DescargaFichero(const QString& url, const QString& fichero, int bloque,
                     TConexionInternet& conexion);
