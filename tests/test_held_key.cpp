// A held key: tens of thousands of presses, each arriving while the one before
// it waits. Every note must sound, last press first, without the stack growing.

#include "app/Program.h"
#include "keyboard/MainWindow.h"
#include "shell/Pause.h"
#include "support/RecorderOutput.h"
#include "support/TestServices.h"

#include <QtTest>

#include <cstdint>

namespace {

// The machine stack's position in the calling function. The frame address, not
// a local's address: AddressSanitizer may keep locals on a stack of its own.
[[gnu::always_inline]] inline std::uintptr_t stackPosition() {
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

// Records how deep below `base` the stack was whenever a note was sent.
class StackProbe : public RecorderOutput {
public:
    std::uintptr_t base = 0;
    std::uintptr_t deepest = 0;

    void sendShortMessage(MidiHandle handle, std::uint32_t message) override {
        const auto address = stackPosition();
        if (base > address && base - address > deepest)
            deepest = base - address;
        RecorderOutput::sendShortMessage(handle, message);
    }
};

} // namespace

class HeldKeyTest : public QObject {
    Q_OBJECT

private slots:
    void aBurstOfPressesAllSoundLastFirstOnAFlatStack() {
        constexpr int Presses = 50000; // about half an hour of auto-repeat
        TestServices t;
        Services services = t.make(/*realClock=*/false);
        auto probe = std::make_unique<StackProbe>();
        StackProbe* midi = probe.get();
        services.midiOut = std::move(probe);
        Program program(std::move(services));
        program.start();
        midi->clear();

        midi->base = stackPosition();
        for (int i = 0; i < Presses; ++i) {
            program.window().keyPressed(static_cast<char16_t>(u'a' + i % 26));
            t.manualClock->advance(0.035); // 28 presses a second
            program.pause().serviceDue();
        }
        QVERIFY(midi->messages().empty()); // each press keeps the ones before it waiting
        QCOMPARE(program.pause().pending(), std::size_t{Presses});

        t.manualClock->advance(0.5);
        program.pause().serviceDue();
        const auto& sent = midi->messages();
        QCOMPARE(sent.size(), std::size_t{Presses});
        for (int i = 0; i < Presses; ++i) {
            const int press = Presses - 1 - i;
            const std::uint32_t note = static_cast<std::uint32_t>(24 + press % 26);
            QCOMPARE(sent[static_cast<std::size_t>(i)].message, 0x9Du | note << 8 | 100u << 16);
        }
        QVERIFY2(midi->deepest < 64 * 1024,
                 qPrintable(QStringLiteral("stack depth %1 bytes").arg(midi->deepest)));
        QVERIFY(t.reporter->reports.empty());
    }

    void aBurstOnTheRealClockEndsWithEveryNoteSent() {
        constexpr int Presses = 20000;
        TestServices t;
        Program program(t.make(/*realClock=*/true));
        program.start();
        t.midi->clear();
        for (int i = 0; i < Presses; ++i)
            program.window().keyPressed(u'q');
        QTRY_COMPARE_WITH_TIMEOUT(t.midi->messages().size(), std::size_t{Presses}, 10000);
        QCOMPARE(program.pause().pending(), std::size_t{0});
    }
};

QTEST_MAIN(HeldKeyTest)
#include "test_held_key.moc"
