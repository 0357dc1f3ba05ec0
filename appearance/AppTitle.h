#pragma once

#include <QString>

inline constexpr char ProductName[] = "Clavitone";
inline constexpr int MaxAppTitleLength = 40;

// Cuts `text` by whole words, from the end, until it is at most 40 characters.
QString cutAppTitle(QString text);

// Makes the product name, cut to length, the application's title: the name the
// platform lists the program under and the title of message boxes without one.
void SetAppTitle();
void SetAppTitle(const QString& productName);
