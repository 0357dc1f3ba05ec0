#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// One "property: value" pair of a skin rule.
struct SkinDeclaration {
    QString property;
    QString value;
};

// One "selectors { declarations }" rule of a skin.
struct SkinRule {
    QString selectors;
    std::vector<SkinDeclaration> declarations;
};

// Reads the rules of a Qt style sheet. Comments are dropped; quoted strings are
// kept as written. Answers nothing when the text is not made of well-formed
// rules: an unterminated comment or string, unbalanced braces, brackets or
// parentheses, a rule without selector, a nested block, a declaration without
// a property name, a colon or a value, or text left over after the last rule.
std::optional<std::vector<SkinRule>> parseSkinSheet(QStringView text);

// The targets of every "url(...)" the rules' values name, in order, without
// the quotes around them.
QStringList skinUrls(const std::vector<SkinRule>& rules);

// Writes rules back as style sheet text, one rule to a line.
QString skinSheetText(const std::vector<SkinRule>& rules);
