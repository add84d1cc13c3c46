#include "store/SignatureTemplate.h"

#include <QStringList>

#include <kainjow/mustache.hpp>

#include <cctype>

namespace {

using namespace kainjow;

// Deeper sections than any signature needs; kainjow recurses once per level
// (parsing, rendering, freeing), and some thousands overflow the stack.
constexpr int maximumDepth = 100;

// As kainjow trims a tag: std::isspace on each char, as it calls it.
std::string trimmed(const std::string &text)
{
    auto from = text.begin();
    while (from != text.end() && std::isspace(*from))
        ++from;
    auto to = text.end();
    while (to != from && std::isspace(*(to - 1)))
        --to;
    return {from, to};
}

// A set-delimiter tag's new delimiters, as kainjow reads "=<% %>="; false
// when kainjow refuses it.
bool setDelimiters(const std::string &tag, std::string *begin, std::string *end)
{
    if (tag.size() < 5 || tag.back() != '=')
        return false;
    const std::string inner = trimmed(tag.substr(1, tag.size() - 2));
    const size_t space = inner.find(' ');
    if (space == std::string::npos)
        return false;
    const std::string first = inner.substr(0, space),
                      second = inner.substr(inner.find_first_not_of(' ', space));
    for (const std::string *delimiter : {&first, &second}) {
        for (const char c : *delimiter) {
            if (c == '=' || std::isspace(c))
                return false;
        }
    }
    *begin = first;
    *end = second;
    return true;
}

// Why text must not reach kainjow: sections nested deeper than maximumDepth,
// or a partial, which would render a value (or nothing) as a template. Its
// tags are found as kainjow's parser finds them, delimiters set on the way
// included; text kainjow refuses for another reason is left to it.
std::optional<QString> refusalOf(const std::string &text)
{
    std::string begin = "{{", end = "}}";
    int depth = 0;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, begin.size(), begin) != 0) {
            ++at;
            continue;
        }
        size_t contents = at + begin.size();
        const bool triple = begin == "{{" && end == "}}" && at != text.size() - 2 && text.at(contents) == '{';
        const std::string close = triple ? "}}}" : end;
        contents += triple ? 1 : 0;
        const size_t closing = text.find(close, contents);
        if (closing == std::string::npos)
            return std::nullopt;
        const std::string tag = trimmed(text.substr(contents, closing - contents));
        at = closing + close.size();
        if (!tag.empty() && tag.front() == '=') {
            if (!setDelimiters(tag, &begin, &end))
                return std::nullopt;
        } else if (triple || tag.empty()) {
            continue;
        } else if (tag.front() == '#' || tag.front() == '^') {
            if (++depth > maximumDepth)
                return QStringLiteral("The template nests its sections more than %1 deep, so it was not "
                                      "filled.")
                    .arg(maximumDepth);
        } else if (tag.front() == '/') {
            if (--depth < 0)
                return std::nullopt;
        } else if (tag.front() == '>') {
            return QStringLiteral("The template asks for the partial {{> %1}}, and there are no partials: "
                                  "put its HTML into the template.")
                .arg(QString::fromStdString(trimmed(tag.substr(1))));
        }
    }
    return std::nullopt;
}

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

// error is the sentence for the user.
Rendered render(const QString &html, const mustache::data &values)
{
    const std::string text = html.toStdString();
    if (std::optional<QString> refusal = refusalOf(text))
        return {{}, {}, refusal};
    mustache::mustache parsed(text);
    if (!parsed.is_valid())
        return {{},
                {},
                QStringLiteral("The HTML is not a template that can be filled: %1.")
                    .arg(QString::fromStdString(parsed.error_message()))};
    RecordingContext context(&values);
    Rendered rendered;
    rendered.text = parsed.render(context);
    rendered.missing = context.missing();
    return rendered;
}

} // namespace

std::optional<QString> SignatureTemplate::refusal(const QString &html)
{
    return refusalOf(html.toStdString());
}

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
        return {std::nullopt, rendered.error};
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
