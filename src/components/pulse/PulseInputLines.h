#pragma once
// The sound server's capture sources seen as a sound card's input lines: one
// line per source (monitors of outputs included), or one per port when a
// source has several. Selection and volume are the server's own state (the
// default source, its active port, the source volume); nothing is kept here
// but the list read at the last refresh.

#include <QString>
#include <vector>

class PulseConnection;

struct PulseLine {
    QString source;  // server name of the source
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

    bool isSelected(const PulseLine& line);
    void select(const PulseLine& line);
    // The loudest channel's volume: 0..65536, and beyond for boosted sources.
    int volume(const PulseLine& line);
    // Scales the channels so the loudest one has `volume`, keeping the balance.
    void setVolume(const PulseLine& line, int volume);

private:
    struct SourceState;
    SourceState readSource(const PulseLine& line);

    PulseConnection& connection_;
    std::vector<PulseLine> lines_;
};
