// Measures instrument name lookups: the everyday one in the shipped file, and
// the worst a hostile PATCH.INI can make the program do (read a huge file to
// its end). Prints time and the growth of the peak resident memory.
//
//   build/bench/bench_profile_reader [folder for the scratch files]

#include "shell/ProfileReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const QString Section = QStringLiteral("General MIDI");
const QByteArray gm = "[General MIDI]\n";

void report(const char* what, double milliseconds, double megabytes, long peakBefore) {
    std::printf("%-48s %10.3f ms", what, milliseconds);
    if (megabytes > 0)
        std::printf("  %8.0f MB/s", megabytes / (milliseconds / 1000.0));
    std::printf("  peak memory +%ld KiB\n", peakKiB() - peakBefore);
}

bool makeSparse(const QString& path, const QByteArray& head, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size())
        return false;
    return file.resize(size);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch(
        argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/benchXXXXXX") : QString());
    if (!scratch.isValid()) {
        std::fprintf(stderr, "no scratch folder\n");
        return 1;
    }

    {
        const QString shipped = QStringLiteral(CLAVITONE_SOURCE_DIR "/resources/PATCH.INI");
        const long before = peakKiB();
        constexpr int Rounds = 2000;
        QElapsedTimer timer;
        timer.start();
        qsizetype total = 0;
        for (int round = 0; round < Rounds; ++round)
            total += readProfileString(shipped, Section, QStringLiteral(" 127"), QString(),
                                       MaxProfileValueLength)
                         .size();
        const double each = static_cast<double>(timer.nsecsElapsed()) / 1e6 / Rounds;
        report("shipped file, key 127 (last), per lookup", each, 0, before);
        if (total != Rounds * 7)
            std::fprintf(stderr, "unexpected result\n");
    }

    const qint64 MiB = qint64(1) << 20;
    const QString path = scratch.filePath(QStringLiteral("big.ini"));
    auto measure = [&](const char* what, qint64 bytes) {
        const long before = peakKiB();
        QElapsedTimer timer;
        timer.start();
        const QString found = readProfileString(path, Section, QStringLiteral(" 0"),
                                                QStringLiteral("none"), MaxProfileValueLength);
        report(what, static_cast<double>(timer.nsecsElapsed()) / 1e6,
               static_cast<double>(bytes) / MiB, before);
        if (found != QStringLiteral("none"))
            std::fprintf(stderr, "unexpected match\n");
        QFile::remove(path);
    };

    // One line of 1 GiB: sparse, so it costs no disk.
    if (!makeSparse(path, QByteArray(), 1024 * MiB)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    measure("1 GiB of zeros in one line, no match", 1024 * MiB);

    // 256 MiB of 100-byte lines inside the section, none the key.
    {
        QByteArray block;
        while (block.size() < MiB)
            block += "x=" + QByteArray(97, 'x') + '\n';
        QFile file(path);
        bool made = file.open(QIODevice::WriteOnly) && file.write(gm) == gm.size();
        qint64 written = 0;
        for (; made && written < 256 * MiB; written += block.size())
            made = file.write(block) == block.size();
        if (!made) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        file.close();
        measure("256 MiB of 100-byte entries in the section, no match", written);
    }
    return 0;
}
