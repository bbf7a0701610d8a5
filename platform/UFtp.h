#pragma once
// The FTP client (RFC 959, on libcurl) that publishes files on the
// administrator's web server: log in, store files, log out. Data connections
// are active: the server connects back to this machine. The windows stay
// painted while it waits for the network; user input waits.
#include <QString>
#include <memory>

class TClienteFtp {
public:
    TClienteFtp();
    ~TClienteFtp();
    TClienteFtp(const TClienteFtp&) = delete;
    TClienteFtp& operator=(const TClienteFtp&) = delete;

    bool Conectado() const;
    // Connects to `host` (port 21 when `puerto` is 0) and logs in. Throws
    // EUtilesError with the client's error and the server's last reply.
    void Conecta(const QString& host, int puerto, const QString& usuario, const QString& clave);
    // Stores the local file byte for byte at `remoto`, a path from the login
    // folder ("/" first: from the server's root); missing folders on the way
    // are made. Throws EUtilesError as Conecta.
    void Sube(const QString& local, const QString& remoto);
    // Logs out and closes the connection.
    void Desconecta();

private:
    struct Datos;
    std::unique_ptr<Datos> d;
};

// Whether this machine has no network to reach `host` by: no interface is up
// besides the loopback one. A host on this machine needs none.
bool SinConexion(const QString& host);
