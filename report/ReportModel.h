// The format of a banded report: page set-up, bands and the objects on them.
// Plain data (QtCore only, no graphics classes); lengths are millimetres,
// font sizes points, colours 0xAARRGGBB. The layout engine turns a format
// and its data into a document of page primitives (ReportDocument.h).
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace qdr {

using Rgba = std::uint32_t;
constexpr Rgba kBlack = 0xff000000u;
constexpr Rgba kWhite = 0xffffffffu;
constexpr Rgba kNoColor = 0x00000000u; // fully transparent: nothing is painted

enum class Orientation : std::uint8_t { Portrait, Landscape };
// Order in which a multi-column page fills its cells with data rows.
enum class ColumnOrder : std::uint8_t { AcrossThenDown, DownThenAcross };

struct PageSetup {
    // Paper size as the portrait sheet; orientation swaps it.
    double paperWidth = 210.0;
    double paperHeight = 297.0;
    Orientation orientation = Orientation::Portrait;
    double marginLeft = 10.0;
    double marginTop = 10.0;
    double marginRight = 10.0;
    double marginBottom = 10.0;
    // Columns for master data rows (label sheets); 1 is a plain page.
    int columns = 1;
    double columnWidth = 0.0; // 0: the printable width shared out evenly
    double columnGap = 0.0;
    ColumnOrder columnOrder = ColumnOrder::AcrossThenDown;

    double pageWidth() const { return orientation == Orientation::Portrait ? paperWidth : paperHeight; }
    double pageHeight() const { return orientation == Orientation::Portrait ? paperHeight : paperWidth; }
    double printableWidth() const { return pageWidth() - marginLeft - marginRight; }
    // The width of one column: the given one, or the printable width shared out.
    double effectiveColumnWidth() const;
    bool operator==(const PageSetup&) const = default;
};

enum class BandKind : std::uint8_t {
    ReportTitle,
    PageHeader,
    MasterHeader,
    MasterData,
    DetailHeader,
    DetailData,
    DetailFooter,
    MasterFooter,
    GroupHeader,
    GroupFooter,
    PageFooter,
    ReportSummary,
};
constexpr int kBandKindCount = 12;

enum class HAlign : std::uint8_t { Left, Center, Right, Justify };
enum class VAlign : std::uint8_t { Top, Center, Bottom };

struct Font {
    QString family = QStringLiteral("DejaVu Sans");
    double size = 10.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    Rgba color = kBlack;
    bool operator==(const Font&) const = default;
};

// Lines drawn on the sides of an object's box.
struct Frame {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    double width = 0.2;
    Rgba color = kBlack;
    bool any() const { return left || top || right || bottom; }
    void setAll(bool on) { left = top = right = bottom = on; }
    bool operator==(const Frame&) const = default;
};

enum class ObjectKind : std::uint8_t { Text, Line, Rectangle, Picture, Barcode, Chart, RichText, Aggregate };

struct ReportObject {
    explicit ReportObject(ObjectKind k) : kind(k) {}
    virtual ~ReportObject() = default;
    virtual std::unique_ptr<ReportObject> clone() const = 0;

    const ObjectKind kind;
    QString name;
    double x = 0.0; // relative to the band's top-left corner
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    Frame frame;
    Rgba fill = kNoColor;

protected:
    ReportObject(const ReportObject&) = default;
    ReportObject& operator=(const ReportObject&) = delete;
};

// Properties shared by the objects that show text.
struct TextProps {
    Font font;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool wordWrap = true;
    // Grows downwards to show all its lines (and so makes a stretching band taller).
    bool stretch = false;
    // A stretched text may continue on the next page, whole lines at a time.
    bool allowSplit = true;
    // Display format for numbers ("#0.00000%", "###,###,###,##0.00") and dates ("dd/mm/yyyy").
    QString displayFormat;
};

// Literal text with [expressions]: [frDBDataSet1."NOMBRE"], [Page] of [Pages].
struct TextObject : ReportObject, TextProps {
    TextObject() : ReportObject(ObjectKind::Text) {}
    std::unique_ptr<ReportObject> clone() const override { return std::unique_ptr<ReportObject>(new TextObject(*this)); }
    QString text;

protected:
    TextObject(const TextObject&) = default;
};

// A line from (x, y) to (x + width, y + height); one of the two is usually 0.
struct LineObject : ReportObject {
    LineObject() : ReportObject(ObjectKind::Line) {}
    std::unique_ptr<ReportObject> clone() const override { return std::unique_ptr<ReportObject>(new LineObject(*this)); }
    double penWidth = 0.2;
    Rgba color = kBlack;

protected:
    LineObject(const LineObject&) = default;
};

// A box: its frame (all four sides by default) and its fill.
struct RectangleObject : ReportObject {
    RectangleObject() : ReportObject(ObjectKind::Rectangle) { frame.setAll(true); }
    std::unique_ptr<ReportObject> clone() const override
    {
        return std::unique_ptr<ReportObject>(new RectangleObject(*this));
    }

protected:
    RectangleObject(const RectangleObject&) = default;
};

enum class PictureSource : std::uint8_t {
    File,  // fileName, read when the report is built
    Field, // expression giving image bytes (a blob field)
    Named, // supplied at run time under the object's name (ReportData::setPicture)
};

struct PictureObject : ReportObject {
    PictureObject() : ReportObject(ObjectKind::Picture) {}
    std::unique_ptr<ReportObject> clone() const override
    {
        return std::unique_ptr<ReportObject>(new PictureObject(*this));
    }
    PictureSource source = PictureSource::Named;
    QString fileName;
    QString expression;
    bool keepAspect = true;
    bool center = true;

protected:
    PictureObject(const PictureObject&) = default;
};

enum class BarcodeType : std::uint8_t { Code128, Ean13, QrCode };

struct BarcodeObject : ReportObject {
    BarcodeObject() : ReportObject(ObjectKind::Barcode) {}
    std::unique_ptr<ReportObject> clone() const override
    {
        return std::unique_ptr<ReportObject>(new BarcodeObject(*this));
    }
    BarcodeType type = BarcodeType::Code128;
    QString text; // the data, with [expressions] like a text object
    bool showText = true;
    Rgba color = kBlack;

protected:
    BarcodeObject(const BarcodeObject&) = default;
};

enum class ChartType : std::uint8_t { Bar, Pie };

// A chart over every row of a dataset: one bar or slice per row.
struct ChartObject : ReportObject {
    ChartObject() : ReportObject(ObjectKind::Chart) {}
    std::unique_ptr<ReportObject> clone() const override { return std::unique_ptr<ReportObject>(new ChartObject(*this)); }
    ChartType type = ChartType::Bar;
    QString dataSet;
    QString labelExpression;
    QString valueExpression;
    QString title;

protected:
    ChartObject(const ChartObject&) = default;
};

// An RTF document, stored in the format or taken from an expression (a blob field).
struct RichTextObject : ReportObject {
    RichTextObject() : ReportObject(ObjectKind::RichText) {}
    std::unique_ptr<ReportObject> clone() const override
    {
        return std::unique_ptr<ReportObject>(new RichTextObject(*this));
    }
    QString rtf;
    QString expression; // when set, the RTF comes from here instead
    bool stretch = true;
    bool allowSplit = true;

protected:
    RichTextObject(const RichTextObject&) = default;
};

enum class AggregateFunction : std::uint8_t { Sum, Count, Average, Minimum, Maximum };
// Band: the rows since the object was last printed (a group or master footer
// shows its group's total). Page: the rows on the current page. Report: all rows so far.
enum class AggregateScope : std::uint8_t { Band, Page, Report };

// Shows an aggregate of an expression over the rows of a data band.
struct AggregateObject : ReportObject, TextProps {
    AggregateObject() : ReportObject(ObjectKind::Aggregate) {}
    std::unique_ptr<ReportObject> clone() const override
    {
        return std::unique_ptr<ReportObject>(new AggregateObject(*this));
    }
    AggregateFunction function = AggregateFunction::Sum;
    QString expression; // empty for Count: counts rows
    QString dataBand;   // name of the data band; empty: the first master data band
    AggregateScope scope = AggregateScope::Band;

protected:
    AggregateObject(const AggregateObject&) = default;
};

struct Band {
    Band() = default;
    explicit Band(BandKind k) : kind(k) {}
    Band(const Band& other);
    Band& operator=(const Band& other);
    Band(Band&&) noexcept = default;
    Band& operator=(Band&&) noexcept = default;

    BandKind kind = BandKind::MasterData;
    QString name;
    double height = 10.0;
    bool keepTogether = false;
    bool startNewPage = false;
    // Grows to hold its stretched objects.
    bool stretch = false;
    // Headers: printed again at the top of a page on which their rows continue.
    bool repeatOnNewPage = true;
    // Page header and footer: printed on the first page too.
    bool printOnFirstPage = true;
    QString dataSet;   // master and detail data bands; empty prints the band once
    QString condition; // group header: a new group starts when its value changes
    std::vector<std::unique_ptr<ReportObject>> objects;

    template <class T> T& add()
    {
        objects.push_back(std::make_unique<T>());
        return static_cast<T&>(*objects.back());
    }
};

struct Report {
    QString name;
    PageSetup page;
    std::vector<Band> bands;

    Band& addBand(BandKind kind, double height, const QString& name = {});
    Band* findBand(const QString& name);
    const Band* findBand(const QString& name) const;
    ReportObject* findObject(const QString& name);
    const ReportObject* findObject(const QString& name) const;
    // One blank A4 page with no bands: what a new format starts from.
    void reset();
};

// Names used in the file format and in messages.
QString bandKindName(BandKind kind);
bool bandKindFromName(const QString& name, BandKind* kind);
QString objectKindName(ObjectKind kind);
bool isDataBand(BandKind kind);
bool isHeaderBand(BandKind kind);

} // namespace qdr
