#include "generator_dialog.h"

#include "shell/settings_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace tavrino {

namespace {
const QString SettingName = QStringLiteral("PasswordGenerator");

template <typename W>
W* named(W* widget, const QString& name) {
    widget->setAccessibleName(name);
    return widget;
}
} // namespace

GeneratorDialog::GeneratorDialog(const PasswordGenerator& generator,
                                 const GeneratorOptions& options, QWidget* parent)
    : QDialog(parent), m_generator(generator) {
    setWindowTitle(QStringLiteral("Password Generator"));
    setAccessibleName(QStringLiteral("Password Generator"));
    auto* layout = new QVBoxLayout(this);

    m_kind = new QButtonGroup(this);
    const struct {
        GeneratorOptions::Kind kind;
        const char* text;
    } kinds[] = {{GeneratorOptions::Kind::Classic, "&Classic: 7 letters and digits"},
                 {GeneratorOptions::Kind::Characters, "C&haracters of the kinds below"},
                 {GeneratorOptions::Kind::Passphrase, "&Passphrase: words of a word list"}};
    for (const auto& k : kinds) {
        auto* radio = new QRadioButton(QString::fromLatin1(k.text));
        radio->setAccessibleName(radio->text().remove(QLatin1Char('&')));
        m_kind->addButton(radio, static_cast<int>(k.kind));
        layout->addWidget(radio);
    }

    auto* form = new QFormLayout;
    m_length = named(new QSpinBox, QStringLiteral("Length"));
    m_length->setRange(GeneratorOptions::MinLength, GeneratorOptions::MaxLength);
    form->addRow(QStringLiteral("&Length:"), m_length);
    m_upper = named(new QCheckBox(QStringLiteral("&Upper case (A-Z)")), QStringLiteral("Upper case"));
    m_lower = named(new QCheckBox(QStringLiteral("Lo&wer case (a-z)")), QStringLiteral("Lower case"));
    m_digits = named(new QCheckBox(QStringLiteral("&Digits (0-9)")), QStringLiteral("Digits"));
    m_symbols = named(new QCheckBox(QStringLiteral("&Symbols (!#$%&&...)")), QStringLiteral("Symbols"));
    m_noLookAlikes = named(new QCheckBox(QStringLiteral("&No look-alikes (0 O 1 l I ...)")),
                           QStringLiteral("No look-alike characters"));
    for (QCheckBox* box : {m_upper, m_lower, m_digits, m_symbols, m_noLookAlikes})
        form->addRow(box);
    m_words = named(new QSpinBox, QStringLiteral("Words"));
    m_words->setRange(GeneratorOptions::MinWords, GeneratorOptions::MaxWords);
    form->addRow(QStringLiteral("W&ords:"), m_words);
    m_separator = named(new QLineEdit, QStringLiteral("Word separator"));
    m_separator->setMaxLength(1);
    m_separator->setMaximumWidth(40);
    form->addRow(QStringLiteral("Se&parator:"), m_separator);
    layout->addLayout(form);

    m_password = named(new QLineEdit, QStringLiteral("Generated password"));
    m_password->setReadOnly(true);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    m_password->setFont(mono);
    m_password->setMinimumWidth(360);
    layout->addWidget(m_password);
    auto* row = new QHBoxLayout;
    m_strength = named(new QLabel, QStringLiteral("Strength"));
    row->addWidget(m_strength, 1);
    auto* again = named(new QPushButton(QStringLiteral("&Generate again")), QStringLiteral("Generate again"));
    row->addWidget(again);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox;
    m_use = named(buttons->addButton(QStringLiteral("&Use this password"), QDialogButtonBox::AcceptRole),
                  QStringLiteral("Use this password"));
    named(buttons->addButton(QDialogButtonBox::Cancel), QStringLiteral("Cancel"));
    layout->addWidget(buttons);

    showOptions(options);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(again, &QPushButton::clicked, this, &GeneratorDialog::generateAgain);
    connect(m_kind, &QButtonGroup::idClicked, this, [this] {
        enableForKind();
        generateAgain();
    });
    connect(m_length, &QSpinBox::valueChanged, this, &GeneratorDialog::generateAgain);
    connect(m_words, &QSpinBox::valueChanged, this, &GeneratorDialog::generateAgain);
    connect(m_separator, &QLineEdit::textEdited, this, [this](const QString& text) {
        // "|" separates a record's fields: it can not be in a password.
        if (text.contains(QLatin1Char('|'))) m_separator->setText(QStringLiteral("-"));
        generateAgain();
    });
    for (QCheckBox* box : {m_upper, m_lower, m_digits, m_symbols, m_noLookAlikes})
        connect(box, &QCheckBox::toggled, this, &GeneratorDialog::generateAgain);
    enableForKind();
    generateAgain();
    m_use->setFocus();
}

void GeneratorDialog::showOptions(const GeneratorOptions& o) {
    m_kind->button(static_cast<int>(o.kind))->setChecked(true);
    m_length->setValue(o.length);
    m_upper->setChecked(o.upper);
    m_lower->setChecked(o.lower);
    m_digits->setChecked(o.digits);
    m_symbols->setChecked(o.symbols);
    m_noLookAlikes->setChecked(o.noLookAlikes);
    m_words->setValue(o.words);
    m_separator->setText(o.separator);
}

void GeneratorDialog::enableForKind() {
    const auto kind = static_cast<GeneratorOptions::Kind>(m_kind->checkedId());
    const bool characters = kind == GeneratorOptions::Kind::Characters;
    for (QWidget* w : std::initializer_list<QWidget*>{m_length, m_upper, m_lower, m_digits,
                                                      m_symbols, m_noLookAlikes})
        w->setEnabled(characters);
    m_words->setEnabled(kind == GeneratorOptions::Kind::Passphrase);
    m_separator->setEnabled(kind == GeneratorOptions::Kind::Passphrase);
}

GeneratorOptions GeneratorDialog::options() const {
    GeneratorOptions o;
    o.kind = static_cast<GeneratorOptions::Kind>(m_kind->checkedId());
    o.length = m_length->value();
    o.upper = m_upper->isChecked();
    o.lower = m_lower->isChecked();
    o.digits = m_digits->isChecked();
    o.symbols = m_symbols->isChecked();
    o.noLookAlikes = m_noLookAlikes->isChecked();
    o.words = m_words->value();
    o.separator = m_separator->text();
    return o;
}

QString GeneratorDialog::password() const {
    return m_password->text();
}

void GeneratorDialog::generateAgain() {
    const GeneratorOptions o = options();
    QString why;
    const QString made = m_generator.generate(o, &why);
    m_password->setText(made);
    m_use->setEnabled(!made.isEmpty());
    m_strength->setText(made.isEmpty() ? why
                                       : QStringLiteral("Strength: %1 bits")
                                             .arg(std::floor(m_generator.strengthBits(o))));
}

GeneratorOptions GeneratorDialog::remembered(const SettingsStore& settings) {
    QString text;
    settings.ReadSetting(SettingName, text);
    return GeneratorOptions::fromText(text);
}

void GeneratorDialog::remember(SettingsStore& settings, const GeneratorOptions& options) {
    settings.writePreference(SettingName, options.toText());
}

} // namespace tavrino
