#include "DesignerProperties.h"

#include "RichEditRtf.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <type_traits>

namespace qdr {

namespace {

using Prop = DesignerProperties::Prop;
using Editor = DesignerProperties::Editor;

template <class V> QVariant toVar(const V& v)
{
    if constexpr (std::is_enum_v<V>)
        return static_cast<int>(v);
    else
        return QVariant::fromValue(v);
}

template <class V> V fromVar(const QVariant& q)
{
    if constexpr (std::is_enum_v<V>)
        return static_cast<V>(q.toInt());
    else
        return q.value<V>();
}

ReportObject* objectIn(Report& r, ObjRef ref)
{
    if (ref.band < 0 || ref.band >= static_cast<int>(r.bands.size()))
        return nullptr;
    auto& objs = r.bands[static_cast<std::size_t>(ref.band)].objects;
    if (ref.index < 0 || ref.index >= static_cast<int>(objs.size()))
        return nullptr;
    return objs[static_cast<std::size_t>(ref.index)].get();
}

template <class V>
Prop reportProp(const QString& caption, Editor editor, std::function<V*(Report&)> acc, QStringList choices = {},
                double minimum = 0.0, double maximum = 2000.0)
{
    Prop p;
    p.caption = caption;
    p.editor = editor;
    p.choices = std::move(choices);
    p.minimum = minimum;
    p.maximum = maximum;
    p.get = [acc](const Report& r, const DesignSelection&) {
        V* v = acc(const_cast<Report&>(r));
        return v ? toVar(*v) : QVariant();
    };
    p.set = [acc](Report& r, DesignSelection&, const QVariant& q) {
        if (V* v = acc(r))
            *v = fromVar<V>(q);
    };
    return p;
}

template <class V>
Prop bandProp(const QString& caption, Editor editor, std::function<V*(Band&)> acc, QStringList choices = {},
              double minimum = 0.0, double maximum = 2000.0)
{
    auto band = [](Report& r, const DesignSelection& s) -> Band* {
        return s.band >= 0 && s.band < static_cast<int>(r.bands.size()) ? &r.bands[static_cast<std::size_t>(s.band)] : nullptr;
    };
    Prop p;
    p.caption = caption;
    p.editor = editor;
    p.choices = std::move(choices);
    p.minimum = minimum;
    p.maximum = maximum;
    p.get = [acc, band](const Report& r, const DesignSelection& s) {
        Band* b = band(const_cast<Report&>(r), s);
        V* v = b ? acc(*b) : nullptr;
        return v ? toVar(*v) : QVariant();
    };
    p.set = [acc, band](Report& r, DesignSelection& s, const QVariant& q) {
        if (Band* b = band(r, s))
            if (V* v = acc(*b))
                *v = fromVar<V>(q);
    };
    return p;
}

template <class T, class V>
Prop objProp(const QString& caption, Editor editor, std::function<V*(T&)> acc, QStringList choices = {},
             double minimum = 0.0, double maximum = 2000.0)
{
    Prop p;
    p.caption = caption;
    p.editor = editor;
    p.choices = std::move(choices);
    p.minimum = minimum;
    p.maximum = maximum;
    p.get = [acc](const Report& r, const DesignSelection& s) {
        if (s.objects.empty())
            return QVariant();
        T* t = dynamic_cast<T*>(objectIn(const_cast<Report&>(r), s.objects.front()));
        V* v = t ? acc(*t) : nullptr;
        return v ? toVar(*v) : QVariant();
    };
    p.set = [acc](Report& r, DesignSelection& s, const QVariant& q) {
        for (ObjRef ref : s.objects)
            if (T* t = dynamic_cast<T*>(objectIn(r, ref)))
                if (V* v = acc(*t))
                    *v = fromVar<V>(q);
    };
    return p;
}

QStringList bandKindCaptions()
{
    QStringList l;
    for (int k = 0; k < kBandKindCount; ++k)
        l << bandKindCaption(static_cast<BandKind>(k));
    return l;
}

QIcon swatch(Rgba color)
{
    QPixmap pm(28, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    if (qAlpha(color) == 0) {
        p.fillRect(pm.rect(), Qt::white);
        p.setPen(QColor(0xc0, 0x30, 0x30));
        p.drawLine(0, 13, 27, 0);
    } else {
        p.fillRect(pm.rect(), QColor::fromRgba(color));
    }
    p.setPen(Qt::gray);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

// Several lines of text, committed when focus leaves or on Ctrl+Enter.
class MultiLineEdit : public QPlainTextEdit {
public:
    std::function<void()> onCommit;

protected:
    void focusOutEvent(QFocusEvent* e) override
    {
        QPlainTextEdit::focusOutEvent(e);
        if (onCommit)
            onCommit();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && (e->modifiers() & Qt::ControlModifier)) {
            if (onCommit)
                onCommit();
            return;
        }
        if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) {
            // Tab leaves the box, as in every other editor of the panel.
            e->ignore();
            focusNextPrevChild(e->key() == Qt::Key_Tab);
            return;
        }
        QPlainTextEdit::keyPressEvent(e);
    }
};

// The rich-text editor in a dialog; the bytes when accepted, empty otherwise.
bool editRtf(QWidget* parent, QString* rtf)
{
    QDialog dlg(parent);
    dlg.setWindowTitle(QStringLiteral("Texto enriquecido"));
    auto* layout = new QVBoxLayout(&dlg);
    auto* editor = new TRichEditRtf(&dlg);
    editor->setRtf(rtf->toUtf8());
    layout->addWidget(editor);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    dlg.resize(640, 420);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    *rtf = QString::fromUtf8(editor->rtf());
    return true;
}

} // namespace

DesignerProperties::DesignerProperties(DesignerDocument* doc, QWidget* parent) : QWidget(parent), doc_(doc)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    title_ = new QLabel(this);
    QFont f = title_->font();
    f.setBold(true);
    title_->setFont(f);
    layout->addWidget(title_);
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Numbers as the program writes them: decimal comma.
    setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    layout->addWidget(scroll_, 1);
    connect(doc_, &DesignerDocument::reportChanged, this, &DesignerProperties::refresh);
    connect(doc_, &DesignerDocument::selectionChanged, this, &DesignerProperties::refresh);
    refresh();
}

void DesignerProperties::setDataSetNames(const QStringList& names)
{
    dataSets_ = names;
    key_.clear();
    refresh();
}

QString DesignerProperties::targetKey() const
{
    const DesignSelection& s = doc_->selection();
    if (!s.objects.empty()) {
        const ReportObject* o = doc_->object(s.objects.front());
        return QStringLiteral("obj:") + (o ? objectKindName(o->kind) : QString());
    }
    if (s.band >= 0 && s.band < static_cast<int>(doc_->report().bands.size()))
        return QStringLiteral("band:") + bandKindName(doc_->report().bands[static_cast<std::size_t>(s.band)].kind);
    return QStringLiteral("page");
}

void DesignerProperties::refresh()
{
    const DesignSelection& s = doc_->selection();
    const Report& r = doc_->report();
    if (!s.objects.empty()) {
        const ReportObject* o = doc_->object(s.objects.front());
        QString what = o ? o->name : QString();
        if (what.isEmpty() && o)
            what = objectKindCaption(o->kind);
        title_->setText(s.objects.size() > 1 ? QStringLiteral("%1 objetos").arg(s.objects.size()) : what);
    } else if (s.band >= 0 && s.band < static_cast<int>(r.bands.size())) {
        title_->setText(QStringLiteral("Banda: ") + bandKindCaption(r.bands[static_cast<std::size_t>(s.band)].kind));
    } else {
        title_->setText(QStringLiteral("Página"));
    }
    const QString key = targetKey();
    if (key != key_)
        rebuild(key);
    else
        updateValues();
}

std::vector<Prop> DesignerProperties::propsForTarget() const
{
    std::vector<Prop> p;
    const QString key = targetKey();
    const QStringList halign = {QStringLiteral("Izquierda"), QStringLiteral("Centro"), QStringLiteral("Derecha"),
                                QStringLiteral("Justificado")};
    const QStringList valign = {QStringLiteral("Arriba"), QStringLiteral("Centro"), QStringLiteral("Abajo")};
    if (key == QLatin1String("page")) {
        p.push_back(reportProp<QString>(QStringLiteral("Nombre del informe"), Editor::Line, [](Report& r) { return &r.name; }));
        p.push_back(reportProp<double>(QStringLiteral("Ancho del papel"), Editor::Number, [](Report& r) { return &r.page.paperWidth; }, {}, 10));
        p.push_back(reportProp<double>(QStringLiteral("Alto del papel"), Editor::Number, [](Report& r) { return &r.page.paperHeight; }, {}, 10));
        p.push_back(reportProp<Orientation>(QStringLiteral("Orientación"), Editor::Choice, [](Report& r) { return &r.page.orientation; },
                                            {QStringLiteral("Vertical"), QStringLiteral("Horizontal")}));
        p.push_back(reportProp<double>(QStringLiteral("Margen izquierdo"), Editor::Number, [](Report& r) { return &r.page.marginLeft; }));
        p.push_back(reportProp<double>(QStringLiteral("Margen superior"), Editor::Number, [](Report& r) { return &r.page.marginTop; }));
        p.push_back(reportProp<double>(QStringLiteral("Margen derecho"), Editor::Number, [](Report& r) { return &r.page.marginRight; }));
        p.push_back(reportProp<double>(QStringLiteral("Margen inferior"), Editor::Number, [](Report& r) { return &r.page.marginBottom; }));
        p.push_back(reportProp<int>(QStringLiteral("Columnas"), Editor::Integer, [](Report& r) { return &r.page.columns; }, {}, 1, 20));
        p.push_back(reportProp<double>(QStringLiteral("Ancho de columna"), Editor::Number, [](Report& r) { return &r.page.columnWidth; }));
        p.push_back(reportProp<double>(QStringLiteral("Separación de columnas"), Editor::Number, [](Report& r) { return &r.page.columnGap; }));
        p.push_back(reportProp<ColumnOrder>(QStringLiteral("Orden de columnas"), Editor::Choice, [](Report& r) { return &r.page.columnOrder; },
                                            {QStringLiteral("Por filas"), QStringLiteral("Por columnas")}));
        return p;
    }
    if (key.startsWith(QLatin1String("band:"))) {
        p.push_back(bandProp<BandKind>(QStringLiteral("Tipo"), Editor::Choice, [](Band& b) { return &b.kind; }, bandKindCaptions()));
        p.push_back(bandProp<QString>(QStringLiteral("Nombre"), Editor::Line, [](Band& b) { return &b.name; }));
        p.push_back(bandProp<double>(QStringLiteral("Altura"), Editor::Number, [](Band& b) { return &b.height; }, {}, 1));
        p.push_back(bandProp<QString>(QStringLiteral("Conjunto de datos"), Editor::Combo,
                                      [](Band& b) { return isDataBand(b.kind) ? &b.dataSet : nullptr; }, dataSets_));
        p.push_back(bandProp<QString>(QStringLiteral("Condición"), Editor::Line,
                                      [](Band& b) { return b.kind == BandKind::GroupHeader ? &b.condition : nullptr; }));
        p.back().main = true;
        p.push_back(bandProp<bool>(QStringLiteral("Crecer"), Editor::Check, [](Band& b) { return &b.stretch; }));
        p.push_back(bandProp<bool>(QStringLiteral("Mantener junta"), Editor::Check, [](Band& b) { return &b.keepTogether; }));
        p.push_back(bandProp<bool>(QStringLiteral("Empezar página nueva"), Editor::Check, [](Band& b) { return &b.startNewPage; }));
        p.push_back(bandProp<bool>(QStringLiteral("Repetir en cada página"), Editor::Check,
                                   [](Band& b) { return isHeaderBand(b.kind) ? &b.repeatOnNewPage : nullptr; }));
        p.push_back(bandProp<bool>(QStringLiteral("En la primera página"), Editor::Check, [](Band& b) {
            return b.kind == BandKind::PageHeader || b.kind == BandKind::PageFooter ? &b.printOnFirstPage : nullptr;
        }));
        return p;
    }
    // Objects.
    p.push_back(objProp<ReportObject, QString>(QStringLiteral("Nombre"), Editor::Line, [](ReportObject& o) { return &o.name; }));
    p.push_back(objProp<TextObject, QString>(QStringLiteral("Texto"), Editor::Multi, [](TextObject& o) { return &o.text; }));
    p.back().main = true;
    p.push_back(objProp<AggregateObject, AggregateFunction>(
        QStringLiteral("Función"), Editor::Choice, [](AggregateObject& o) { return &o.function; },
        {QStringLiteral("Suma"), QStringLiteral("Cuenta"), QStringLiteral("Media"), QStringLiteral("Mínimo"), QStringLiteral("Máximo")}));
    p.push_back(objProp<AggregateObject, QString>(QStringLiteral("Expresión"), Editor::Line, [](AggregateObject& o) { return &o.expression; }));
    p.back().main = true;
    QStringList dataBands;
    for (const Band& b : doc_->report().bands)
        if (isDataBand(b.kind) && !b.name.isEmpty())
            dataBands << b.name;
    p.push_back(objProp<AggregateObject, QString>(QStringLiteral("Banda de datos"), Editor::Combo, [](AggregateObject& o) { return &o.dataBand; }, dataBands));
    p.push_back(objProp<AggregateObject, AggregateScope>(QStringLiteral("Ámbito"), Editor::Choice, [](AggregateObject& o) { return &o.scope; },
                                                         {QStringLiteral("Banda"), QStringLiteral("Página"), QStringLiteral("Informe")}));
    p.push_back(objProp<BarcodeObject, QString>(QStringLiteral("Datos"), Editor::Line, [](BarcodeObject& o) { return &o.text; }));
    p.back().main = true;
    p.push_back(objProp<BarcodeObject, BarcodeType>(QStringLiteral("Tipo de código"), Editor::Choice, [](BarcodeObject& o) { return &o.type; },
                                                    {QStringLiteral("Code 128"), QStringLiteral("EAN-13"), QStringLiteral("QR")}));
    p.push_back(objProp<BarcodeObject, bool>(QStringLiteral("Mostrar texto"), Editor::Check, [](BarcodeObject& o) { return &o.showText; }));
    p.push_back(objProp<BarcodeObject, Rgba>(QStringLiteral("Color"), Editor::Color, [](BarcodeObject& o) { return &o.color; }));
    p.push_back(objProp<PictureObject, PictureSource>(QStringLiteral("Origen"), Editor::Choice, [](PictureObject& o) { return &o.source; },
                                                      {QStringLiteral("Fichero"), QStringLiteral("Campo"), QStringLiteral("Programa")}));
    p.push_back(objProp<PictureObject, QString>(QStringLiteral("Fichero"), Editor::File, [](PictureObject& o) { return &o.fileName; }));
    p.push_back(objProp<PictureObject, QString>(QStringLiteral("Campo"), Editor::Line, [](PictureObject& o) { return &o.expression; }));
    p.push_back(objProp<PictureObject, bool>(QStringLiteral("Mantener proporción"), Editor::Check, [](PictureObject& o) { return &o.keepAspect; }));
    p.push_back(objProp<PictureObject, bool>(QStringLiteral("Centrar"), Editor::Check, [](PictureObject& o) { return &o.center; }));
    p.push_back(objProp<ChartObject, ChartType>(QStringLiteral("Tipo de gráfico"), Editor::Choice, [](ChartObject& o) { return &o.type; },
                                                {QStringLiteral("Barras"), QStringLiteral("Sectores")}));
    p.push_back(objProp<ChartObject, QString>(QStringLiteral("Conjunto de datos"), Editor::Combo, [](ChartObject& o) { return &o.dataSet; }, dataSets_));
    p.push_back(objProp<ChartObject, QString>(QStringLiteral("Etiqueta"), Editor::Line, [](ChartObject& o) { return &o.labelExpression; }));
    p.push_back(objProp<ChartObject, QString>(QStringLiteral("Valor"), Editor::Line, [](ChartObject& o) { return &o.valueExpression; }));
    p.back().main = true;
    p.push_back(objProp<ChartObject, QString>(QStringLiteral("Título"), Editor::Line, [](ChartObject& o) { return &o.title; }));
    p.push_back(objProp<RichTextObject, QString>(QStringLiteral("Texto enriquecido"), Editor::Rtf, [](RichTextObject& o) { return &o.rtf; }));
    p.back().main = true;
    p.push_back(objProp<RichTextObject, QString>(QStringLiteral("Campo RTF"), Editor::Line, [](RichTextObject& o) { return &o.expression; }));
    p.push_back(objProp<RichTextObject, bool>(QStringLiteral("Crecer"), Editor::Check, [](RichTextObject& o) { return &o.stretch; }));
    p.push_back(objProp<RichTextObject, bool>(QStringLiteral("Partir entre páginas"), Editor::Check, [](RichTextObject& o) { return &o.allowSplit; }));
    p.push_back(objProp<ReportObject, double>(QStringLiteral("X"), Editor::Number, [](ReportObject& o) { return &o.x; }));
    p.push_back(objProp<ReportObject, double>(QStringLiteral("Y"), Editor::Number, [](ReportObject& o) { return &o.y; }));
    p.push_back(objProp<ReportObject, double>(QStringLiteral("Ancho"), Editor::Number, [](ReportObject& o) { return &o.width; }));
    p.push_back(objProp<ReportObject, double>(QStringLiteral("Alto"), Editor::Number, [](ReportObject& o) { return &o.height; }));
    // Text formatting, for texts and totals.
    p.push_back(objProp<TextProps, QString>(QStringLiteral("Fuente"), Editor::Font, [](TextProps& t) { return &t.font.family; }));
    p.push_back(objProp<TextProps, double>(QStringLiteral("Tamaño"), Editor::Number, [](TextProps& t) { return &t.font.size; }, {}, 1, 200));
    p.push_back(objProp<TextProps, bool>(QStringLiteral("Negrita"), Editor::Check, [](TextProps& t) { return &t.font.bold; }));
    p.push_back(objProp<TextProps, bool>(QStringLiteral("Cursiva"), Editor::Check, [](TextProps& t) { return &t.font.italic; }));
    p.push_back(objProp<TextProps, bool>(QStringLiteral("Subrayado"), Editor::Check, [](TextProps& t) { return &t.font.underline; }));
    p.push_back(objProp<TextProps, Rgba>(QStringLiteral("Color del texto"), Editor::Color, [](TextProps& t) { return &t.font.color; }));
    p.push_back(objProp<TextProps, HAlign>(QStringLiteral("Alineación horizontal"), Editor::Choice, [](TextProps& t) { return &t.hAlign; }, halign));
    p.push_back(objProp<TextProps, VAlign>(QStringLiteral("Alineación vertical"), Editor::Choice, [](TextProps& t) { return &t.vAlign; }, valign));
    p.push_back(objProp<TextProps, bool>(QStringLiteral("Ajustar líneas"), Editor::Check, [](TextProps& t) { return &t.wordWrap; }));
    p.push_back(objProp<TextProps, bool>(QStringLiteral("Crecer"), Editor::Check, [](TextProps& t) { return &t.stretch; }));
    p.push_back(objProp<TextProps, bool>(QStringLiteral("Partir entre páginas"), Editor::Check, [](TextProps& t) { return &t.allowSplit; }));
    p.push_back(objProp<TextProps, QString>(QStringLiteral("Formato"), Editor::Combo, [](TextProps& t) { return &t.displayFormat; },
                                            {QString(), QStringLiteral("#0.00000%"), QStringLiteral("###,###,###,##0.00"),
                                             QStringLiteral("dd/mm/yyyy")}));
    // Lines draw with their own pen; every other object has a fill and a frame.
    p.push_back(objProp<LineObject, double>(QStringLiteral("Grosor"), Editor::Number, [](LineObject& o) { return &o.penWidth; }, {}, 0.05, 10));
    p.push_back(objProp<LineObject, Rgba>(QStringLiteral("Color de la línea"), Editor::Color, [](LineObject& o) { return &o.color; }));
    auto boxed = [](ReportObject& o) { return o.kind != ObjectKind::Line; };
    p.push_back(objProp<ReportObject, Rgba>(QStringLiteral("Relleno"), Editor::OptColor,
                                            [boxed](ReportObject& o) { return boxed(o) ? &o.fill : nullptr; }));
    p.push_back(objProp<ReportObject, bool>(QStringLiteral("Marco izquierdo"), Editor::Check,
                                            [boxed](ReportObject& o) { return boxed(o) ? &o.frame.left : nullptr; }));
    p.push_back(objProp<ReportObject, bool>(QStringLiteral("Marco superior"), Editor::Check,
                                            [boxed](ReportObject& o) { return boxed(o) ? &o.frame.top : nullptr; }));
    p.push_back(objProp<ReportObject, bool>(QStringLiteral("Marco derecho"), Editor::Check,
                                            [boxed](ReportObject& o) { return boxed(o) ? &o.frame.right : nullptr; }));
    p.push_back(objProp<ReportObject, bool>(QStringLiteral("Marco inferior"), Editor::Check,
                                            [boxed](ReportObject& o) { return boxed(o) ? &o.frame.bottom : nullptr; }));
    p.push_back(objProp<ReportObject, double>(QStringLiteral("Grosor del marco"), Editor::Number,
                                              [boxed](ReportObject& o) { return boxed(o) ? &o.frame.width : nullptr; }, {}, 0.05, 10));
    p.push_back(objProp<ReportObject, Rgba>(QStringLiteral("Color del marco"), Editor::Color,
                                            [boxed](ReportObject& o) { return boxed(o) ? &o.frame.color : nullptr; }));
    return p;
}

void DesignerProperties::rebuild(const QString& key)
{
    key_ = key;
    if (QWidget* old = scroll_->takeWidget()) {
        // An editor of the old form may be the one whose signal got us here;
        // what the old editors commit as they lose focus belongs to the old target.
        updating_ = true;
        old->hide();
        old->deleteLater();
        updating_ = false;
    }
    props_ = propsForTarget();
    editors_.assign(props_.size(), nullptr);
    auto* form = new QWidget;
    auto* layout = new QFormLayout(form);
    layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->setContentsMargins(2, 2, 2, 2);
    const Report& r = doc_->report();
    const DesignSelection& s = doc_->selection();
    for (std::size_t i = 0; i < props_.size(); ++i) {
        if (!props_[i].get(r, s).isValid())
            continue;
        QWidget* e = makeEditor(props_[i], i);
        editors_[i] = e;
        auto* label = new QLabel(props_[i].caption, form);
        label->setBuddy(e);
        layout->addRow(label, e);
    }
    scroll_->setWidget(form);
    form_ = form;
    updateValues();
}

QWidget* DesignerProperties::makeEditor(const Prop& prop, std::size_t index)
{
    switch (prop.editor) {
    case Editor::Number: {
        auto* e = new QDoubleSpinBox;
        e->setDecimals(2);
        e->setRange(prop.minimum, prop.maximum);
        e->setSingleStep(0.5);
        e->setKeyboardTracking(false);
        connect(e, &QDoubleSpinBox::valueChanged, this, [this, index](double v) { apply(index, v); });
        return e;
    }
    case Editor::Integer: {
        auto* e = new QSpinBox;
        e->setRange(static_cast<int>(prop.minimum), static_cast<int>(prop.maximum));
        e->setKeyboardTracking(false);
        connect(e, &QSpinBox::valueChanged, this, [this, index](int v) { apply(index, v); });
        return e;
    }
    case Editor::Check: {
        auto* e = new QCheckBox;
        connect(e, &QCheckBox::toggled, this, [this, index](bool on) { apply(index, on); });
        return e;
    }
    case Editor::Line: {
        auto* e = new QLineEdit;
        connect(e, &QLineEdit::editingFinished, this, [this, index, e] { apply(index, e->text()); });
        return e;
    }
    case Editor::Multi: {
        auto* e = new MultiLineEdit;
        e->setTabChangesFocus(true);
        e->setFixedHeight(e->fontMetrics().lineSpacing() * 4 + 10);
        e->onCommit = [this, index, e] { apply(index, e->toPlainText()); };
        return e;
    }
    case Editor::Choice: {
        auto* e = new QComboBox;
        e->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        e->setMinimumContentsLength(10);
        e->addItems(prop.choices);
        connect(e, &QComboBox::activated, this, [this, index](int i) { apply(index, i); });
        return e;
    }
    case Editor::Combo: {
        auto* e = new QComboBox;
        e->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        e->setMinimumContentsLength(10);
        e->setEditable(true);
        e->setInsertPolicy(QComboBox::NoInsert);
        e->addItems(prop.choices);
        connect(e, &QComboBox::activated, this, [this, index, e](int) { apply(index, e->currentText()); });
        connect(e->lineEdit(), &QLineEdit::editingFinished, this, [this, index, e] { apply(index, e->currentText()); });
        return e;
    }
    case Editor::Color:
    case Editor::OptColor: {
        auto* e = new QPushButton;
        e->setText(QStringLiteral("Color…"));
        const QString caption = prop.caption;
        auto choose = [this, index, caption, e] {
            const QColor c = QColorDialog::getColor(QColor::fromRgba(e->property("rgba").toUInt()), this, caption);
            if (c.isValid())
                apply(index, static_cast<Rgba>(c.rgba()));
        };
        if (prop.editor == Editor::OptColor) {
            auto* menu = new QMenu(e);
            menu->addAction(QStringLiteral("Elegir color…"), this, choose);
            menu->addAction(QStringLiteral("Sin color"), this, [this, index] { apply(index, static_cast<Rgba>(kNoColor)); });
            e->setMenu(menu);
        } else {
            connect(e, &QPushButton::clicked, this, choose);
        }
        return e;
    }
    case Editor::Font: {
        auto* e = new QFontComboBox;
        e->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        e->setMinimumContentsLength(8);
        connect(e, &QFontComboBox::currentFontChanged, this, [this, index](const QFont& f) { apply(index, f.family()); });
        return e;
    }
    case Editor::File: {
        auto* box = new QWidget;
        auto* h = new QHBoxLayout(box);
        h->setContentsMargins(0, 0, 0, 0);
        auto* e = new QLineEdit(box);
        auto* browse = new QToolButton(box);
        browse->setText(QStringLiteral("…"));
        browse->setToolTip(QStringLiteral("Elegir fichero"));
        h->addWidget(e, 1);
        h->addWidget(browse);
        box->setFocusProxy(e);
        connect(e, &QLineEdit::editingFinished, this, [this, index, e] { apply(index, e->text()); });
        connect(browse, &QToolButton::clicked, this, [this, index, e] {
            const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Imagen"), e->text(),
                                                           QStringLiteral("Imágenes (*.png *.jpg *.jpeg *.bmp)"));
            if (!f.isEmpty())
                apply(index, f);
        });
        return box;
    }
    case Editor::Rtf: {
        auto* e = new QPushButton(QStringLiteral("Editar…"));
        connect(e, &QPushButton::clicked, this, [this, index] {
            QString rtf = props_[index].get(doc_->report(), doc_->selection()).toString();
            if (editRtf(this, &rtf))
                apply(index, rtf);
        });
        return e;
    }
    }
    return nullptr;
}

void DesignerProperties::updateValues()
{
    updating_ = true;
    const Report& r = doc_->report();
    const DesignSelection& s = doc_->selection();
    for (std::size_t i = 0; i < props_.size(); ++i) {
        QWidget* w = editors_[i];
        if (!w)
            continue;
        const QVariant v = props_[i].get(r, s);
        const QSignalBlocker block(w);
        switch (props_[i].editor) {
        case Editor::Number:
            static_cast<QDoubleSpinBox*>(w)->setValue(v.toDouble());
            break;
        case Editor::Integer:
            static_cast<QSpinBox*>(w)->setValue(v.toInt());
            break;
        case Editor::Check:
            static_cast<QCheckBox*>(w)->setChecked(v.toBool());
            break;
        case Editor::Line:
            if (!w->hasFocus() || static_cast<QLineEdit*>(w)->text() != v.toString())
                static_cast<QLineEdit*>(w)->setText(v.toString());
            break;
        case Editor::Multi:
            if (static_cast<QPlainTextEdit*>(w)->toPlainText() != v.toString())
                static_cast<QPlainTextEdit*>(w)->setPlainText(v.toString());
            break;
        case Editor::Choice:
            static_cast<QComboBox*>(w)->setCurrentIndex(v.toInt());
            break;
        case Editor::Combo: {
            auto* c = static_cast<QComboBox*>(w);
            const QSignalBlocker blockLine(c->lineEdit());
            c->setEditText(v.toString());
            break;
        }
        case Editor::Color:
        case Editor::OptColor: {
            auto* b = static_cast<QPushButton*>(w);
            b->setProperty("rgba", v.toUInt());
            b->setIcon(swatch(v.toUInt()));
            b->setText(qAlpha(v.toUInt()) == 0 ? QStringLiteral("Sin color") : QColor::fromRgba(v.toUInt()).name());
            break;
        }
        case Editor::Font:
            static_cast<QFontComboBox*>(w)->setCurrentFont(QFont(v.toString()));
            break;
        case Editor::File: {
            auto* e = w->findChild<QLineEdit*>();
            const QSignalBlocker blockLine(e);
            e->setText(v.toString());
            break;
        }
        case Editor::Rtf:
            break;
        }
    }
    updating_ = false;
}

void DesignerProperties::apply(std::size_t index, const QVariant& value)
{
    if (updating_ || index >= props_.size())
        return;
    const Prop prop = props_[index];
    doc_->change(QStringLiteral("Cambiar %1").arg(prop.caption.toLower()),
                 [&prop, &value](Report& r, DesignSelection& s) { prop.set(r, s, value); });
}

QWidget* DesignerProperties::editorFor(const QString& caption) const
{
    for (std::size_t i = 0; i < props_.size(); ++i)
        if (props_[i].caption == caption && editors_[i])
            return editors_[i];
    return nullptr;
}

void DesignerProperties::focusFirstEditor()
{
    for (QWidget* w : editors_) {
        if (w) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void DesignerProperties::focusMainProperty()
{
    for (std::size_t i = 0; i < props_.size(); ++i) {
        QWidget* w = editors_[i];
        if (!props_[i].main || !w)
            continue;
        w->setFocus(Qt::OtherFocusReason);
        if (auto* line = qobject_cast<QLineEdit*>(w))
            line->selectAll();
        else if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            text->selectAll();
        else if (auto* button = qobject_cast<QPushButton*>(w))
            button->click();
        return;
    }
}

} // namespace qdr
