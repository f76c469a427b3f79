#include "json_dump.h"

#include "store/profile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tavrino {
namespace {

// Writes into one buffer through a pointer: room for the largest piece is
// made before it is written, so no byte goes through a call of its own, and
// texts are turned into UTF-8 right there, runs of plain characters at once.
class JsonWriter {
public:
    explicit JsonWriter(const std::function<void(const QByteArray&)>& sink) : m_sink(sink) {
        m_buffer.resize(ChunkBytes + 4096);
        m_p = m_buffer.data();
    }
    ~JsonWriter() { flush(); }

    JsonWriter& raw(const char* text) {
        const std::size_t n = std::strlen(text);
        room(static_cast<qsizetype>(n));
        std::memcpy(m_p, text, n);
        m_p += n;
        return *this;
    }
    JsonWriter& indent(int depth) {
        room(4 * depth);
        std::memset(m_p, ' ', static_cast<std::size_t>(4 * depth));
        m_p += 4 * depth;
        return *this;
    }
    JsonWriter& number(qint64 value) { return raw(QByteArray::number(value).constData()); }
    // As Qt's JSON writer escapes: the two-character forms it has, \u00XX
    // for the other control characters, everything else as UTF-8.
    JsonWriter& string(QStringView text) {
        static constexpr char hex[] = "0123456789abcdef";
        // at most 6 bytes a unit (\u00XX), a pair of surrogates 4
        room(6 * text.size() + 2);
        char* p = m_p;
        *p++ = '"';
        const char16_t* in = text.utf16();
        const char16_t* const end = in + text.size();
        while (in < end) {
            const char16_t u = *in++;
            if (u >= 0x20 && u < 0x80 && u != '"' && u != '\\') {
                *p++ = static_cast<char>(u);
            } else if (u < 0x80) {
                *p++ = '\\';
                switch (u) {
                case '"':
                case '\\':
                    *p++ = static_cast<char>(u);
                    break;
                case '\b':
                    *p++ = 'b';
                    break;
                case '\f':
                    *p++ = 'f';
                    break;
                case '\n':
                    *p++ = 'n';
                    break;
                case '\r':
                    *p++ = 'r';
                    break;
                case '\t':
                    *p++ = 't';
                    break;
                default:
                    *p++ = 'u';
                    *p++ = '0';
                    *p++ = '0';
                    *p++ = hex[u >> 4];
                    *p++ = hex[u & 15];
                }
            } else if (u < 0x800) {
                *p++ = static_cast<char>(0xC0 | u >> 6);
                *p++ = static_cast<char>(0x80 | (u & 0x3F));
            } else if (QChar::isHighSurrogate(u) && in < end && QChar::isLowSurrogate(*in)) {
                const char32_t c = QChar::surrogateToUcs4(u, *in++);
                *p++ = static_cast<char>(0xF0 | c >> 18);
                *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                *p++ = static_cast<char>(0x80 | (c & 0x3F));
            } else if (QChar::isSurrogate(u)) {
                // a lone half, which UTF-8 can not hold: as toUtf8 does
                *p++ = '?';
            } else {
                *p++ = static_cast<char>(0xE0 | u >> 12);
                *p++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                *p++ = static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        *p++ = '"';
        m_p = p;
        return *this;
    }
    JsonWriter& key(int depth, const char* name) {
        return indent(depth).raw("\"").raw(name).raw("\": ");
    }
    void pieceDone() {
        if (used() >= ChunkBytes) flush();
    }
    void flush() {
        if (used() == 0) return;
        m_sink(QByteArray::fromRawData(m_buffer.constData(), used()));
        m_p = m_buffer.data();
    }

private:
    static constexpr qsizetype ChunkBytes = 64 * 1024;
    qsizetype used() const { return m_p - m_buffer.constData(); }
    void room(qsizetype n) {
        if (used() + n <= m_buffer.size()) return;
        const qsizetype at = used();
        m_buffer.resize(std::max(2 * m_buffer.size(), at + n));
        m_p = m_buffer.data() + at;
    }
    const std::function<void(const QByteArray&)>& m_sink;
    QByteArray m_buffer;
    char* m_p;
};

// A list of strings or of objects, as it stands nested one level deep.
template <typename Each> void writeArray(JsonWriter& json, qsizetype count, Each each) {
    if (count == 0) {
        json.raw("[\n").indent(1).raw("]");
        return;
    }
    json.raw("[\n");
    for (qsizetype i = 0; i < count; ++i) {
        each(i);
        json.raw(i + 1 < count ? ",\n" : "\n");
        json.pieceDone();
    }
    json.indent(1).raw("]");
}

} // namespace

void writeProfileJson(const Profile& p, const std::function<void(const QByteArray&)>& sink) {
    JsonWriter json(sink);
    const SecuritySettings& s = p.Security;
    json.raw("{\n");
    json.key(1, "answers_required").number(s.AnswersRequired).raw(",\n");
    const QStringList categories = p.Categories.lines();
    json.key(1, "categories");
    writeArray(json, categories.size(),
               [&](qsizetype i) { json.indent(2).string(categories[i].mid(2)); });
    json.raw(",\n");
    json.key(1, "change_stamp").number(p.ChangeStamp).raw(",\n");
    json.key(1, "login_mode").number(s.LoginMode).raw(",\n");
    json.key(1, "name").string(p.name()).raw(",\n");
    json.key(1, "password").string(s.Password).raw(",\n");
    json.key(1, "pin").string(s.Pin).raw(",\n");
    const QStringList& questions = s.Questions.lines();
    json.key(1, "questions");
    writeArray(json, questions.size(), [&](qsizetype i) {
        const auto parts = QStringView(questions[i]).split(u'|');
        json.indent(2).raw("{\n");
        json.key(3, "answer").string(parts.value(2)).raw(",\n");
        json.key(3, "question").string(parts.value(1)).raw("\n");
        json.indent(2).raw("}");
    });
    json.raw(",\n");
    // The fields in the order of their names, as a JSON object sorts them.
    static const std::array<std::pair<const char*, PasswordRecord::Field>, 8> fields{{
        {"Category", PasswordRecord::Category},
        {"Description", PasswordRecord::Description},
        {"Email", PasswordRecord::Email},
        {"ExpiryDate", PasswordRecord::ExpiryDate},
        {"Notes", PasswordRecord::Notes},
        {"Password", PasswordRecord::Password},
        {"UserCode", PasswordRecord::UserCode},
        {"WebSite", PasswordRecord::WebSite},
    }};
    const QStringList& records = p.Records.lines();
    json.key(1, "records");
    writeArray(json, records.size(), [&](qsizetype i) {
        // the fields as views into the line: "4|Category|Description|..."
        std::array<QStringView, PasswordRecord::FieldCount + 1> parts{};
        qsizetype n = 0;
        for (QStringView part : QStringView(records[i]).tokenize(u'|')) {
            if (n == qsizetype(parts.size())) break;
            parts[n++] = part;
        }
        json.indent(2).raw("{\n");
        for (std::size_t f = 0; f < fields.size(); ++f)
            json.key(3, fields[f].first)
                .string(parts[fields[f].second])
                .raw(f + 1 < fields.size() ? ",\n" : "\n");
        json.indent(2).raw("}");
    });
    json.raw(",\n");
    json.key(1, "user_id").string(s.UserId).raw("\n");
    json.raw("}\n");
}

} // namespace tavrino
