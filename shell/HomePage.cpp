#include "shell/HomePage.h"

#include "shell/Clock.h"
#include "shell/RandomSource.h"
#include "shell/UrlOpener.h"

#include <cmath>

void OpenHomePageSometimes(const Clock& clock, RandomSource& random, UrlOpener& opener,
                           const QUrl& homePage) {
    random.seed(clock.secondsSinceMidnight());
    const int n = static_cast<int>(std::floor(random.draw() * 100.0)) + 1;
    if (n == 7)
        opener.open(homePage);
}

QUrl homePageUrl(const QString& programFolder) {
    return QUrl::fromLocalFile(programFolder + QStringLiteral("/homepage/index.html"));
}
