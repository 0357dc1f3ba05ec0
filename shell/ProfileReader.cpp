#include "shell/ProfileReader.h"

#include "shell/Blanks.h"
#include "shell/RegularFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <cstring>
#include <memory>

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

// Blanks are the ASCII white-space characters only: a no-break space is text.
struct AsciiBlank {
    bool operator()(QChar c) const { return isBlank(c.unicode()); }
    bool operator()(char c) const { return isBlank(static_cast<unsigned char>(c)); }
};

struct Utf8Check {
    qsizetype validLength; // bytes before the first fault
    bool cutShort;         // the fault is a sequence the text ends in the middle of
};

// Well-formed UTF-8 as Unicode defines it: no overlong forms, no surrogates,
// nothing above U+10FFFF.
Utf8Check checkUtf8(QByteArrayView text) {
    const qsizetype size = text.size();
    qsizetype at = 0;
    while (at < size) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return {at, false};
        }
        for (int k = 1; k < length; ++k) {
            if (at + k >= size)
                return {at, true};
            const auto next = static_cast<unsigned char>(text[at + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return {at, false};
        }
        at += length;
    }
    return {size, false};
}

// Bytes 0x80 to 0x9F of Windows-1252; the five unassigned ones keep their
// value, as Windows maps them.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        *out++ = QChar(code >= 0x80 && code <= 0x9F ? Windows1252High[code - 0x80]
                                                    : static_cast<char16_t>(code));
    }
    return text;
}

// One line on its own: UTF-8 when it is valid UTF-8, else Windows-1252. The
// head of an over-long line may end inside a character; that part is dropped.
QString decodeLine(QByteArrayView bytes, bool headOnly) {
    const Utf8Check check = checkUtf8(bytes);
    if (check.validLength == bytes.size())
        return QString::fromUtf8(bytes);
    if (headOnly && check.cutShort)
        return QString::fromUtf8(bytes.first(check.validLength));
    return fromWindows1252(bytes);
}

// Reads a device line by line through buffers of fixed size. Of a line longer
// than the cap only the head is kept; of the rest, only what the lookup needs
// is remembered.
class LineReader {
public:
    LineReader(QIODevice& in, qsizetype lineCap) : in_(in), cap_(lineCap) {
        head_.reserve(qMin(lineCap, ChunkBytes));
        // A small file needs no large buffer; one byte more lets the first
        // read take it all.
        const qint64 available = in.bytesAvailable();
        chunk_.resize(available > 0 && available < ChunkBytes ? available + 1 : ChunkBytes);
    }

    // Moves to the next line. False at the end of the text or on a read error.
    bool next() {
        head_.clear();
        headOnly_ = false;
        tailHasBracket_ = false;
        tailLastNonBlank_ = 0;
        bool any = false;
        for (;;) {
            if (at_ == end_ && !refill())
                break;
            any = true;
            const char* begin = chunk_.constData() + at_;
            const auto* newline = static_cast<const char*>(
                std::memchr(begin, '\n', static_cast<std::size_t>(end_ - at_)));
            const qsizetype length = newline ? newline - begin : end_ - at_;
            take(QByteArrayView(begin, length));
            at_ += length;
            if (newline) {
                ++at_;
                break;
            }
        }
        if (!any)
            return false;
        line_ = QByteArrayView(head_);
        // A byte order mark opens the file, or a file pasted onto another.
        if (line_.startsWith("\xEF\xBB\xBF"))
            line_ = line_.sliced(3);
        return true;
    }

    // The line without its line end, or the head of an over-long line.
    QByteArrayView line() const { return line_; }
    // Whether more than blanks of the line was skipped.
    bool headOnly() const { return headOnly_; }
    // Whether the skipped rest holds a ']'.
    bool tailHasBracket() const { return tailHasBracket_; }
    // The last byte of the skipped rest that is not a blank, or 0.
    char tailLastNonBlank() const { return tailLastNonBlank_; }

private:
    static constexpr qsizetype ChunkBytes = 64 * 1024;

    bool refill() {
        const qint64 read = in_.read(chunk_.data(), chunk_.size());
        at_ = 0;
        end_ = read > 0 ? static_cast<qsizetype>(read) : 0;
        return end_ > 0;
    }

    // Keeps what fits under the cap; of the rest only the traits.
    void take(QByteArrayView piece) {
        const qsizetype room = cap_ - head_.size();
        if (piece.size() <= room) {
            head_.append(piece);
            return;
        }
        head_.append(piece.first(room));
        const QByteArrayView rest = piece.sliced(room);
        if (rest.contains(']'))
            tailHasBracket_ = true;
        // A rest of blanks changes nothing: the line counts as whole.
        const QByteArrayView kept = trimmedBlanks(rest, AsciiBlank{});
        if (!kept.isEmpty()) {
            headOnly_ = true;
            tailLastNonBlank_ = kept.back();
        }
    }

    QIODevice& in_;
    qsizetype cap_;
    QByteArray head_;
    QByteArray chunk_;
    qsizetype at_ = 0;
    qsizetype end_ = 0;
    QByteArrayView line_;
    bool headOnly_ = false;
    bool tailHasBracket_ = false;
    char tailLastNonBlank_ = 0;
};

bool isQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

// The value part of a matching entry as the caller gets it.
QString finishValue(QStringView value, const LineReader& lines, int maxLength) {
    if (!value.isEmpty() && isQuote(value.front())) {
        if (lines.headOnly()) {
            // The closing quotation mark, if any, lies in the skipped rest.
            if (QChar(QLatin1Char(lines.tailLastNonBlank())) == value.front())
                value = value.sliced(1);
        } else if (value.size() >= 2 && value.back() == value.front()) {
            value = value.sliced(1, value.size() - 2);
        }
    }
    const qsizetype zero = value.indexOf(QChar(0));
    if (zero >= 0)
        value = value.first(zero);
    if (maxLength <= 0)
        return {};
    if (value.size() > maxLength) {
        qsizetype cut = maxLength;
        if (value[cut - 1].isHighSurrogate())
            --cut;
        value = value.first(cut);
    }
    return value.toString();
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isAscii(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool isAsciiBytes(QByteArrayView bytes) {
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

// For a wanted name of ASCII only: false when `bytes` surely names something
// else. A name with other bytes is left to the full comparison.
bool sameAsciiName(QByteArrayView bytes, QStringView wanted) {
    if (bytes.size() != wanted.size())
        return !isAsciiBytes(bytes);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80)
            return true;
        if (QChar::toLower(char16_t(byte)) != QChar::toLower(wanted[i].unicode()))
            return false;
    }
    return true;
}

} // namespace

QString readProfileString(QIODevice& in, const QString& section, const QString& key,
                          const QString& defaultText, int maxLength) {
    return readProfileStringWithLineCap(in, section, key, defaultText, maxLength,
                                        MaxProfileLineBytes);
}

QString readProfileStringWithLineCap(QIODevice& in, const QString& section, const QString& key,
                                     const QString& defaultText, int maxLength, qsizetype lineCap) {
    const QStringView wantedSection = trimmedBlanks(QStringView(section), AsciiBlank{});
    const QStringView wantedKey = trimmedBlanks(QStringView(key), AsciiBlank{});
    if (wantedSection.isEmpty() || wantedKey.isEmpty() || lineCap < 1 || !in.isReadable())
        return defaultText;

    // Most lines of a long section are told apart from the key without decoding.
    const bool asciiKey = isAscii(wantedKey);
    LineReader lines(in, lineCap);
    bool inside = false;
    while (lines.next()) {
        const QByteArrayView bytes = trimmedBlanks(lines.line(), AsciiBlank{});
        if (bytes.startsWith('[')) {
            if (lines.tailHasBracket()) {
                // A header longer than a line may be: not the section wanted.
                if (inside)
                    break;
                continue;
            }
            const qsizetype close = bytes.lastIndexOf(']');
            if (close > 0) {
                // Only the first section of the name counts.
                if (inside)
                    break;
                const QString text = decodeLine(bytes, lines.headOnly());
                const qsizetype end = text.lastIndexOf(u']');
                inside = sameName(trimmedBlanks(QStringView(text).sliced(1, end - 1), AsciiBlank{}),
                                  wantedSection);
                continue;
            }
            // Without a closing bracket the line is no header and may be an entry.
        }
        if (!inside)
            continue;
        const qsizetype equalsByte = bytes.indexOf('=');
        if (equalsByte < 0)
            continue;
        if (asciiKey &&
            !sameAsciiName(trimmedBlanks(bytes.first(equalsByte), AsciiBlank{}), wantedKey))
            continue;
        const QString text = decodeLine(bytes, lines.headOnly());
        const qsizetype equals = text.indexOf(u'=');
        if (equals < 0)
            continue;
        if (!sameName(trimmedBlanks(QStringView(text).first(equals), AsciiBlank{}), wantedKey))
            continue;
        return finishValue(trimmedBlanks(QStringView(text).sliced(equals + 1), AsciiBlank{}), lines,
                           maxLength);
    }
    return defaultText;
}

QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultText, int maxLength) {
    // Only a regular file: a pipe could block the program and a device never end.
    // Read a line at a time: a file of any length is looked through in bounded
    // memory, and the lookup stops at the first match.
    const std::unique_ptr<QIODevice> in = openRegularFile(file);
    if (!in)
        return defaultText;
    return readProfileString(*in, section, key, defaultText, maxLength);
}
