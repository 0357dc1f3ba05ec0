#pragma once

#include "appearance/SkinSheet.h"

#include <QString>
#include <QtGlobal>

#include <vector>

class QWidget;

// Option flags of the skin engine.
enum SkinOption : qint32 {
    // Skinning is switched on: applyTo() puts the loaded skin on the window.
    // Without it a loaded skin is kept but not shown.
    SkinEnabled = 0x1,
};

// Draws a window in a skin. A skin file is a Qt style sheet in UTF-8 text; the
// engine checks it when loading, and when applying puts it on the window, from
// where it reaches every control in the window.
//
// The start-up drives it in this order: loadSkin, options/setOptions,
// setSkinFonts, setSkinWindowBackground, applyTo.
class SkinEngine {
public:
    // Largest skin file accepted, in bytes.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    // Reads and checks the skin at `path`. `section` names one skin of a file
    // that holds several; the engine's files hold one skin, so only an empty
    // name is accepted. Fails with "Path/File access error" when the file is no
    // ordinary file or cannot be read, or when a picture its rules name with
    // url() is there but is no ordinary, readable file (a pipe, a device, a
    // folder; a missing picture is drawn as nothing); with "Invalid file
    // format" when it is too large, is not UTF-8 text (a NUL character or an
    // invalid byte sequence) or is not made of well-formed style sheet rules;
    // and with "Invalid procedure call or argument" for a section name. A
    // failed load keeps the skin loaded before.
    void loadSkin(const QString& path, const QString& section);

    // The SkinOption flags; all clear at first.
    qint32 options() const { return options_; }
    void setOptions(qint32 options) { options_ = options; }

    // Whether the skin may change fonts. When false its font declarations are
    // left out, so the controls keep the fonts they were designed with.
    bool skinFonts() const { return skinFonts_; }
    void setSkinFonts(bool on) { skinFonts_ = on; }

    // Whether the skin draws the window's own background in full: the borders
    // and pictures its rules give the window. Without it the window is only
    // filled with the skin's background colour, as a plain window is.
    bool skinWindowBackground() const { return skinWindowBackground_; }
    void setSkinWindowBackground(bool on) { skinWindowBackground_ = on; }

    // Puts the loaded skin on `window` when skinning is switched on and a skin
    // is loaded; otherwise leaves the window as it is.
    void applyTo(QWidget& window) const;

    bool hasSkin() const { return loaded_; }
    // The style sheet applyTo() puts on a window, with the switches above.
    QString styleSheet() const;

private:
    std::vector<SkinRule> rules_;
    bool loaded_ = false;
    qint32 options_ = 0;
    bool skinFonts_ = false;
    bool skinWindowBackground_ = false;
};
