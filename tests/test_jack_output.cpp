// A system MIDI port for real: a JACK server of the test's own (dummy audio
// back end), a recording JACK MIDI input, and the program's RtMidi output
// connected to it.

#include "midi/MidiOutDevice.h"
#include "midi/ShortMessage.h"
#include "midi/SystemMidiPorts.h"
#include "midi/backends/rtmidi/RtMidiOutput.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#ifdef CLAVITONE_HAVE_JACK
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#endif

#include <memory>

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(Bytes)

class JackOutputTest : public QObject {
    Q_OBJECT

private slots:
    void shortMessagesKeepTheirLength_data() {
        QTest::addColumn<quint32>("message");
        QTest::addColumn<Bytes>("bytes");
        QTest::newRow("note on") << quint32(0x0064189D) << Bytes{0x9D, 0x18, 0x64};
        QTest::newRow("pan") << quint32(0x00000ABD) << Bytes{0xBD, 0x0A, 0x00};
        QTest::newRow("program change has one data byte")
            << quint32(0x000000CD) << Bytes{0xCD, 0x00};
        QTest::newRow("program 127") << quint32(0x00007FC0) << Bytes{0xC0, 0x7F};
        QTest::newRow("channel pressure") << quint32(0x000040D2) << Bytes{0xD2, 0x40};
        QTest::newRow("a data byte above 127 drops the message") << quint32(0x00C8189D) << Bytes{};
    }

    void shortMessagesKeepTheirLength() {
        QFETCH(quint32, message);
        QFETCH(Bytes, bytes);
        const std::optional<ShortMessage> decoded = decodeShortMessage(message);
        const Bytes out =
            decoded ? Bytes(decoded->bytes.begin(), decoded->bytes.begin() + decoded->length)
                    : Bytes{};
        QCOMPARE(out, bytes);
    }

    void notesArriveAtAJackMidiInput();
};

#ifndef CLAVITONE_HAVE_JACK

void JackOutputTest::notesArriveAtAJackMidiInput() {
    QSKIP("built without JACK and RtMidi");
}

#else

namespace {

// One recorded event: its length and up to three bytes.
struct Event {
    unsigned char length;
    unsigned char bytes[3];
};

struct Recorder {
    jack_port_t* port = nullptr;
    std::unique_ptr<jack_ringbuffer_t, void (*)(jack_ringbuffer_t*)> events{
        jack_ringbuffer_create(64 * sizeof(Event)), jack_ringbuffer_free};
};

int record(jack_nframes_t frames, void* argument) {
    auto* recorder = static_cast<Recorder*>(argument);
    void* buffer = jack_port_get_buffer(recorder->port, frames);
    const jack_nframes_t count = jack_midi_get_event_count(buffer);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0)
            continue;
        Event copy{static_cast<unsigned char>(event.size > 3 ? 3 : event.size), {}};
        for (unsigned char b = 0; b < copy.length; ++b)
            copy.bytes[b] = event.buffer[b];
        if (jack_ringbuffer_write_space(recorder->events.get()) >= sizeof copy)
            jack_ringbuffer_write(recorder->events.get(), reinterpret_cast<const char*>(&copy),
                                  sizeof copy);
    }
    return 0;
}

using Client = std::unique_ptr<jack_client_t, int (*)(jack_client_t*)>;

Client openClient(const char* name) {
    jack_status_t status{};
    return Client(jack_client_open(name, JackNoStartServer, &status), jack_client_close);
}

} // namespace

void JackOutputTest::notesArriveAtAJackMidiInput() {
    const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
    if (jackd.isEmpty())
        QSKIP("jackd is not installed (package jackd2)");

    // Waiting for the server: not finding it yet is no news.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    // A server of our own, found by name; no client may start another one.
    const QByteArray serverName =
        "clavitone-test-" + QByteArray::number(QCoreApplication::applicationPid());
    qputenv("JACK_DEFAULT_SERVER", serverName);
    qputenv("JACK_NO_START_SERVER", "1");
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    // Generous client time-out and period: under a sanitizer, with other tests
    // on both cores, a short cycle gets our clients thrown out as too slow.
    server.start(jackd,
                 {QStringLiteral("-n"), QString::fromLatin1(serverName),
                  QStringLiteral("--no-realtime"), QStringLiteral("-t"), QStringLiteral("10000"),
                  QStringLiteral("-d"), QStringLiteral("dummy"), QStringLiteral("-r"),
                  QStringLiteral("48000"), QStringLiteral("-p"), QStringLiteral("2048")});
    if (!server.waitForStarted(10000))
        QSKIP("jackd could not be started");
    auto stopServer = qScopeGuard([&server] {
        server.terminate();
        if (!server.waitForFinished(10000))
            server.kill();
    });

    Client client(nullptr, jack_client_close);
    QTRY_VERIFY_WITH_TIMEOUT((client = openClient("recorder")) != nullptr ||
                                 server.state() == QProcess::NotRunning,
                             15000);
    if (!client)
        QSKIP(qPrintable(QStringLiteral("jackd did not come up: ") +
                         QString::fromLocal8Bit(server.readAll())));

    Recorder recorder;
    recorder.port =
        jack_port_register(client.get(), "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    QVERIFY(recorder.port);
    QCOMPARE(jack_set_process_callback(client.get(), record, &recorder), 0);
    QCOMPARE(jack_activate(client.get()), 0);
    const QString inputName = QString::fromUtf8(jack_port_name(recorder.port));

    // The program lists the port, marked as a JACK one, and connects its own
    // "Clavitone:out" to it.
    std::unique_ptr<MidiPortCatalogue> ports = createSystemMidiPorts();
    QVERIFY(ports);
    const QString entry = inputName + QStringLiteral(" (JACK)");
    QVERIFY2(ports->portNames().contains(entry), qPrintable(ports->portNames().join(u',')));
    std::unique_ptr<MidiOutDevice> output = ports->makePort(entry);
    QVERIFY(output);
    const MidiHandle handle = output->open();
    QVERIFY(handle != 0);
    QTRY_VERIFY_WITH_TIMEOUT(jack_port_connected_to(recorder.port, "Clavitone:out"), 5000);

    const std::uint32_t sent[] = {0x000005CD, 0x00400ABD, 0x0064189D, 0x00321E9D, 0x0000189D};
    for (std::uint32_t message : sent)
        output->sendShortMessage(handle, message);
    output->sendShortMessage(handle + 1, 0x0064199D); // not our handle: dropped

    std::vector<Bytes> received;
    auto drain = [&] {
        Event event;
        while (jack_ringbuffer_read_space(recorder.events.get()) >= sizeof event) {
            jack_ringbuffer_read(recorder.events.get(), reinterpret_cast<char*>(&event),
                                 sizeof event);
            received.emplace_back(event.bytes, event.bytes + event.length);
        }
        return received.size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(drain(), std::size_t{5}, 10000);
    const std::vector<Bytes> expected{{0xCD, 0x05},
                                      {0xBD, 0x0A, 0x40},
                                      {0x9D, 0x18, 0x64},
                                      {0x9D, 0x1E, 0x32},
                                      {0x9D, 0x18, 0x00}};
    QCOMPARE(received, expected);

    // Closing lets go of the port.
    output->close(handle);
    QTRY_VERIFY_WITH_TIMEOUT(!jack_port_connected_to(recorder.port, "Clavitone:out"), 5000);
    jack_deactivate(client.get());
}

#endif

QTEST_MAIN(JackOutputTest)
#include "test_jack_output.moc"
