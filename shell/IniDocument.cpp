#include "shell/IniDocument.h"

#include "shell/Blanks.h"
#include "shell/Failure.h"

#include <utility>

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isHexDigit(QChar c) {
    return c.unicode() < 0x80 && hexValue(char(c.unicode())) >= 0;
}

QString hex(uint value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

// Collects decoded text: runs of raw bytes are UTF-8, escapes add single
// characters.
class TextBuilder {
public:
    void addByte(char c) { pending_ += c; }
    void addChar(char32_t c) {
        flush();
        text_ += QString::fromUcs4(&c, 1);
    }
    QString& text() {
        flush();
        return text_;
    }

private:
    void flush() {
        if (!pending_.isEmpty()) {
            text_ += QString::fromUtf8(pending_);
            pending_.clear();
        }
    }
    QString text_;
    QByteArray pending_;
};

// Section and key names: letters, digits, '_', '-' and '.' as they are, '/' as
// a backslash, other characters as %XX or %UXXXX.
QByteArray escapedName(const QString& name) {
    QString result;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            u == '_' || u == '-' || u == '.')
            result += c;
        else if (u == '/')
            result += QLatin1Char('\\');
        else if (u <= 0xFF)
            result += QLatin1Char('%') + hex(u, 2);
        else
            result += QStringLiteral("%U") + hex(u, 4);
    }
    return result.toLatin1();
}

QString unescapedName(QByteArrayView name) {
    TextBuilder out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '\\') {
            out.addChar(U'/');
        } else if (c == '%' && i + 5 < name.size() && name[i + 1] == 'U' &&
                   hexValue(name[i + 2]) >= 0 && hexValue(name[i + 3]) >= 0 &&
                   hexValue(name[i + 4]) >= 0 && hexValue(name[i + 5]) >= 0) {
            out.addChar(char32_t(hexValue(name[i + 2]) << 12 | hexValue(name[i + 3]) << 8 |
                                 hexValue(name[i + 4]) << 4 | hexValue(name[i + 5])));
            i += 5;
        } else if (c == '%' && i + 2 < name.size() && hexValue(name[i + 1]) >= 0 &&
                   hexValue(name[i + 2]) >= 0) {
            out.addChar(char32_t(hexValue(name[i + 1]) << 4 | hexValue(name[i + 2])));
            i += 2;
        } else {
            out.addByte(c);
        }
    }
    return out.text();
}

// The one-letter escapes of values, the same both ways.
constexpr std::pair<char16_t, char> LetterEscapes[] = {
    {u'\a', 'a'}, {u'\b', 'b'}, {u'\f', 'f'}, {u'\n', 'n'},  {u'\r', 'r'},
    {u'\t', 't'}, {u'\v', 'v'}, {u'"', '"'},  {u'\\', '\\'},
};

char escapeLetter(char16_t character) {
    for (const auto& [escaped, letter] : LetterEscapes)
        if (escaped == character)
            return letter;
    return 0;
}

// The control character of a letter escape; 0 for any other letter (a quote
// or a backslash after a backslash stands for itself).
char16_t escapedControl(char letter) {
    for (const auto& [escaped, letterOf] : LetterEscapes)
        if (letterOf == letter && escaped < 0x20)
            return escaped;
    return 0;
}

// A value: quoted when it holds ';', ',' or '=' or begins or ends with a blank;
// control characters, quotes and backslashes escaped; a leading '@' doubled.
QByteArray escapedText(const QString& text) {
    QString result;
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false;
    const QString source = text.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + text : text;
    for (QChar c : source) {
        const char16_t u = c.unicode();
        if (u == ';' || u == ',' || u == '=')
            needsQuotes = true;
        if (escapeNextIfHexDigit && isHexDigit(c)) {
            result += QStringLiteral("\\x") + hex(u, 1);
            continue;
        }
        escapeNextIfHexDigit = false;
        if (const char letter = escapeLetter(u)) {
            result += QLatin1Char('\\');
            result += QLatin1Char(letter);
        } else if (u <= 0x1F || u == 0x7F) {
            result += QStringLiteral("\\x") + hex(u, 1);
            escapeNextIfHexDigit = true;
        } else {
            result += c;
        }
    }
    if (needsQuotes || result.startsWith(QLatin1Char(' ')) || result.endsWith(QLatin1Char(' ')))
        result = QLatin1Char('"') + result + QLatin1Char('"');
    return result.toUtf8();
}

// The inverse of escapedText, and lenient with hand-written values: blanks
// around the value are dropped, an unquoted ';' starts a comment, commas are
// kept as text.
QString unescapedText(QByteArrayView raw) {
    TextBuilder out;
    qsizetype kept = 0; // characters that trailing-blank removal must keep
    bool quoted = false;
    const QByteArrayView value = trimmedBlanks(raw, isBlank);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            quoted = !quoted;
            kept = out.text().size();
            continue;
        }
        if (c == ';' && !quoted)
            break;
        if (c != '\\' || i + 1 == value.size()) {
            out.addByte(c);
            if (quoted)
                kept = out.text().size();
            continue;
        }
        const char e = value[++i];
        if (const char16_t control = escapedControl(e)) {
            out.addChar(control);
            kept = out.text().size();
            continue;
        }
        switch (e) {
        case 'x': {
            char32_t code = 0;
            while (i + 1 < value.size() && hexValue(value[i + 1]) >= 0 && code <= 0xFFFF)
                code = code * 16 + char32_t(hexValue(value[++i]));
            out.addChar(code);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                char32_t code = char32_t(e - '0');
                for (int n = 0;
                     n < 2 && i + 1 < value.size() && value[i + 1] >= '0' && value[i + 1] <= '7';
                     ++n)
                    code = code * 8 + char32_t(value[++i] - '0');
                out.addChar(code);
            } else {
                out.addByte(e); // \" \' \\ \? and anything unknown
            }
        }
        kept = out.text().size();
    }
    QString& text = out.text();
    qsizetype end = text.size();
    while (end > kept && (text[end - 1] == QLatin1Char(' ') || text[end - 1] == QLatin1Char('\t')))
        --end;
    text.truncate(end);
    if (text.startsWith(QStringLiteral("@@")))
        text.remove(0, 1);
    return text;
}

enum class LineKind { Other, Header, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name;         // the section of a header, the key of an entry
    QByteArrayView value; // the raw value of an entry
};

ParsedLine parseLine(QByteArrayView line) {
    if (line.endsWith('\r'))
        line.chop(1);
    const QByteArrayView text = trimmedBlanks(line, isBlank);
    if (text.isEmpty() || text[0] == ';' || text[0] == '#')
        return {};
    if (text[0] == '[') {
        const qsizetype close = text.indexOf(']');
        if (close < 0)
            return {}; // no header: the lines below stay in the section above
        return {
            LineKind::Header, unescapedName(trimmedBlanks(text.sliced(1, close - 1), isBlank)), {}};
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return {};
    return {LineKind::Entry, unescapedName(trimmedBlanks(text.first(equals), isBlank)),
            text.sliced(equals + 1)};
}

// Where an entry is, or where it would go.
struct Place {
    qsizetype entry = -1;      // the line that holds the key
    qsizetype sectionEnd = -1; // the last header or entry line of the section
};

Place findEntry(const QList<QByteArray>& lines, const QString& section, const QString& key) {
    Place place;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parseLine(lines[i]);
        if (parsed.kind == LineKind::Header) {
            inSection = parsed.name == section;
            if (inSection)
                place.sectionEnd = i;
        } else if (parsed.kind == LineKind::Entry && inSection) {
            place.sectionEnd = i;
            if (parsed.name == key)
                place.entry = i;
        }
    }
    return place;
}

// How a settings file is stored on the disk. Editors on Windows write UTF-8
// with a byte order mark, or UTF-16; the file keeps its form when it is saved.
enum class FileForm { Utf8, Utf8WithMark, Utf16LE, Utf16BE, Utf16LEWithMark, Utf16BEWithMark };

constexpr char Utf8Mark[] = "\xEF\xBB\xBF";

struct DecodedDocument {
    QByteArray text; // UTF-8, without a byte order mark
    FileForm form = FileForm::Utf8;
};

bool isUtf16(FileForm form) {
    return form != FileForm::Utf8 && form != FileForm::Utf8WithMark;
}

bool isLittleEndian(FileForm form) {
    return form == FileForm::Utf16LE || form == FileForm::Utf16LEWithMark;
}

bool hasMark(FileForm form) {
    return form == FileForm::Utf8WithMark || form == FileForm::Utf16LEWithMark ||
           form == FileForm::Utf16BEWithMark;
}

// The form of a file, told by its byte order mark or, for UTF-16 without one,
// by the zero bytes of its first character.
FileForm formOf(const QByteArray& file) {
    if (file.startsWith(Utf8Mark))
        return FileForm::Utf8WithMark;
    if (file.startsWith("\xFF\xFE"))
        return FileForm::Utf16LEWithMark;
    if (file.startsWith("\xFE\xFF"))
        return FileForm::Utf16BEWithMark;
    if (file.size() >= 2 && file[0] != 0 && file[1] == 0)
        return FileForm::Utf16LE;
    if (file.size() >= 2 && file[0] == 0 && file[1] != 0)
        return FileForm::Utf16BE;
    return FileForm::Utf8;
}

// The text of a settings file as UTF-8. A file that holds NUL characters is
// no settings file: it fails with "Invalid file format" rather than be read as
// empty and have a second copy of its sections added.
DecodedDocument decoded(const QByteArray& file) {
    DecodedDocument document;
    document.form = formOf(file);
    if (!isUtf16(document.form)) {
        document.text = hasMark(document.form) ? file.sliced(3) : file;
    } else {
        QStringDecoder decoder(isLittleEndian(document.form) ? QStringDecoder::Utf16LE
                                                             : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(hasMark(document.form) ? file.sliced(2) : file);
        if (decoder.hasError())
            throw Failure::invalidFileFormat();
        document.text = text.toUtf8();
    }
    if (document.text.contains('\0'))
        throw Failure::invalidFileFormat();
    return document;
}

QByteArray encoded(const QByteArray& text, FileForm form) {
    if (!isUtf16(form))
        return hasMark(form) ? Utf8Mark + text : text;
    const bool little = isLittleEndian(form);
    QStringEncoder encoder(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
    QByteArray file = hasMark(form) ? QByteArray(little ? "\xFF\xFE" : "\xFE\xFF") : QByteArray();
    file += encoder.encode(QString::fromUtf8(text));
    return file;
}

QByteArray withValue(const QByteArray& document, const QString& section, const QString& key,
                     const QString& text) {
    QList<QByteArray> lines = document.split('\n');
    const bool crlf = document.contains("\r\n");
    const QByteArray lineEnd = crlf ? "\r" : "";
    const QByteArray entry = escapedName(key) + '=' + escapedText(text);
    const Place place = findEntry(lines, section, key);
    if (place.entry >= 0) {
        lines[place.entry] = entry + (lines[place.entry].endsWith('\r') ? "\r" : "");
        return lines.join('\n');
    }
    if (place.sectionEnd >= 0) {
        lines.insert(place.sectionEnd + 1, entry + lineEnd);
        return lines.join('\n');
    }
    QByteArray result = document;
    const QByteArray newline = crlf ? "\r\n" : "\n";
    if (!result.isEmpty() && !result.endsWith('\n'))
        result += newline;
    if (!result.isEmpty() && !result.endsWith(QByteArray(newline + newline)))
        result += newline;
    result += '[' + escapedName(section) + ']' + newline + entry + newline;
    return result;
}

} // namespace

std::optional<QString> iniValue(const QByteArray& document, const QString& section,
                                const QString& key) {
    const QList<QByteArray> lines = decoded(document).text.split('\n');
    const Place place = findEntry(lines, section, key);
    if (place.entry < 0)
        return std::nullopt;
    return unescapedText(parseLine(lines[place.entry]).value);
}

QByteArray withIniValue(const QByteArray& file, const QString& section, const QString& key,
                        const QString& text) {
    const DecodedDocument decodedFile = decoded(file);
    return encoded(withValue(decodedFile.text, section, key, text), decodedFile.form);
}
