#pragma once

#include <QString>

// A plain message box with an OK button, no icon and the application title.
class NoticeBox {
public:
    virtual ~NoticeBox() = default;
    virtual void showNotice(const QString& text) = 0;
};
