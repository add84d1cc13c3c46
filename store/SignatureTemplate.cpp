#include "store/SignatureTemplate.h"

#include <QStringList>

#include <kainjow/mustache.hpp>

namespace {

using namespace kainjow;

// The values, and the names asked for that have none.
class RecordingContext : public mustache::context<std::string>
{
public:
    explicit RecordingContext(const mustache::data *values) : context(values) {}

    const mustache::data *get(const std::string &name) const override
    {
        const mustache::data *value = context::get(name);
        if (!value && name != "." && !m_missing.contains(QString::fromStdString(name)))
            m_missing.append(QString::fromStdString(name));
        return value;
    }

    const QStringList &missing() const { return m_missing; }

private:
    mutable QStringList m_missing;
};

struct Rendered
{
    std::string text;
    QStringList missing;
    std::optional<QString> error;
};

Rendered render(const QString &html, const mustache::data &values)
{
    mustache::mustache parsed(html.toStdString());
    if (!parsed.is_valid())
        return {{}, {}, QString::fromStdString(parsed.error_message())};
    RecordingContext context(&values);
    Rendered rendered;
    rendered.text = parsed.render(context);
    rendered.missing = context.missing();
    return rendered;
}

} // namespace

bool SignatureTemplate::hasPlaceholders(const QString &html)
{
    // A template without placeholders asks for no name; a broken one says so.
    const Rendered rendered = render(html, mustache::data(mustache::data::type::object));
    return !rendered.missing.isEmpty() || rendered.error.has_value();
}

QStringList SignatureTemplate::fieldNames(const QString &html)
{
    // A section hides its inside until it has a value: each round gives a
    // value to every name found so far, until no new name shows up.
    QStringList names;
    mustache::data values(mustache::data::type::object);
    for (;;) {
        const Rendered rendered = render(html, values);
        if (rendered.error)
            return {};
        bool found = false;
        for (const QString &name : rendered.missing) {
            if (names.contains(name))
                continue;
            names.append(name);
            values.set(name.toStdString(), std::string("x"));
            found = true;
        }
        if (!found)
            return names;
    }
}

SignatureTemplate::Filled SignatureTemplate::fill(const QString &html, const QMap<QString, QString> &values)
{
    mustache::data data(mustache::data::type::object);
    // An empty value is no value for a section: {{#phone}} leaves out what an
    // empty phone would make, {{phone}} writes nothing.
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        data.set(it.key().toStdString(),
                 it.value().isEmpty() ? mustache::data(false) : mustache::data(it.value().toStdString()));
    const Rendered rendered = render(html, data);
    if (rendered.error)
        return {std::nullopt,
                QStringLiteral("The HTML is not a template that can be filled: %1.").arg(*rendered.error)};
    // A section ({{#phone}}…{{/phone}}) without a value is one left out, as asked.
    QStringList missing = rendered.missing;
    missing.removeIf([&html](const QString &name) {
        for (const QChar sigil : {u'#', u'^'}) {
            if (html.contains(QStringLiteral("{{%1%2}}").arg(sigil, name)) ||
                html.contains(QStringLiteral("{{%1 %2 }}").arg(sigil, name)))
                return true;
        }
        return false;
    });
    if (!missing.isEmpty())
        return {std::nullopt, QStringLiteral("No value for {{%1}}: give --field %1=…").arg(missing.first())};
    return {QString::fromStdString(rendered.text), std::nullopt};
}
