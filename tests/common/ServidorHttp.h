#pragma once
// A small HTTP server on 127.0.0.1 for tests that download.
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>

namespace qdtest {

// Answers GET requests from a table of paths; every other path is 404.
class ServidorHttp : public QObject {
public:
    struct Respuesta {
        QByteArray estado;   // "200 OK"
        QByteArray cabeceras; // extra header lines, each ending in \r\n
        QByteArray cuerpo;
    };

    ServidorHttp()
    {
        servidor.listen(QHostAddress::LocalHost);
        QObject::connect(&servidor, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = servidor.nextPendingConnection())
                Atiende(s);
        });
    }

    QString Url(const char* ruta) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(servidor.serverPort()).arg(QString::fromUtf8(ruta));
    }
    QString Base() const { return QStringLiteral("http://127.0.0.1:%1").arg(servidor.serverPort()); }

    std::map<QByteArray, Respuesta> rutas;
    QByteArray ultimoAgente;
    int peticiones = 0;

private:
    void Atiende(QTcpSocket* s)
    {
        auto* pedido = new QByteArray;
        QObject::connect(s, &QTcpSocket::disconnected, s, [s, pedido] {
            delete pedido;
            s->deleteLater();
        });
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, pedido] {
            pedido->append(s->readAll());
            if (!pedido->contains("\r\n\r\n"))
                return;
            ++peticiones;
            const QList<QByteArray> lineas = pedido->split('\n');
            const QByteArray ruta = lineas.value(0).split(' ').value(1);
            for (const QByteArray& l : lineas)
                if (l.toLower().startsWith("user-agent:"))
                    ultimoAgente = l.mid(11).trimmed();
            const auto r = rutas.find(ruta);
            const Respuesta respuesta =
                r != rutas.end() ? r->second : Respuesta{"404 Not Found", {}, "<html>no existe</html>"};
            s->write("HTTP/1.1 " + respuesta.estado + "\r\nContent-Length: " +
                     QByteArray::number(respuesta.cuerpo.size()) + "\r\nConnection: close\r\n" +
                     respuesta.cabeceras + "\r\n" + respuesta.cuerpo);
            s->disconnectFromHost();
        });
    }

    QTcpServer servidor;
};

} // namespace qdtest
