#include "shell/SkinEngine.h"

#include "shell/Failure.h"

#include <QFile>
#include <QStringDecoder>
#include <QWidget>

namespace {

bool isFontProperty(const QString& property) {
    return property.compare(QLatin1String("font"), Qt::CaseInsensitive) == 0 ||
           property.startsWith(QLatin1String("font-"), Qt::CaseInsensitive);
}

} // namespace

void SkinEngine::loadSkin(const QString& path, const QString& section) {
    if (!section.isEmpty())
        throw Failure(QStringLiteral("Invalid procedure call or argument"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure::pathFileAccessError();
    // Read in pieces, so that a small skin needs no buffer of the largest size;
    // more than the largest size tells a file that is too large.
    QByteArray bytes;
    while (bytes.size() <= MaxFileSize) {
        const QByteArray piece = file.read(64 * 1024);
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError)
        throw Failure::pathFileAccessError();
    if (bytes.size() > MaxFileSize || bytes.contains('\0'))
        throw Failure::invalidFileFormat();

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw Failure::invalidFileFormat();

    auto rules = parseSkinSheet(text);
    if (!rules)
        throw Failure::invalidFileFormat();
    rules_ = std::move(*rules);
    loaded_ = true;
}

QString SkinEngine::styleSheet() const {
    if (skinFonts_)
        return skinSheetText(rules_);
    std::vector<SkinRule> rules;
    for (const SkinRule& rule : rules_) {
        SkinRule kept{rule.selectors, {}};
        for (const SkinDeclaration& declaration : rule.declarations)
            if (!isFontProperty(declaration.property))
                kept.declarations.push_back(declaration);
        if (!kept.declarations.empty())
            rules.push_back(std::move(kept));
    }
    return skinSheetText(rules);
}

void SkinEngine::applyTo(QWidget& window) const {
    if (!(options_ & SkinEnabled) || !loaded_)
        return;
    window.setAttribute(Qt::WA_StyledBackground, skinWindowBackground_);
    window.setStyleSheet(styleSheet());
}
