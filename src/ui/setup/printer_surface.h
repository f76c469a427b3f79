#pragma once

#include "ui/setup/glyph_coverage.h"
#include "ui/setup/print_list.h"

#include <QFont>
#include <QPainter>

class QPrinter;

namespace tavrino {

// The print surface on a QPrinter, in points, landscape.
class PrinterSurface : public PrintSurface {
public:
    explicit PrinterSurface(QPrinter& printer);
    bool isActive() const { return m_painter.isActive(); }

    double currentX() const override { return m_x; }
    double currentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    double scaleWidth() const override { return m_width; }
    double scaleHeight() const override { return m_height; }
    double textWidth(const QString& text) const override;
    double textHeight(const QString& text) const override;
    void setFont(int points, bool bold) override;
    void print(const QString& text) override;
    void newPage() override;
    void endDoc() override;
    bool canDraw(char32_t c) const override { return m_coverage.canDraw(c); }

private:
    mutable GlyphCoverage m_coverage;
    QPrinter& m_printer;
    QPainter m_painter;
    QFont m_font;
    double m_x = 0;
    double m_y = 0;
    double m_width = 0;
    double m_height = 0;
    bool m_pageHasContent = false;
    bool m_pendingPage = false;
};

} // namespace tavrino
