#include "UTeclas.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

// --- shortcut encoding ----------------------------------------------------------------

namespace {

struct TCodigoTecla {
    quint8 codigo;
    Qt::Key tecla;
};

// Key codes of the stored shortcuts that are neither letters, digits nor
// function keys.
constexpr TCodigoTecla kCodigos[] = {
    {8, Qt::Key_Backspace}, {9, Qt::Key_Tab},     {13, Qt::Key_Return},   {27, Qt::Key_Escape},
    {32, Qt::Key_Space},    {33, Qt::Key_PageUp}, {34, Qt::Key_PageDown}, {35, Qt::Key_End},
    {36, Qt::Key_Home},     {37, Qt::Key_Left},   {38, Qt::Key_Up},       {39, Qt::Key_Right},
    {40, Qt::Key_Down},     {45, Qt::Key_Insert}, {46, Qt::Key_Delete},   {106, Qt::Key_Asterisk},
    {107, Qt::Key_Plus},    {109, Qt::Key_Minus}, {111, Qt::Key_Slash},
};

int TeclaDeCodigo(int codigo)
{
    if ((codigo >= 'A' && codigo <= 'Z') || (codigo >= '0' && codigo <= '9'))
        return codigo; // Qt's key values for letters and digits are the same codes
    if (codigo >= 112 && codigo <= 135)
        return Qt::Key_F1 + (codigo - 112);
    for (const TCodigoTecla& c : kCodigos)
        if (c.codigo == codigo)
            return c.tecla;
    return 0;
}

int CodigoDeTecla(int tecla)
{
    if ((tecla >= Qt::Key_A && tecla <= Qt::Key_Z) || (tecla >= Qt::Key_0 && tecla <= Qt::Key_9))
        return tecla;
    if (tecla >= Qt::Key_F1 && tecla <= Qt::Key_F24)
        return 112 + (tecla - Qt::Key_F1);
    if (tecla == Qt::Key_Enter)
        return 13;
    for (const TCodigoTecla& c : kCodigos)
        if (c.tecla == tecla)
            return c.codigo;
    return 0;
}

} // namespace

QKeySequence ShortCutToKey(TShortCut atajo)
{
    const int tecla = TeclaDeCodigo(atajo & 0xFF);
    if (tecla == 0)
        return QKeySequence();
    Qt::KeyboardModifiers m;
    if (atajo & scCtrl)
        m |= Qt::ControlModifier;
    if (atajo & scShift)
        m |= Qt::ShiftModifier;
    if (atajo & scAlt)
        m |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(m, static_cast<Qt::Key>(tecla)));
}

TShortCut ShortCutOf(int qtKey, Qt::KeyboardModifiers modificadores)
{
    const int codigo = CodigoDeTecla(qtKey);
    if (codigo == 0)
        return 0;
    TShortCut s = static_cast<TShortCut>(codigo);
    if (modificadores & Qt::ControlModifier)
        s |= scCtrl;
    if (modificadores & Qt::ShiftModifier)
        s |= scShift;
    if (modificadores & Qt::AltModifier)
        s |= scAlt;
    return s;
}

// --- TTeclas ---------------------------------------------------------------------------

const std::array<TTeclas::TEntrada, 20>& TTeclas::Entradas()
{
    static const std::array<TEntrada, 20> entradas{{
        {"TecNFirst", "Primero", &TTeclas::TecNFirst, 16464, 16464},
        {"TecNPrior", "Anterior", &TTeclas::TecNPrior, 16449, 16449},
        {"TecNNext", "Siguiente", &TTeclas::TecNNext, 16467, 16467},
        {"TecNLast", "Último", &TTeclas::TecNLast, 16469, 16469},
        {"TecNInsert", "Añadir", &TTeclas::TecNInsert, 45, 16429},
        {"TecNDelete", "Borrar", &TTeclas::TecNDelete, 46, 16430},
        {"TecNEdit", "Modificar", &TTeclas::TecNEdit, 16453, 16453},
        {"TecNPost", "Grabar", &TTeclas::TecNPost, 16455, 16455},
        {"TecNCancel", "Cancelar", &TTeclas::TecNCancel, 16472, 16472},
        {"TecNRefresh", "Refrescar", &TTeclas::TecNRefresh, 16466, 16466},
        {"TecXBuscar", "Buscar", &TTeclas::TecXBuscar, 16450, 16450},
        {"TecXAprox", "Búsqueda aproximada", &TTeclas::TecXAprox, 16465, 16465},
        {"TecXExacta", "Búsqueda exacta", &TTeclas::TecXExacta, 16471, 16471},
        {"TecXImprime", "Imprime pantalla", &TTeclas::TecXImprime, 16457, 16457},
        {"TecXRango", "Filtra rango", &TTeclas::TecXRango, 16454, 16454},
        {"TecXReport", "Imprime report", &TTeclas::TecXReport, 16460, 16460},
        {"TecXCopy", "Copiar", &TTeclas::TecXCopy, 16451, 16451},
        {"TecXCut", "Cortar", &TTeclas::TecXCut, 16472, 16472},
        {"TecXPaste", "Pegar", &TTeclas::TecXPaste, 16470, 16470},
        {"TecXSalir", "Cerrar la ventana", &TTeclas::TecXSalir, 115, 115},
    }};
    return entradas;
}

TTeclas::TTeclas(QObject* parent) : QObject(parent) {}

TTeclas::~TTeclas()
{
    for (const QPointer<TPopUpTeclas>& m : std::as_const(menus_))
        if (m && m->Teclas() == this)
            m->SetTeclas(nullptr);
}

void TTeclas::ValoresModuloPrincipal()
{
    for (const TEntrada& e : Entradas())
        this->*e.valor = e.moduloPrincipal;
}

void TTeclas::SetActualizarPopUps(bool)
{
    for (TPopUpTeclas* m : Registrados())
        Aplica(m);
}

void TTeclas::Aplica(QMenu* menu) const
{
    if (!menu)
        return;
    for (QAction* a : menu->actions()) {
        for (const TEntrada& e : Entradas()) {
            if (a->text() == QString::fromUtf8(e.titulo)) {
                a->setShortcut(ShortCutToKey(this->*e.valor));
                break;
            }
        }
    }
}

void TTeclas::Registra(TPopUpTeclas* menu)
{
    if (menu && !Registrados().contains(menu))
        menus_.append(menu);
}

void TTeclas::Desregistra(TPopUpTeclas* menu)
{
    menus_.removeIf([menu](const QPointer<TPopUpTeclas>& m) { return !m || m == menu; });
}

QList<TPopUpTeclas*> TTeclas::Registrados() const
{
    QList<TPopUpTeclas*> lista;
    for (const QPointer<TPopUpTeclas>& m : menus_)
        if (m)
            lista.append(m);
    return lista;
}

// --- TPopUpTeclas -----------------------------------------------------------------------

const std::array<const char*, 10>& TPopUpTeclas::SufijosNavegacion()
{
    static const std::array<const char*, 10> sufijos{"Mifirst", "Miprior", "Minext", "Milast", "Miinsert",
                                                     "Midelete", "Miedit", "Mipost", "Micancel", "Mirefresh"};
    return sufijos;
}

TPopUpTeclas::TPopUpTeclas(QWidget* parent) : QMenu(parent) {}

TPopUpTeclas::~TPopUpTeclas()
{
    if (teclas_)
        teclas_->Desregistra(this);
}

void TPopUpTeclas::SetTeclas(TTeclas* teclas)
{
    if (teclas_)
        teclas_->Desregistra(this);
    teclas_ = teclas;
    if (teclas_) {
        teclas_->Registra(this);
        teclas_->Aplica(this);
    }
}

void TPopUpTeclas::CreaItemsNavegacion(const QString& controlador)
{
    const auto& entradas = TTeclas::Entradas();
    for (std::size_t i = 0; i < SufijosNavegacion().size(); ++i) {
        QAction* a = addAction(QString::fromUtf8(entradas[i].titulo));
        a->setObjectName(controlador + QLatin1String(SufijosNavegacion()[i]));
        a->setShortcut(ShortCutToKey(entradas[i].moduloPrincipal));
        // The shortcut is shown in the menu; the key itself is taken by the
        // filter below, which knows which widget's menu applies.
        a->setShortcutContext(Qt::WidgetShortcut);
        a->setEnabled(false);
    }
}

QAction* TPopUpTeclas::ItemDeAtajo(TShortCut atajo) const
{
    const QKeySequence tecla = ShortCutToKey(atajo);
    if (tecla.isEmpty())
        return nullptr;
    for (QAction* a : actions())
        if (a->isVisible() && a->isEnabled() && a->shortcut() == tecla)
            return a;
    return nullptr;
}

// --- popup menus of widgets ----------------------------------------------------------------

namespace {

// Kept as a child of the widget, so it goes with it.
class TEnlaceMenu : public QObject {
public:
    explicit TEnlaceMenu(QWidget* w) : QObject(w) { setObjectName(QStringLiteral("qd_menu_emergente")); }
    QPointer<TPopUpTeclas> menu;
};

TEnlaceMenu* EnlaceDe(const QWidget* w)
{
    return w ? w->findChild<TEnlaceMenu*>(QStringLiteral("qd_menu_emergente"), Qt::FindDirectChildrenOnly)
             : nullptr;
}

// Sees every key before the focused control. A key that is the shortcut of an
// enabled, visible item of a key menu along the focus widget's parents (up to
// its window) runs that item. The shortcut-override query is answered "mine"
// so that no other shortcut takes the key; the key press then runs the item.
class TFiltroAtajos : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* obj, QEvent* e) override
    {
        if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress)
            return false;
        auto* w = qobject_cast<QWidget*>(obj);
        if (!w)
            return false;
        auto* k = static_cast<QKeyEvent*>(e);
        const TShortCut atajo = ShortCutOf(k->key(), k->modifiers());
        if (atajo == 0)
            return false;
        for (QWidget* p = w; p; p = p->isWindow() ? nullptr : p->parentWidget()) {
            TPopUpTeclas* menu = MenuEmergente(p);
            if (!menu)
                continue;
            QAction* item = menu->ItemDeAtajo(atajo);
            if (!item)
                continue;
            e->accept();
            if (e->type() == QEvent::KeyPress)
                item->trigger();
            return true;
        }
        return false;
    }
};

void InstalaFiltro()
{
    static QPointer<TFiltroAtajos> filtro;
    if (!filtro && qApp) {
        filtro = new TFiltroAtajos(qApp);
        qApp->installEventFilter(filtro);
    }
}

} // namespace

TPopUpTeclas* MenuEmergente(const QWidget* w)
{
    TEnlaceMenu* e = EnlaceDe(w);
    return e ? e->menu.data() : nullptr;
}

void AsignaMenuEmergente(QWidget* w, TPopUpTeclas* menu)
{
    if (!w)
        return;
    TEnlaceMenu* e = EnlaceDe(w);
    if (!menu) {
        delete e;
        w->setContextMenuPolicy(Qt::DefaultContextMenu);
        return;
    }
    InstalaFiltro();
    if (!e) {
        e = new TEnlaceMenu(w);
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(w, &QWidget::customContextMenuRequested, e, [w, e](const QPoint& pos) {
            if (e->menu)
                e->menu->popup(w->mapToGlobal(pos));
        });
    }
    e->menu = menu;
}
