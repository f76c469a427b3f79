#include "printer_surface.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinter>

namespace tavrino {

PrinterSurface::PrinterSurface(QPrinter& printer)
    : m_printer(printer), m_font(QStringLiteral("DejaVu Sans")) {
    // No ligatures: "ffi" in a printed password must stay three letters.
    m_font.setStyleStrategy(QFont::PreferNoShaping);
    m_printer.setPageOrientation(QPageLayout::Landscape);
    if (!m_painter.begin(&m_printer)) return;
    // One unit of the painter is one point.
    const double scale = m_printer.resolution() / 72.0;
    m_painter.scale(scale, scale);
    const QRectF page = m_printer.pageLayout().paintRect(QPageLayout::Point);
    m_width = page.width();
    m_height = page.height();
    setFont(8, false);
}

void PrinterSurface::setFont(int points, bool bold) {
    m_font.setPixelSize(points);
    m_font.setBold(bold);
    if (m_painter.isActive()) m_painter.setFont(m_font);
}

double PrinterSurface::textWidth(const QString& text) const {
    return QFontMetricsF(m_font).horizontalAdvance(text);
}

double PrinterSurface::textHeight(const QString&) const {
    return QFontMetricsF(m_font).height();
}

void PrinterSurface::print(const QString& text) {
    // A new page is started only when something goes on it, so ending the
    // document right after a footer leaves no blank page.
    if (m_pendingPage) {
        m_printer.newPage();
        m_pendingPage = false;
    }
    if (!text.isEmpty() && m_painter.isActive())
        m_painter.drawText(QPointF(m_x, m_y + QFontMetricsF(m_font).ascent()), text);
    m_x = 0;
    m_y += textHeight(text);
}

void PrinterSurface::newPage() {
    m_pendingPage = true;
    m_x = 0;
    m_y = 0;
}

void PrinterSurface::endDoc() {
    if (m_painter.isActive()) m_painter.end();
}

} // namespace tavrino
