#include "ReportModel.h"

#include <array>

namespace qdr {

double PageSetup::effectiveColumnWidth() const
{
    if (columnWidth > 0.0)
        return columnWidth;
    const int n = columns < 1 ? 1 : columns;
    return (printableWidth() - columnGap * (n - 1)) / n;
}

Band::Band(const Band& other)
    : kind(other.kind), name(other.name), height(other.height), keepTogether(other.keepTogether),
      startNewPage(other.startNewPage), stretch(other.stretch), repeatOnNewPage(other.repeatOnNewPage),
      printOnFirstPage(other.printOnFirstPage), dataSet(other.dataSet), condition(other.condition)
{
    objects.reserve(other.objects.size());
    for (const auto& o : other.objects)
        objects.push_back(o->clone());
}

Band& Band::operator=(const Band& other)
{
    if (this != &other) {
        Band copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Band& Report::addBand(BandKind kind, double height, const QString& bandName)
{
    Band& b = bands.emplace_back(kind);
    b.height = height;
    b.name = bandName;
    return b;
}

Band* Report::findBand(const QString& bandName)
{
    for (Band& b : bands)
        if (b.name == bandName)
            return &b;
    return nullptr;
}

const Band* Report::findBand(const QString& bandName) const
{
    return const_cast<Report*>(this)->findBand(bandName);
}

ReportObject* Report::findObject(const QString& objectName)
{
    for (Band& b : bands)
        for (auto& o : b.objects)
            if (o->name == objectName)
                return o.get();
    return nullptr;
}

const ReportObject* Report::findObject(const QString& objectName) const
{
    return const_cast<Report*>(this)->findObject(objectName);
}

void Report::reset()
{
    *this = Report();
}

namespace {
constexpr std::array<const char*, kBandKindCount> kBandNames = {
    "ReportTitle", "PageHeader", "MasterHeader", "MasterData", "DetailHeader", "DetailData",
    "DetailFooter", "MasterFooter", "GroupHeader", "GroupFooter", "PageFooter", "ReportSummary",
};
constexpr std::array<const char*, 8> kObjectNames = {
    "text", "line", "rectangle", "picture", "barcode", "chart", "richtext", "aggregate",
};
} // namespace

QString bandKindName(BandKind kind)
{
    return QString::fromLatin1(kBandNames[static_cast<std::size_t>(kind)]);
}

bool bandKindFromName(const QString& n, BandKind* kind)
{
    for (std::size_t i = 0; i < kBandNames.size(); ++i) {
        if (n == QLatin1String(kBandNames[i])) {
            *kind = static_cast<BandKind>(i);
            return true;
        }
    }
    return false;
}

QString objectKindName(ObjectKind kind)
{
    return QString::fromLatin1(kObjectNames[static_cast<std::size_t>(kind)]);
}

bool isDataBand(BandKind kind)
{
    return kind == BandKind::MasterData || kind == BandKind::DetailData;
}

bool isHeaderBand(BandKind kind)
{
    return kind == BandKind::MasterHeader || kind == BandKind::DetailHeader || kind == BandKind::GroupHeader;
}

} // namespace qdr
