#pragma once

#include <QString>

#include <cstdint>

// Converts stored text to a 16-bit whole number the way the user's locale
// writes numbers: blanks around it are ignored, a sign and a decimal fraction
// are accepted and the fraction is rounded half to even. Fails with "Type
// mismatch" for text that is no number and "Overflow" outside -32768..32767.
std::int16_t ToInteger(const QString& text);

// Plain decimal text: digits, a leading minus sign when negative.
QString ToText(long long value);
