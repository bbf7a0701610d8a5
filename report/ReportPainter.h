// Painting laid-out pages with QPainter: the one drawing code behind the
// preview, printing, PDF and page images.
#pragma once

#include "ReportDocument.h"

#include <QImage>
#include <QPainter>

namespace qdr {

// Paints page `index` with the painter's origin at the paper's top-left
// corner; `dpi` is the painter device's resolution.
void paintPage(QPainter& painter, const Document& doc, int index, double dpi);

// The page as an image at `dpi`, on white.
QImage renderPageImage(const Document& doc, int index, double dpi = 96.0);

} // namespace qdr
