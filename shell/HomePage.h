#pragma once

#include <QUrl>

class Clock;
class RandomSource;
class UrlOpener;

// On one start in a hundred, opens the maker's home page in the user's browser.
// A failure to open it leaves this procedure to its caller.
void OpenHomePageSometimes(const Clock& clock, RandomSource& random, UrlOpener& opener,
                           const QUrl& homePage);

// The home page that ships beside the program.
QUrl homePageUrl(const QString& programFolder);
