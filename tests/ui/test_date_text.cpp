#include "store/date_text.h"

#include <gtest/gtest.h>

using namespace tavrino;

TEST(DateText, DayFirstFormsAndTheExpiryMonthForm) {
    const QDate today(2026, 12, 10);
    const struct {
        const char* text;
        QDate date;
    } valid[] = {
        {"01/02/2009", QDate(2009, 2, 1)}, {"1/2/2009", QDate(2009, 2, 1)},
        {"31/12/99", QDate(1999, 12, 31)}, {"5/6/07", QDate(2007, 6, 5)},
        {"15.3.2027", QDate(2027, 3, 15)}, {"2027-03-15", QDate(2027, 3, 15)},
        {"12/2027", QDate(2027, 12, 1)},   {"3/4", QDate(2026, 4, 3)},
        {" 1/1/2030 ", QDate(2030, 1, 1)},
    };
    for (const auto& v : valid) {
        const auto parsed = parseDateText(QString::fromLatin1(v.text), today);
        ASSERT_TRUE(parsed.has_value()) << v.text;
        EXPECT_EQ(*parsed, v.date) << v.text;
    }
    for (const char* text : {"", "soon", "32/1/2027", "29/2/2027", "1/13/2027", "12/", "1/2/3/4"})
        EXPECT_FALSE(parseDateText(QString::fromLatin1(text), today).has_value()) << text;

    EXPECT_EQ(expiryDate(QStringLiteral("12/27"), today), QDate(2027, 12, 1))
        << "mm/yy is the first of the month";
    EXPECT_EQ(expiryDate(QStringLiteral("12/2027"), today), QDate(2027, 12, 1));
    EXPECT_EQ(expiryDate(QStringLiteral("17/12/2026"), today), QDate(2026, 12, 17));
    EXPECT_FALSE(expiryDate(QStringLiteral("   "), today).has_value());
}
