#include "appearance/CursorFile.h"
#include "appearance/HandCursor.h"
#include "shell/Failure.h"
#include "support/CursorBytes.h"
#include "support/FailureOf.h"
#include "support/HostileFiles.h"

#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

void writeLE32(QByteArray& bytes, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}
void writeLE16(QByteArray& bytes, qsizetype at, quint16 value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

// Offsets in a one-picture file made by cursorFileBytes.
constexpr int EntryHotSpotX = 6 + 4;
constexpr int EntrySize = 6 + 8;
constexpr int EntryOffset = 6 + 12;
constexpr int Bitmap = 6 + 16;

// Answers the description of the failure decoding `bytes` throws, or "" without one.
QString decodingFailure(const QByteArray& bytes) {
    return failureOf([&] { decodeCursorFile(bytes); });
}

} // namespace

class TestCursorFile : public QObject {
    Q_OBJECT

private slots:
    void decodesEveryPictureKind_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("png");
        QTest::addColumn<int>("side");
        QTest::newRow("1-bit with mask") << 1 << false << 32;
        QTest::newRow("4-bit with mask") << 4 << false << 32;
        QTest::newRow("8-bit with mask") << 8 << false << 32;
        QTest::newRow("24-bit with mask") << 24 << false << 32;
        QTest::newRow("32-bit with alpha") << 32 << false << 32;
        QTest::newRow("PNG") << 0 << true << 32;
        // Rows of a width that is no multiple of 32 bits are padded.
        QTest::newRow("1-bit, padded rows") << 1 << false << 13;
        QTest::newRow("24-bit, padded rows") << 24 << false << 7;
    }
    void decodesEveryPictureKind() {
        QFETCH(int, bits);
        QFETCH(bool, png);
        QFETCH(int, side);
        const CursorSpec shape{bits, side, QPoint(3, 4), png};

        const CursorPicture cursor = decodeCursorFile(cursorFileBytes(shape));

        QCOMPARE(cursor.image.size(), QSize(side, side));
        QCOMPARE(cursor.hotSpot, QPoint(3, 4));
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (cursor.image.pixel(x, y) != expectedCursorPixel(shape, x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(cursor.image.pixel(x, y), 8, 16)
                                         .arg(expectedCursorPixel(shape, x, y), 8, 16)));
    }

    void takesThe32PixelPictureWithItsOwnHotSpot() {
        const QByteArray bytes =
            cursorFileBytes({CursorSpec{8, 16, QPoint(1, 1)}, CursorSpec{24, 32, QPoint(20, 30)}});
        const CursorPicture cursor = decodeCursorFile(bytes);
        QCOMPARE(cursor.image.size(), QSize(32, 32));
        QCOMPARE(cursor.hotSpot, QPoint(20, 30));
    }

    void withoutA32PixelPictureTakesTheFirst() {
        const QByteArray bytes =
            cursorFileBytes({CursorSpec{8, 16, QPoint(1, 2)}, CursorSpec{8, 48, QPoint(9, 9)}});
        const CursorPicture cursor = decodeCursorFile(bytes);
        QCOMPARE(cursor.image.size(), QSize(16, 16));
        QCOMPARE(cursor.hotSpot, QPoint(1, 2));
    }

    void movesAHotSpotOutsideThePictureToItsEdge() {
        const CursorPicture cursor =
            decodeCursorFile(cursorFileBytes(CursorSpec{1, 32, QPoint(300, 31)}));
        QCOMPARE(cursor.hotSpot, QPoint(31, 31));
    }

    void rejectsWhatIsNoCursor_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = cursorFileBytes(CursorSpec{8});
        auto changed = [&good](const std::function<void(QByteArray&)>& change) {
            QByteArray bytes = good;
            change(bytes);
            return bytes;
        };
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("text") << QByteArray("hello, this is no cursor\r\n");
        QTest::newRow("icon, not cursor") << changed([](QByteArray& b) { writeLE16(b, 2, 1); });
        QTest::newRow("reserved word set") << changed([](QByteArray& b) { writeLE16(b, 0, 1); });
        QTest::newRow("no pictures") << changed([](QByteArray& b) { writeLE16(b, 4, 0); });
        QTest::newRow("more entries than the file holds")
            << changed([](QByteArray& b) { writeLE16(b, 4, 60000); });
        QTest::newRow("picture beyond the end")
            << changed([](QByteArray& b) { writeLE32(b, EntryOffset, 0x7FFFFFF0); });
        QTest::newRow("picture size beyond the end")
            << changed([](QByteArray& b) { writeLE32(b, EntrySize, 0xFFFFFFFF); });
        QTest::newRow("offset plus size wraps around") << changed([](QByteArray& b) {
            writeLE32(b, EntryOffset, 0xFFFFFFF0);
            writeLE32(b, EntrySize, 0x20);
        });
        QTest::newRow("truncated mask") << good.left(good.size() - 1);
        QTest::newRow("short header") << changed([](QByteArray& b) { writeLE32(b, Bitmap, 12); });
        QTest::newRow("header larger than picture")
            << changed([](QByteArray& b) { writeLE32(b, Bitmap, 0x10000000); });
        QTest::newRow("zero width") << changed([](QByteArray& b) { writeLE32(b, Bitmap + 4, 0); });
        QTest::newRow("negative width")
            << changed([](QByteArray& b) { writeLE32(b, Bitmap + 4, 0xFFFFFFE0); });
        QTest::newRow("huge width")
            << changed([](QByteArray& b) { writeLE32(b, Bitmap + 4, 0x00100000); });
        QTest::newRow("odd height") << changed([](QByteArray& b) { writeLE32(b, Bitmap + 8, 63); });
        QTest::newRow("top-down height")
            << changed([](QByteArray& b) { writeLE32(b, Bitmap + 8, 0xFFFFFFC0); });
        QTest::newRow("two planes") << changed([](QByteArray& b) { writeLE16(b, Bitmap + 12, 2); });
        QTest::newRow("16 bits per pixel")
            << changed([](QByteArray& b) { writeLE16(b, Bitmap + 14, 16); });
        QTest::newRow("compressed") << changed([](QByteArray& b) { writeLE32(b, Bitmap + 16, 1); });
        QTest::newRow("more colours than the depth allows")
            << changed([](QByteArray& b) { writeLE32(b, Bitmap + 32, 257); });
        QTest::newRow("broken PNG") << changed(
            [](QByteArray& b) { b.replace(Bitmap, 8, QByteArray("\x89PNG\r\n\x1a\n", 8)); });
    }
    void rejectsWhatIsNoCursor() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(decodingFailure(bytes), QStringLiteral("Invalid picture"));
    }

    void paletteIndexBeyondAShortPaletteFails() {
        // Two colours in the table, but the 4-bit pixels reach index 15.
        QByteArray bytes = cursorFileBytes(CursorSpec{4});
        writeLE32(bytes, Bitmap + 32, 2);
        QCOMPARE(decodingFailure(bytes), QStringLiteral("Invalid picture"));
    }

    void everyCutOrDamagedFileFailsCleanly() {
        // Any prefix of a good file, and the file with any one byte spoilt,
        // either decodes or fails with the user's description; nothing else.
        const QByteArray good = cursorFileBytes({CursorSpec{4, 16}, CursorSpec{32, 32}});
        int decoded = 0;
        for (qsizetype length = 0; length < good.size(); ++length) {
            const QString failure = decodingFailure(good.left(length));
            QCOMPARE(failure, QStringLiteral("Invalid picture"));
        }
        for (qsizetype at = 0; at < Bitmap + 40 + 64; ++at) {
            QByteArray spoilt = good;
            spoilt[at] = static_cast<char>(spoilt[at] ^ 0xA5);
            const QString failure = decodingFailure(spoilt);
            if (failure.isEmpty())
                ++decoded;
            else
                QCOMPARE(failure, QStringLiteral("Invalid picture"));
        }
        QVERIFY(decoded > 0); // some bytes (the palette, say) do not matter
    }

    void loadsACursorWithItsHotSpot() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("HAND-M.CUR"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cursorFileBytes(CursorSpec{1, 32, QPoint(11, 2)}));
        file.close();

        const QCursor cursor = loadCursorFile(path);
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), QPoint(11, 2));
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
    }

    void loadingAMissingOrOversizedFileFails_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("create");
        QTest::addColumn<int>("hostile"); // -1: none, else a Hostile put in the file's place
        QTest::newRow("missing") << QByteArray() << false << -1;
        QByteArray huge = cursorFileBytes();
        huge.append(QByteArray(MaxCursorFileSize, '\0'));
        QTest::newRow("larger than any cursor") << huge << true << -1;
        // At once: neither waiting for a writer nor reading without end.
        QTest::newRow("a folder") << QByteArray() << false << int(Hostile::Folder);
#ifndef Q_OS_WIN // pipes and devices in the file system
        QTest::newRow("a pipe") << QByteArray() << false << int(Hostile::Pipe);
        QTest::newRow("a link to an endless device")
            << QByteArray() << false << int(Hostile::EndlessDevice);
#endif
    }
    void loadingAMissingOrOversizedFileFails() {
        QFETCH(QByteArray, content);
        QFETCH(bool, create);
        QFETCH(int, hostile);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("HAND-M.CUR"));
        if (hostile >= 0)
            QVERIFY(makeHostile(path, static_cast<Hostile>(hostile)));
        if (create) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        try {
            loadCursorFile(path);
            QFAIL("the file loaded");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(), QStringLiteral("Invalid picture"));
        }
    }
};

QTEST_MAIN(TestCursorFile)
#include "test_cursor_file.moc"
