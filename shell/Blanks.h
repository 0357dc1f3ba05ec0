#pragma once

// `text` (a QStringView or a QByteArrayView) without the characters at either
// end for which `isBlank` holds; each reader says what a blank is to it.
template <class View, class IsBlank> View trimmedBlanks(View text, IsBlank isBlank) {
    decltype(text.size()) begin = 0;
    decltype(text.size()) end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}
