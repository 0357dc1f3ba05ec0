#include "appearance/SkinEngine.h"

#include "shell/Failure.h"
#include "shell/RegularFile.h"

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

    const FileContent read = readRegularFile(path, MaxFileSize);
    if (read.outcome == FileReading::Missing || read.outcome == FileReading::Refused)
        throw Failure::pathFileAccessError();
    const QByteArray& bytes = read.bytes;
    if (read.outcome == FileReading::TooLarge || bytes.contains('\0'))
        throw Failure::invalidFileFormat();

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw Failure::invalidFileFormat();

    auto rules = parseSkinSheet(text);
    if (!rules)
        throw Failure::invalidFileFormat();
    // The pictures a skin names are read by the window as it draws; each one
    // is looked at now, so that drawing never waits on a pipe or reads a device.
    // A picture that is not there is drawn as nothing; one that is there but
    // cannot be read as a file fails the skin.
    for (const QString& target : skinUrls(*rules)) {
        if (target.startsWith(QLatin1Char(':')) || target.startsWith(QLatin1String("qrc:")))
            continue; // built into the program
        if (checkRegularFile(target) == FileOpening::Refused)
            throw Failure::pathFileAccessError();
    }
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
