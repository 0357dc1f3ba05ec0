#include "appearance/SkinSheet.h"

namespace {

bool isQuote(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// Where the quoted string that opens at `at` (a quotation mark) ends: just past
// its closing mark. A backslash takes the character after it as it is, a line
// end included. Nothing when the string is left open or runs over the end of
// its line.
std::optional<qsizetype> endOfString(QStringView text, qsizetype at) {
    const QChar quote = text[at];
    qsizetype i = at + 1;
    while (i < text.size() && text[i] != quote) {
        if (text[i] == QLatin1Char('\n'))
            return std::nullopt;
        i += text[i] == QLatin1Char('\\') ? 2 : 1;
    }
    if (i >= text.size())
        return std::nullopt;
    return i + 1;
}

// Replaces every comment by one blank. Answers nothing when a comment or a
// string is left open or a string runs over the end of its line.
std::optional<QString> withoutComments(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (isQuote(c)) {
            const std::optional<qsizetype> end = endOfString(text, i);
            if (!end)
                return std::nullopt;
            out += text.mid(i, *end - i);
            i = *end;
        } else if (c == QLatin1Char('/') && i + 1 < text.size() &&
                   text[i + 1] == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                return std::nullopt;
            out += QLatin1Char(' ');
            i = end + 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// Splits `text` at every `separator` that stands outside strings, brackets and
// parentheses. Answers nothing when those do not balance, or when one of
// `forbidden` stands outside a string.
std::optional<std::vector<QStringView>> splitOutside(QStringView text, QChar separator,
                                                     QStringView forbidden) {
    std::vector<QStringView> parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isQuote(c)) {
            // Strings are known to be closed on their line by now.
            const std::optional<qsizetype> end = endOfString(text, i);
            if (!end)
                return std::nullopt;
            i = *end - 1;
        } else if (c == QLatin1Char('(') || c == QLatin1Char('[')) {
            ++depth;
        } else if (c == QLatin1Char(')') || c == QLatin1Char(']')) {
            if (--depth < 0)
                return std::nullopt;
        } else if (forbidden.contains(c)) {
            return std::nullopt;
        } else if (c == separator && depth == 0) {
            parts.push_back(text.mid(start, i - start));
            start = i + 1;
        }
    }
    if (depth != 0)
        return std::nullopt;
    parts.push_back(text.mid(start));
    return parts;
}

// The first `wanted` at or after `from` that stands outside strings; -1 when
// there is none (a string left open hides the rest of the text).
qsizetype indexOutside(QStringView text, QChar wanted, qsizetype from) {
    qsizetype i = from;
    while (i < text.size() && text[i] != wanted)
        i = isQuote(text[i]) ? endOfString(text, i).value_or(text.size()) : i + 1;
    return i < text.size() ? i : -1;
}

bool isPropertyName(QStringView name) {
    if (name.isEmpty() || name.front() == QLatin1Char('-') || name.front().isDigit())
        return false;
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')))
            return false;
    return true;
}

std::optional<std::vector<SkinDeclaration>> parseBody(QStringView body) {
    const auto pieces = splitOutside(body, QLatin1Char(';'), u"{}");
    if (!pieces)
        return std::nullopt;
    std::vector<SkinDeclaration> declarations;
    for (const QStringView piece : *pieces) {
        const QStringView declaration = piece.trimmed();
        if (declaration.isEmpty())
            continue; // ";;" and a trailing ";" are allowed
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return std::nullopt;
        const QStringView property = declaration.left(colon).trimmed();
        const QStringView value = declaration.mid(colon + 1).trimmed();
        if (!isPropertyName(property) || value.isEmpty())
            return std::nullopt;
        declarations.push_back({property.toString(), value.toString()});
    }
    return declarations;
}

bool isSelectorList(QStringView selectors) {
    const auto each = splitOutside(selectors, QLatin1Char(','), u"{};");
    if (!each)
        return false;
    for (const QStringView selector : *each)
        if (selector.trimmed().isEmpty())
            return false;
    return true;
}

} // namespace

std::optional<std::vector<SkinRule>> parseSkinSheet(QStringView text) {
    const std::optional<QString> clean = withoutComments(text);
    if (!clean)
        return std::nullopt;
    const QStringView sheet(*clean);

    std::vector<SkinRule> rules;
    qsizetype at = 0;
    while (true) {
        // The braces are found outside strings.
        const qsizetype open = indexOutside(sheet, QLatin1Char('{'), at);
        if (open < 0)
            break;
        const qsizetype close = indexOutside(sheet, QLatin1Char('}'), open + 1);
        if (close < 0)
            return std::nullopt;
        const QStringView selectors = sheet.mid(at, open - at).trimmed();
        if (!isSelectorList(selectors))
            return std::nullopt;
        auto declarations = parseBody(sheet.mid(open + 1, close - open - 1));
        if (!declarations)
            return std::nullopt;
        rules.push_back({selectors.toString(), std::move(*declarations)});
        at = close + 1;
    }
    if (!sheet.mid(at).trimmed().isEmpty())
        return std::nullopt; // a stray "}" or a selector without a block
    return rules;
}

QString skinSheetText(const std::vector<SkinRule>& rules) {
    QString text;
    for (const SkinRule& rule : rules) {
        text += rule.selectors + QLatin1String(" {");
        for (const SkinDeclaration& declaration : rule.declarations)
            text += QLatin1Char(' ') + declaration.property + QLatin1String(": ") +
                    declaration.value + QLatin1Char(';');
        text += QLatin1String(" }\n");
    }
    return text;
}

QStringList skinUrls(const std::vector<SkinRule>& rules) {
    QStringList urls;
    const QLatin1String opening("url(");
    for (const SkinRule& rule : rules) {
        for (const SkinDeclaration& declaration : rule.declarations) {
            const QString& value = declaration.value;
            qsizetype at = 0;
            while ((at = value.indexOf(opening, at, Qt::CaseInsensitive)) >= 0) {
                // A word that only ends in "url" is no function call.
                if (at > 0 && (value[at - 1].isLetterOrNumber() || value[at - 1] == u'-')) {
                    at += opening.size();
                    continue;
                }
                const qsizetype start = at + opening.size();
                // The call ends at the first ")" outside strings, or with the value.
                qsizetype end = indexOutside(value, QLatin1Char(')'), start);
                if (end < 0)
                    end = value.size();
                QString target = value.mid(start, end - start).trimmed();
                if (target.size() >= 2 && isQuote(target.front()) &&
                    target.back() == target.front())
                    target = target.mid(1, target.size() - 2);
                urls << target;
                at = end;
            }
        }
    }
    return urls;
}
