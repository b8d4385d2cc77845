#pragma once
// The sound server's capture sources seen as a sound card's input lines: first
// "the system default" (no source name: whatever the server's default source
// is), then one line per source (monitors of outputs included), or one per
// port when a source has several. A port and the volume are the source's own
// state on the server; nothing is kept here but the list read at the last
// refresh. Which line is recorded is the recorder's choice, never the server's
// default source.

#include <QString>
#include <vector>

class PulseConnection;

struct PulseLine {
    QString source;  // server name of the source; empty: the system default
    QString port;    // empty when the source has no choice of ports
    QString name;    // "<source description>" or "<source description>: <port description>"
};

class PulseInputLines {
public:
    explicit PulseInputLines(PulseConnection& connection) : connection_(connection) {}

    // Each call takes the connection's lock itself.
    QString serverName();
    QString defaultSource();
    // Reads the sources anew; returns the number of lines.
    int refresh();
    // Lines are numbered from 1; nullptr for any other number.
    const PulseLine* line(int number) const;

    // Whether the line's port is the source's active one (true without ports).
    bool isActivePort(const PulseLine& line);
    // Makes the line's port the source's active one; nothing without ports.
    void selectPort(const PulseLine& line);
    // The loudest channel's volume: 0..65536, and beyond for boosted sources.
    int volume(const PulseLine& line);
    // Scales the channels so the loudest one has `volume`, keeping the balance.
    void setVolume(const PulseLine& line, int volume);

private:
    struct SourceState;
    SourceState readSource(const PulseLine& line);
    QByteArray sourceOf(const PulseLine& line);

    PulseConnection& connection_;
    std::vector<PulseLine> lines_;
};
