#include "json_dump.h"

#include "store/profile.h"

#include <array>

namespace tavrino {
namespace {

class JsonWriter {
public:
    explicit JsonWriter(const std::function<void(const QByteArray&)>& sink) : m_sink(sink) {
        m_buffer.reserve(ChunkBytes + 4096);
    }
    ~JsonWriter() { flush(); }

    JsonWriter& raw(const char* text) {
        m_buffer += text;
        return *this;
    }
    JsonWriter& indent(int depth) {
        m_buffer.append(4 * depth, ' ');
        return *this;
    }
    JsonWriter& number(qint64 value) {
        m_buffer += QByteArray::number(value);
        return *this;
    }
    // As Qt's JSON writer escapes: the two-character forms it has, \u00XX
    // for the other control characters, everything else as UTF-8.
    JsonWriter& string(const QString& text) {
        static constexpr char hex[] = "0123456789abcdef";
        m_buffer += '"';
        for (const char c : text.toUtf8()) {
            const auto u = static_cast<unsigned char>(c);
            switch (u) {
            case '"':
                m_buffer += "\\\"";
                break;
            case '\\':
                m_buffer += "\\\\";
                break;
            case '\b':
                m_buffer += "\\b";
                break;
            case '\f':
                m_buffer += "\\f";
                break;
            case '\n':
                m_buffer += "\\n";
                break;
            case '\r':
                m_buffer += "\\r";
                break;
            case '\t':
                m_buffer += "\\t";
                break;
            default:
                if (u < 0x20) {
                    const char escaped[] = {'\\', 'u', '0', '0', hex[u >> 4], hex[u & 15], 0};
                    m_buffer += escaped;
                } else {
                    m_buffer += c;
                }
            }
        }
        m_buffer += '"';
        return *this;
    }
    JsonWriter& key(int depth, const char* name) {
        return indent(depth).raw("\"").raw(name).raw("\": ");
    }
    void pieceDone() {
        if (m_buffer.size() >= ChunkBytes) flush();
    }
    void flush() {
        if (m_buffer.isEmpty()) return;
        m_sink(m_buffer);
        m_buffer.clear();
    }

private:
    static constexpr qsizetype ChunkBytes = 64 * 1024;
    const std::function<void(const QByteArray&)>& m_sink;
    QByteArray m_buffer;
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
        const QStringList parts = questions[i].split(QLatin1Char('|'));
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
        const PasswordRecord r = PasswordRecord::fromLine(records[i]);
        json.indent(2).raw("{\n");
        for (std::size_t f = 0; f < fields.size(); ++f)
            json.key(3, fields[f].first)
                .string(r[fields[f].second])
                .raw(f + 1 < fields.size() ? ",\n" : "\n");
        json.indent(2).raw("}");
    });
    json.raw(",\n");
    json.key(1, "user_id").string(s.UserId).raw("\n");
    json.raw("}\n");
}

} // namespace tavrino
