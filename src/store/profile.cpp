#include "profile.h"

#include <cstring>

namespace tavrino {

bool CategoryList::add(const QString& line, const QString& key) {
    const QString folded = fold(key);
    if (m_index.contains(folded)) return false;
    m_index.insert(folded, m_entries.size());
    m_entries.append({key, line});
    return true;
}

bool CategoryList::insert(qsizetype position, const QString& line, const QString& key) {
    if (m_index.contains(fold(key))) return false;
    m_entries.insert(position - 1, {key, line});
    reindex();
    return true;
}

void CategoryList::remove(qsizetype position) {
    m_entries.removeAt(position - 1);
    reindex();
}

bool CategoryList::removeKey(const QString& key) {
    const auto it = m_index.constFind(fold(key));
    if (it == m_index.cend()) return false;
    remove(it.value() + 1);
    return true;
}

void wipeText(QString& text) {
    // Only a block of our own, never a literal in read-only memory.
    if (!text.isEmpty() && text.data_ptr()->isMutable() && !text.data_ptr()->isShared())
        std::memset(static_cast<void*>(text.data_ptr().data()), 0,
                    static_cast<size_t>(text.size()) * sizeof(QChar));
    text = QString();
}

void RecordList::wipe() {
    // Not through a non-const iterator: that would copy a shared list first.
    if (!m_lines.isDetached()) {
        m_lines.clear();
        return;
    }
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        wipeText(m_lines[i]);
    m_lines.clear();
}

void CategoryList::wipe() {
    if (m_entries.isDetached())
        for (auto& entry : m_entries) {
            wipeText(entry.first);
            wipeText(entry.second);
        }
    clear();
}

void SecuritySettings::wipe() {
    wipeText(UserId);
    wipeText(Password);
    wipeText(Pin);
    Questions.wipe();
    LoginMode = 0;
    AnswersRequired = 0;
}

void Profile::wipeContent() {
    Security.wipe();
    Categories.wipe();
    Records.wipe();
    ChangeStamp = 0;
    ProfileLoaded = false;
}

void CategoryList::clear() {
    m_entries.clear();
    m_index.clear();
}

QStringList CategoryList::lines() const {
    QStringList out;
    out.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        out.append(entry.second);
    return out;
}

QStringList CategoryList::names() const {
    QStringList out;
    out.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        out.append(entry.second.section(QLatin1Char('|'), 1, 1));
    return out;
}

void CategoryList::reindex() {
    m_index.clear();
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_index.insert(fold(m_entries[i].first), i);
}

const QStringList& PasswordRecord::fieldNames() {
    static const QStringList names{QStringLiteral("Category"), QStringLiteral("Description"),
                                   QStringLiteral("UserCode"), QStringLiteral("Password"),
                                   QStringLiteral("Notes"),    QStringLiteral("ExpiryDate"),
                                   QStringLiteral("WebSite"),  QStringLiteral("Email")};
    return names;
}

QString PasswordRecord::toLine() const {
    QString line = QStringLiteral("4");
    for (const QString& f : fields)
        line += QLatin1Char('|') + f;
    return line;
}

PasswordRecord PasswordRecord::fromLine(const QString& line) {
    PasswordRecord record;
    const QStringList parts = line.split(QLatin1Char('|'));
    for (int i = 0; i < FieldCount && i + 1 < parts.size(); ++i)
        record.fields[i] = parts[i + 1];
    return record;
}

SecuritySettings SecuritySettings::newProfile() {
    SecuritySettings s;
    s.LoginMode = 1;
    s.UserId = s.Password = s.Pin = QStringLiteral("QUILT");
    s.AnswersRequired = 1;
    s.Questions.add(questionLine(QStringLiteral("Default Question"), QStringLiteral("QUILT")));
    return s;
}

void Profile::resetToNewProfileDefaults() {
    Security = SecuritySettings::newProfile();
    Categories.clear();
    Records.clear();
}

QString Profile::name() const {
    QString n = ProfileFileName;
    if (n.endsWith(QStringLiteral(".dat")))
        n.chop(4);
    else if (n.endsWith(QStringLiteral(".sealed")))
        n.chop(7);
    return n;
}

} // namespace tavrino
