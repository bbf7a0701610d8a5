#include "UNavigator.h"
#include "UControlEdit.h"
#include "UTeclas.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>
#include <QToolBar>
#include <QWidgetAction>

namespace {

constexpr std::size_t Idx(TNavigateBtn b) { return static_cast<std::size_t>(b); }

// The glyph of a button, drawn in `color` on a 16 by 16 transparent pixmap.
QPixmap Glifo(TNavigateBtn b, const QColor& color)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    auto triangulo = [&p](QPointF a, QPointF b2, QPointF c) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b2);
        path.lineTo(c);
        path.closeSubpath();
        p.drawPath(path);
    };
    const QPen trazo(color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (b) {
    case TNavigateBtn::nbFirst:
        p.drawRect(QRectF(3, 3, 2, 10));
        triangulo({12, 3}, {12, 13}, {6, 8});
        break;
    case TNavigateBtn::nbPrior: triangulo({11, 3}, {11, 13}, {5, 8}); break;
    case TNavigateBtn::nbNext: triangulo({5, 3}, {5, 13}, {11, 8}); break;
    case TNavigateBtn::nbLast:
        triangulo({4, 3}, {4, 13}, {10, 8});
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case TNavigateBtn::nbInsert:
        p.drawRect(QRectF(7, 3, 2, 10));
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case TNavigateBtn::nbDelete: p.drawRect(QRectF(3, 7, 10, 2)); break;
    case TNavigateBtn::nbEdit: triangulo({3, 11}, {13, 11}, {8, 5}); break;
    case TNavigateBtn::nbPost:
        p.setPen(trazo);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{3, 8.5}, {6.5, 12}, {13, 4}}));
        break;
    case TNavigateBtn::nbCancel:
        p.setPen(trazo);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case TNavigateBtn::nbRefresh: {
        p.setPen(trazo);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3.5, 3.5, 9, 9), 60 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        triangulo({9, 1.5}, {13.5, 4.5}, {9, 7});
        break;
    }
    }
    return pm;
}

QIcon IconoDe(TNavigateBtn b)
{
    // Two states: the glyph in dark blue, and greyed when disabled.
    QIcon icono;
    icono.addPixmap(Glifo(b, QColor(0x1f, 0x3a, 0x73)), QIcon::Normal);
    icono.addPixmap(Glifo(b, QColor(0xa0, 0xa0, 0xa0)), QIcon::Disabled);
    return icono;
}

} // namespace

// --- the buttons -------------------------------------------------------------------------

TNavButton::TNavButton(THYMNavigator* navegador, TNavigateBtn indice)
    : QToolButton(navegador), Index(indice), navegador_(navegador)
{
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIcon(IconoDe(indice));
    setIconSize(QSize(16, 16));
    setMinimumSize(20, 18);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (indice == TNavigateBtn::nbPrior || indice == TNavigateBtn::nbNext) {
        // Held down, prior and next repeat: first after 400 ms, then every 100 ms.
        setAutoRepeat(true);
        setAutoRepeatDelay(400);
        setAutoRepeatInterval(100);
    }
}

void TNavButton::mousePressEvent(QMouseEvent* e)
{
    navegador_->Marca(Index);
    if (navegador_->focusPolicy() & Qt::ClickFocus)
        navegador_->setFocus(Qt::MouseFocusReason);
    QToolButton::mousePressEvent(e);
}

void TNavButton::paintEvent(QPaintEvent* e)
{
    QToolButton::paintEvent(e);
    if (navegador_->hasFocus() && navegador_->BotonMarcado() == Index) {
        QStylePainter p(this);
        QStyleOptionFocusRect o;
        o.initFrom(this);
        o.rect = rect().adjusted(3, 3, -3, -3);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, o);
    }
}

// --- the link to the data source ------------------------------------------------------------

class THYMNavigator::TEnlace : public TDataLink {
public:
    explicit TEnlace(THYMNavigator* n) : n_(n) {}

protected:
    void ActiveChanged() override { n_->ActualizaBotones(); }
    void DataSetChanged() override { n_->ActualizaBotones(); }
    void DataSetScrolled() override { n_->ActualizaBotones(); }
    void EditingChanged() override { n_->ActualizaBotones(); }

private:
    THYMNavigator* n_;
};

// --- the navigator -----------------------------------------------------------------------

const QStringList& THYMNavigator::HintsPorDefecto()
{
    static const QStringList hints{QStringLiteral("Primero"),   QStringLiteral("Anterior"),
                                   QStringLiteral("Siguiente"), QStringLiteral("Último"),
                                   QStringLiteral("Añadir"),    QStringLiteral("Borrar"),
                                   QStringLiteral("Modificar"), QStringLiteral("Grabar"),
                                   QStringLiteral("Cancelar"),  QStringLiteral("Refrescar")};
    return hints;
}

THYMNavigator::THYMNavigator(QWidget* parent) : QWidget(parent), enlace_(std::make_unique<TEnlace>(this))
{
    setFocusPolicy(Qt::NoFocus);
    // Its own size (241 by 25 unless a screen sets another), shared by the
    // visible buttons; a toolbar does not stretch it.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);
    fila->setSpacing(0);
    for (std::size_t i = 0; i < botones_.size(); ++i) {
        auto* b = new TNavButton(this, static_cast<TNavigateBtn>(i));
        botones_[i] = b;
        fila->addWidget(b, 1);
        connect(b, &QAbstractButton::clicked, this, [this, b] { EjecutarBoton(b->Index); });
    }
    resize(sizeHint());
    ActualizaHints();
    ActualizaBotones();
}

THYMNavigator::~THYMNavigator() = default;

TDataSource* THYMNavigator::DataSource() const { return enlace_->DataSource(); }

void THYMNavigator::SetDataSource(TDataSource* ds)
{
    enlace_->SetDataSource(ds);
    ActualizaBotones();
}

void THYMNavigator::SetVisibleButtons(TButtonSet botones)
{
    visibles_ = botones;
    for (TNavButton* b : botones_)
        b->setVisible(visibles_.Contains(b->Index));
    if (!visibles_.Contains(marcado_)) {
        for (TNavButton* b : botones_)
            if (visibles_.Contains(b->Index)) {
                marcado_ = b->Index;
                break;
            }
    }
    ActualizaBotones();
}

void THYMNavigator::SetFlat(bool flat)
{
    flat_ = flat;
    for (TNavButton* b : botones_)
        b->setAutoRaise(flat);
}

void THYMNavigator::SetHints(const QStringList& hints)
{
    hints_ = hints == HintsPorDefecto() ? QStringList() : hints;
    ActualizaHints();
}

void THYMNavigator::ActualizaHints()
{
    for (std::size_t i = 0; i < botones_.size(); ++i) {
        const qsizetype k = static_cast<qsizetype>(i);
        const QString propio = k < hints_.size() ? hints_[k] : QString();
        botones_[i]->setToolTip(propio.isEmpty() ? HintsPorDefecto()[k] : propio);
    }
}

void THYMNavigator::SetControlEdit(TControlEdit* ce)
{
    controlEdit_ = ce;
    if (!ce)
        return;
    // Screens open on their record page.
    ce->MostrarFicha();
    AsignaMenuEmergente(this, ce->PopUpMenu());
    if (!DataSource())
        SetDataSource(ce->DataSource());
    EnlazaItems();
    ActualizaBotones();
}

void THYMNavigator::EnlazaItems()
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        disconnect(conexionesItems_[i]);
        items_[i] = nullptr;
    }
    TPopUpTeclas* menu = controlEdit_ ? controlEdit_->PopUpMenu() : nullptr;
    if (!menu)
        return;
    const QList<QAction*> acciones = menu->actions();
    // The navigation block starts at the first item when it is named after the
    // controller, otherwise at the twelfth.
    const QString primero = controlEdit_->objectName() + QLatin1String(TPopUpTeclas::SufijosNavegacion()[0]);
    const qsizetype inicio = !acciones.isEmpty() && acciones[0]->objectName() == primero ? 0 : 11;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const qsizetype k = inicio + static_cast<qsizetype>(i);
        if (k >= acciones.size())
            break;
        QAction* item = acciones[k];
        items_[i] = item;
        const auto boton = static_cast<TNavigateBtn>(i);
        // An item acts only for a visible button.
        conexionesItems_[i] = connect(item, &QAction::triggered, this, [this, boton] {
            if (visibles_.Contains(boton))
                EjecutarBoton(boton);
        });
    }
}

void THYMNavigator::ActualizaBotones()
{
    std::array<bool, 10> activo{};
    TFIBDataSet* ds = enlace_->DataSet();
    if (ds && ds->Active() && isEnabled()) {
        const bool editando = ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert;
        const bool modificable = ds->CanModify();
        const bool alPrincipio = ds->Bof(), alFinal = ds->Eof();
        const bool seguridad = enEdicion_ && ModoDeSeguridad;
        activo[Idx(TNavigateBtn::nbFirst)] = !alPrincipio && !seguridad;
        activo[Idx(TNavigateBtn::nbPrior)] = !alPrincipio && !seguridad;
        activo[Idx(TNavigateBtn::nbNext)] = !alFinal && !seguridad;
        activo[Idx(TNavigateBtn::nbLast)] = !alFinal && !seguridad;
        activo[Idx(TNavigateBtn::nbDelete)] = modificable && !(alPrincipio && alFinal) && !seguridad;
        activo[Idx(TNavigateBtn::nbInsert)] = modificable && !seguridad;
        activo[Idx(TNavigateBtn::nbRefresh)] = modificable && !seguridad;
        activo[Idx(TNavigateBtn::nbEdit)] = modificable && !editando;
        activo[Idx(TNavigateBtn::nbPost)] = modificable && editando;
        activo[Idx(TNavigateBtn::nbCancel)] = modificable && editando;
    }
    for (std::size_t i = 0; i < botones_.size(); ++i) {
        botones_[i]->setEnabled(activo[i]);
        if (QAction* item = items_[i]) {
            item->setEnabled(activo[i]);
            item->setVisible(visibles_.Contains(static_cast<TNavigateBtn>(i)));
        }
    }
}

void THYMNavigator::EjecutarBoton(TNavigateBtn boton)
{
    bool entrandoEdicion = false;
    bool insertando = false;
    bool Continua = true;
    if (OnClickBefore)
        OnClickBefore(*this, boton, Continua);
    TFIBDataSet* ds = enlace_->DataSet();
    // A failing action throws: the rest of the sequence does not run and the
    // screen stays in the mode it was in.
    if (ds && ds->Active() && Continua) {
        if (BeforeAction)
            BeforeAction(*this, boton);
        switch (boton) {
        case TNavigateBtn::nbFirst: ds->First(); break;
        case TNavigateBtn::nbPrior: ds->Prior(); break;
        case TNavigateBtn::nbNext: ds->Next(); break;
        case TNavigateBtn::nbLast: ds->Last(); break;
        case TNavigateBtn::nbInsert:
            entrandoEdicion = true;
            insertando = true;
            if (controlEdit_)
                controlEdit_->MostrarFicha();
            ds->Insert();
            break;
        case TNavigateBtn::nbDelete: {
            bool borra = true;
            if (ConfirmDelete) {
                // OK and Cancel; closing the box is Cancel.
                QMessageBox pregunta(QMessageBox::Question, DelCaption, DelMessage,
                                     QMessageBox::Ok | QMessageBox::Cancel, window());
                pregunta.button(QMessageBox::Ok)->setText(QStringLiteral("&Aceptar"));
                pregunta.button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancelar"));
                pregunta.setDefaultButton(QMessageBox::Ok);
                pregunta.setEscapeButton(QMessageBox::Cancel);
                borra = pregunta.exec() == QMessageBox::Ok;
            }
            if (borra)
                ds->Delete();
            break;
        }
        case TNavigateBtn::nbEdit:
            entrandoEdicion = true;
            ds->Edit();
            break;
        case TNavigateBtn::nbPost:
            ds->Post();
            if (RefreshOnPost)
                ds->Refresh();
            break;
        case TNavigateBtn::nbCancel: ds->Cancel(); break;
        case TNavigateBtn::nbRefresh: ds->Refresh(); break;
        }
    }
    if (OnClick)
        OnClick(*this, boton);
    if (entrandoEdicion && Continua)
        EntraEdicion(insertando);
    else
        SaleEdicion();
    if (OnClickAfterAdjust)
        OnClickAfterAdjust(*this, boton);
}

void THYMNavigator::EntraEdicion(bool insertando)
{
    BloqueaBarra(false);
    enEdicion_ = true;
    ActualizaBotones();
    if (controlEdit_)
        controlEdit_->ActivarEdicion(true);
    QWidget* foco = insertando ? insertaControl_.data() : editaControl_.data();
    if (foco)
        foco->setFocus(Qt::OtherFocusReason);
}

void THYMNavigator::SaleEdicion()
{
    BloqueaBarra(true);
    enEdicion_ = false;
    ActualizaBotones();
    if (controlEdit_)
        controlEdit_->ActivarEdicion(false);
}

void THYMNavigator::BloqueaBarra(bool on)
{
    if (!Exclusivo)
        return;
    auto* barra = qobject_cast<QToolBar*>(parentWidget());
    if (!barra)
        return;
    for (QAction* a : barra->actions()) {
        QWidget* w = barra->widgetForAction(a);
        if (w == this || !qobject_cast<QToolButton*>(w) || w->property(kUsableEnEdicion).toBool())
            continue;
        // A button added as a widget carries its own name; a button made for
        // an action carries the action's.
        auto* envuelto = qobject_cast<QWidgetAction*>(a);
        const QString nombre = envuelto ? w->objectName() : a->objectName();
        const bool estado = nombre.startsWith(QLatin1String("TbConsulta")) ? !on : on;
        if (envuelto)
            w->setEnabled(estado);
        else
            a->setEnabled(estado);
    }
}

void THYMNavigator::Marca(TNavigateBtn b)
{
    if (b == marcado_)
        return;
    const TNavigateBtn antes = marcado_;
    marcado_ = b;
    Boton(antes)->update();
    Boton(b)->update();
}

void THYMNavigator::keyPressEvent(QKeyEvent* e)
{
    const int actual = static_cast<int>(marcado_);
    switch (e->key()) {
    case Qt::Key_Left:
        for (int i = actual - 1; i >= 0; --i)
            if (visibles_.Contains(static_cast<TNavigateBtn>(i))) {
                Marca(static_cast<TNavigateBtn>(i));
                break;
            }
        break;
    case Qt::Key_Right:
        for (int i = actual + 1; i < static_cast<int>(botones_.size()); ++i)
            if (visibles_.Contains(static_cast<TNavigateBtn>(i))) {
                Marca(static_cast<TNavigateBtn>(i));
                break;
            }
        break;
    case Qt::Key_Space:
        if (Boton(marcado_)->isEnabled())
            EjecutarBoton(marcado_);
        break;
    default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

void THYMNavigator::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        ActualizaBotones();
}

void THYMNavigator::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    Boton(marcado_)->update();
}

void THYMNavigator::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    Boton(marcado_)->update();
}
