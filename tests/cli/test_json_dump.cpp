// The streamed dump is exactly the indented QJsonDocument of the profile.
#include "cli/json_dump.h"
#include "store/profile.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tavrino;

namespace {

QByteArray reference(const Profile& p) {
    QJsonArray categories;
    for (const QString& line : p.Categories.lines())
        categories.append(line.mid(2));
    QJsonArray questions;
    for (const QString& line : p.Security.Questions.lines()) {
        const QStringList parts = line.split(QLatin1Char('|'));
        questions.append(QJsonObject{{QStringLiteral("question"), parts.value(1)},
                                     {QStringLiteral("answer"), parts.value(2)}});
    }
    QJsonArray records;
    for (const QString& line : p.Records.lines()) {
        const PasswordRecord r = PasswordRecord::fromLine(line);
        QJsonObject o;
        for (int i = 0; i < PasswordRecord::FieldCount; ++i)
            o.insert(PasswordRecord::fieldNames()[i], r.fields[i]);
        records.append(o);
    }
    const QJsonObject root{
        {QStringLiteral("name"), p.name()},
        {QStringLiteral("change_stamp"), p.ChangeStamp},
        {QStringLiteral("login_mode"), p.Security.LoginMode},
        {QStringLiteral("user_id"), p.Security.UserId},
        {QStringLiteral("password"), p.Security.Password},
        {QStringLiteral("pin"), p.Security.Pin},
        {QStringLiteral("answers_required"), p.Security.AnswersRequired},
        {QStringLiteral("categories"), categories},
        {QStringLiteral("questions"), questions},
        {QStringLiteral("records"), records},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray streamed(const Profile& p) {
    QByteArray out;
    writeProfileJson(p, [&](const QByteArray& piece) { out += piece; });
    return out;
}

TEST(JsonDump, IsTheIndentedDocumentForEveryKindOfText) {
    Profile empty;
    empty.ProfileFileName = QStringLiteral("Empty.dat");
    EXPECT_EQ(streamed(empty), reference(empty));

    Profile p;
    p.ProfileFileName = QStringLiteral("Odd \"name\".dat");
    p.resetToNewProfileDefaults();
    p.ChangeStamp = 2147483639;
    p.Security.UserId = QStringLiteral("tab\there \\ slash / \"quoted\"");
    p.Security.Password = QString::fromUtf8("東京 ünïcödé 😀 \x01\x1f\x7f");
    p.Categories.add(Profile::categoryLine(QStringLiteral("Bank\r\n")), QStringLiteral("Bank"));
    p.Categories.add(Profile::categoryLine(QString::fromUtf8("Épargne")), QStringLiteral("E"));
    for (int i = 0; i < 3000; ++i) // more than one piece of output
        p.Records.add(QStringLiteral("4|Bank|Record %1|user\b\f|pw %1|line one\r\nline two|"
                                     "01/02/2027|https://x.example/?a=1&b=2|a@b.example")
                          .arg(i));
    p.Records.add(QStringLiteral("4|short"));
    EXPECT_EQ(streamed(p), reference(p));
}

} // namespace
