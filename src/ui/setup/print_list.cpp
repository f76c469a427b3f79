#include "print_list.h"

#include <QRegularExpression>

#include "store/profile.h"
#include "ui/setup/glyph_coverage.h"

#include <algorithm>

namespace tavrino {

const std::array<QString, 9>& PasswordListPrinter::headings() {
    static const std::array<QString, 9> h{
        QString(),
        QStringLiteral("Category") + QString(10, QLatin1Char(' ')),
        QStringLiteral("Description") + QString(25, QLatin1Char(' ')),
        QStringLiteral("User Code") + QString(15, QLatin1Char(' ')),
        QStringLiteral("Password") + QString(15, QLatin1Char(' ')),
        QStringLiteral("Notes") + QString(35, QLatin1Char(' ')),
        QStringLiteral("Expiry Date") + QString(6, QLatin1Char(' ')),
        QStringLiteral("Web Site") + QString(30, QLatin1Char(' ')),
        QStringLiteral("Email") + QString(30, QLatin1Char(' ')),
    };
    return h;
}

void PasswordListPrinter::PrintHeading(const QDateTime& now) {
    m_now = now;
    m_s.setFont(12, true);
    m_s.print(QStringLiteral("Tavrino User Passwords as at ") +
              now.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")));
    m_s.print(QString());
    const double headingLine = m_s.currentY();
    m_s.setFont(8, false);
    const auto& h = headings();
    m_x[0] = 12;
    for (int i = 1; i <= 8; ++i) {
        m_x[i] = m_x[i - 1] + m_s.textWidth(h[i - 1]) + 5;
        m_s.setCurrentX(m_x[i]);
        m_s.setCurrentY(headingLine);
        m_s.print(h[i]);
        m_s.setCurrentX(m_x[i]);
        m_s.print(QStringLiteral("-----------------"));
    }
    m_rowTop = m_s.currentY();
}

QList<qsizetype> PasswordListPrinter::printOrder(const QStringList& recordLines) {
    QList<std::pair<QString, qsizetype>> keyed;
    keyed.reserve(recordLines.size());
    for (qsizetype p = 1; p <= recordLines.size(); ++p)
        keyed.append({recordLines[p - 1].section(QLatin1Char('|'), 2, 2) + QLatin1Char('|') +
                          QString::number(p),
                      p});
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    QList<qsizetype> order;
    order.reserve(keyed.size());
    for (const auto& k : keyed)
        order.append(k.second);
    return order;
}

void PasswordListPrinter::PrintList(const QStringList& recordLines, const QDateTime& now) {
    m_now = now;
    const double lineHeight = m_s.textHeight(QStringLiteral("test"));
    const auto& h = headings();
    for (qsizetype position : printOrder(recordLines)) {
        const PasswordRecord record = PasswordRecord::fromLine(recordLines[position - 1]);
        double rowBottom = 0;
        for (int i = 1; i <= 8; ++i) {
            m_s.setCurrentX(m_x[i]);
            m_s.setCurrentY(m_rowTop);
            const double width = m_s.textWidth(h[i]);
            // A line break in a field (notes keep theirs) starts a new line
            // inside the cell; the row grows with it.
            // A character no font can draw prints as its code, never as nothing.
            const QString field = withPlaceholders(
                record.fields[i - 1], [this](char32_t c) { return m_s.canDraw(c); });
            const QStringList paragraphs =
                field.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
            for (QString cell : paragraphs) {
                while (m_s.textWidth(cell) > width) {
                    qsizetype n = h[i].size();
                    while (n > 1 && m_s.textWidth(cell.left(n)) > width)
                        --n;
                    // Never half a character outside the Basic Multilingual Plane.
                    if (n > 1 && cell[n - 1].isHighSurrogate()) --n;
                    if (CheckPageBreak(lineHeight, i)) rowBottom = 0;
                    m_s.print(cell.left(n));
                    m_s.setCurrentX(m_x[i]);
                    rowBottom = std::max(rowBottom, m_s.currentY());
                    cell.remove(0, n);
                }
                // A row split by a page break goes on from the new page's
                // positions only; the old page's would push the next row down.
                if (CheckPageBreak(lineHeight, i)) rowBottom = 0;
                m_s.print(cell);
                m_s.setCurrentX(m_x[i]);
                rowBottom = std::max(rowBottom, m_s.currentY());
            }
        }
        m_rowTop = rowBottom;
    }
    PrintPageFooter();
    m_s.endDoc();
}

bool PasswordListPrinter::CheckPageBreak(double lineHeight, int column) {
    if (m_s.currentY() < m_s.scaleHeight() - 3 * lineHeight) return false;
    PrintPageFooter();
    PrintHeading(m_now);
    m_s.setCurrentX(m_x[column]);
    return true;
}

void PasswordListPrinter::PrintPageFooter() {
    ++m_pageNumber;
    m_s.setCurrentX((m_s.scaleWidth() - m_s.textWidth(QStringLiteral("Page 1"))) / 2);
    m_s.setCurrentY(m_s.scaleHeight() - m_s.textHeight(QStringLiteral("test")));
    m_s.print(QStringLiteral("Page ") + QString::number(m_pageNumber));
    m_s.newPage();
}

} // namespace tavrino
