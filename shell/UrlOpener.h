#pragma once

#include <QUrl>

// Opens an address in the user's browser. Fails (throws) when it cannot.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl& url) = 0;
};
