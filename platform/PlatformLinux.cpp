// Linux: processes through posix_spawn and /proc, the system's name from
// os-release.
#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace plataforma {

namespace {

class AccionesSpawn {
public:
    AccionesSpawn() { posix_spawn_file_actions_init(&a_); }
    ~AccionesSpawn() { posix_spawn_file_actions_destroy(&a_); }
    AccionesSpawn(const AccionesSpawn&) = delete;
    AccionesSpawn& operator=(const AccionesSpawn&) = delete;
    posix_spawn_file_actions_t* get() { return &a_; }

private:
    posix_spawn_file_actions_t a_;
};

class AtributosSpawn {
public:
    AtributosSpawn() { posix_spawnattr_init(&a_); }
    ~AtributosSpawn() { posix_spawnattr_destroy(&a_); }
    AtributosSpawn(const AtributosSpawn&) = delete;
    AtributosSpawn& operator=(const AtributosSpawn&) = delete;
    posix_spawnattr_t* get() { return &a_; }

private:
    posix_spawnattr_t a_;
};

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Children this process no longer waits for; collected on later calls.
std::vector<pid_t>& Abandonados()
{
    static std::vector<pid_t> lista;
    return lista;
}

void RecogeAbandonados()
{
    auto& lista = Abandonados();
    std::erase_if(lista, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

// Whole content of a small file (the /proc files report size 0, so read to
// the end); empty when it cannot be read.
std::string LeeFichero(const std::string& ruta)
{
    Descriptor fd(::open(ruta.c_str(), O_RDONLY | O_CLOEXEC));
    std::string contenido;
    if (fd.get() < 0)
        return contenido;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        contenido.append(buffer, static_cast<size_t>(n));
    }
    return contenido;
}

// A defunct process (ended, not yet collected by its parent) runs no more.
bool EstaVivo(const std::string& dirProceso)
{
    const std::string stat = LeeFichero(dirProceso + "/stat");
    const auto cierre = stat.rfind(')');
    if (cierre == std::string::npos || cierre + 2 >= stat.size())
        return false;
    const char estado = stat[cierre + 2];
    return estado != 'Z' && estado != 'X';
}

QString NombreEjecutable(const std::string& dirProceso)
{
    char destino[4096];
    const ssize_t n = ::readlink((dirProceso + "/exe").c_str(), destino, sizeof destino - 1);
    if (n <= 0)
        return {};
    QString ruta = QString::fromLocal8Bit(destino, n);
    const QString borrado = QStringLiteral(" (deleted)");
    if (ruta.endsWith(borrado))
        ruta.chop(borrado.size());
    return QFileInfo(ruta).fileName();
}

bool ArgumentoConNombre(const std::string& dirProceso, const QString& nombre)
{
    const std::string cmdline = LeeFichero(dirProceso + "/cmdline");
    size_t inicio = 0;
    for (int i = 0; i < 2 && inicio < cmdline.size(); ++i) {
        const size_t fin = std::min(cmdline.find('\0', inicio), cmdline.size());
        const QString argumento = QString::fromLocal8Bit(cmdline.data() + inicio, static_cast<qsizetype>(fin - inicio));
        if (QFileInfo(argumento).fileName().compare(nombre, Qt::CaseInsensitive) == 0)
            return true;
        inicio = fin + 1;
    }
    return false;
}

} // namespace

std::optional<qint64> Lanza(const QString& programa, const QStringList& argumentos,
                            bool silencioso, const QString& carpeta)
{
    RecogeAbandonados();
    std::vector<std::string> textos;
    textos.push_back(programa.toLocal8Bit().toStdString());
    for (const QString& a : argumentos)
        textos.push_back(a.toLocal8Bit().toStdString());
    std::vector<char*> argv;
    for (std::string& t : textos)
        argv.push_back(t.data());
    argv.push_back(nullptr);

    AccionesSpawn acciones;
    if (silencioso) {
        posix_spawn_file_actions_addopen(acciones.get(), 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(acciones.get(), 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(acciones.get(), 2, "/dev/null", O_WRONLY, 0);
    }
    const std::string dir = carpeta.toLocal8Bit().toStdString();
    if (!carpeta.isEmpty())
        posix_spawn_file_actions_addchdir_np(acciones.get(), dir.c_str());
    // The child starts with no blocked signals and default handlers, whatever
    // this process has set up for itself.
    AtributosSpawn atributos;
    sigset_t vacio, todos;
    sigemptyset(&vacio);
    sigfillset(&todos);
    posix_spawnattr_setsigmask(atributos.get(), &vacio);
    posix_spawnattr_setsigdefault(atributos.get(), &todos);
    posix_spawnattr_setflags(atributos.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int r = ::posix_spawnp(&pid, argv[0], acciones.get(), atributos.get(), argv.data(), environ);
    if (r != 0)
        return std::nullopt;
    return pid;
}

std::optional<int> Termino(qint64 pid)
{
    // 0 and negative ids would wait for any child, not for this one.
    if (pid <= 0)
        return -1;
    int estado = 0;
    const pid_t r = ::waitpid(static_cast<pid_t>(pid), &estado, WNOHANG);
    if (r == 0)
        return std::nullopt;
    if (r < 0)
        return -1;
    if (WIFEXITED(estado))
        return WEXITSTATUS(estado);
    return 128 + WTERMSIG(estado);
}

void Abandona(qint64 pid)
{
    if (pid > 0)
        Abandonados().push_back(static_cast<pid_t>(pid));
    RecogeAbandonados();
}

bool HayProceso(const QString& nombre)
{
    const QString buscado = QFileInfo(nombre).fileName();
    if (buscado.isEmpty())
        return false;
    // The kernel keeps 15 bytes of the command name.
    const QString buscadoCorto = QString::fromLocal8Bit(buscado.toLocal8Bit().left(15));
    const QStringList entradas = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entrada : entradas) {
        bool esNumero = false;
        entrada.toLongLong(&esNumero);
        if (!esNumero)
            continue;
        const std::string dir = "/proc/" + entrada.toStdString();
        if (!EstaVivo(dir))
            continue;
        if (NombreEjecutable(dir).compare(buscado, Qt::CaseInsensitive) == 0)
            return true;
        const QString comm = QString::fromLocal8Bit(LeeFichero(dir + "/comm")).trimmed();
        if (comm.compare(buscadoCorto, Qt::CaseInsensitive) != 0)
            continue;
        // A cut name only hints; the command line tells: the program (argv[0])
        // or the script an interpreter runs (argv[1]).
        if (buscadoCorto.size() == buscado.size() || ArgumentoConNombre(dir, buscado))
            return true;
    }
    return false;
}

QString NombreDeOsRelease(const QByteArray& contenido)
{
    for (const QByteArray& linea : contenido.split('\n')) {
        const QByteArray l = linea.trimmed();
        if (!l.startsWith("PRETTY_NAME="))
            continue;
        const QByteArray valor = l.mid(static_cast<qsizetype>(std::strlen("PRETTY_NAME=")));
        if (valor.isEmpty())
            break;
        if (valor.front() != '"' && valor.front() != '\'')
            return QString::fromUtf8(valor);
        // Shell-style quoting: the matching quote ends the value; inside double
        // quotes a backslash escapes the next character.
        const char comilla = valor.front();
        QByteArray texto;
        for (qsizetype i = 1; i < valor.size() && valor.at(i) != comilla; ++i) {
            if (comilla == '"' && valor.at(i) == '\\' && i + 1 < valor.size())
                ++i;
            texto += valor.at(i);
        }
        if (!texto.isEmpty())
            return QString::fromUtf8(texto);
        break;
    }
    return QStringLiteral("Linux");
}

QString NombreSistema()
{
    for (const char* ruta : {"/etc/os-release", "/usr/lib/os-release"}) {
        const std::string contenido = LeeFichero(ruta);
        if (!contenido.empty())
            return NombreDeOsRelease(QByteArray::fromStdString(contenido));
    }
    return QStringLiteral("Linux");
}

void ReservaTerminar()
{
    sigset_t senales;
    sigemptyset(&senales);
    sigaddset(&senales, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &senales, nullptr);
}

void AlTerminar(std::function<void()> accion)
{
    sigset_t senales;
    sigemptyset(&senales);
    sigaddset(&senales, SIGTERM);
    const int fd = ::signalfd(-1, &senales, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0)
        return;
    // Lives as long as the application: the request may come at any time.
    auto* aviso = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(aviso, &QObject::destroyed, [fd] { ::close(fd); });
    QObject::connect(aviso, &QSocketNotifier::activated, aviso, [fd, accion = std::move(accion)] {
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        accion();
    });
}

} // namespace plataforma
