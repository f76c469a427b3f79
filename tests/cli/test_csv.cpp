#include "store/csv.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace tavrino;

TEST(Csv, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(Csv::formatRow({QStringLiteral("a"), QString(), QStringLiteral("b,c"),
                              QStringLiteral("say \"hi\""), QStringLiteral("two\r\nlines")}),
              QStringLiteral("a,,\"b,c\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n"));
}

TEST(Csv, ParsesWhatItWritesAndCommonVariants) {
    const QStringList fields{QStringLiteral("x"), QStringLiteral("a,b"), QStringLiteral("q\"q"),
                             QStringLiteral("l1\r\nl2"), QString()};
    const QString text =
        Csv::formatRow(fields) + Csv::formatRow({QStringLiteral("1"), QStringLiteral("2")});
    QString error;
    EXPECT_EQ(Csv::parse(text, &error),
              (QList<QStringList>{fields, {QStringLiteral("1"), QStringLiteral("2")}}));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(Csv::parse(QStringLiteral("a,b\nc,d")),
              (QList<QStringList>{{QStringLiteral("a"), QStringLiteral("b")},
                                  {QStringLiteral("c"), QStringLiteral("d")}}));
}

TEST(Csv, ReportsBrokenQuoting) {
    for (const char* bad : {"a,\"open", "a,b\"c\"", "\"x\"y"}) {
        QString error;
        Csv::parse(QString::fromLatin1(bad), &error);
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}
