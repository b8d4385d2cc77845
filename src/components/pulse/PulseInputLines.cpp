#include "components/pulse/PulseInputLines.h"

#include "components/pulse/PulseConnection.h"
#include "platform/Error.h"

#include <pulse/pulseaudio.h>

#include <algorithm>

struct PulseInputLines::SourceState {
    bool found = false;
    QString activePort;
    pa_cvolume volume{};
};

namespace {

struct ServerInfo {
    QString name;
    QString defaultSource;
};

void serverInfoArrived(pa_context*, const pa_server_info* info, void* result)
{
    if (!info) return;
    auto* out = static_cast<ServerInfo*>(result);
    out->name = QString::fromUtf8(info->server_name);
    out->defaultSource = QString::fromUtf8(info->default_source_name);
}

ServerInfo readServerInfo(PulseConnection& connection)
{
    PulseConnection::Lock lock(connection);
    connection.ensureConnected();
    ServerInfo info;
    connection.finish(pa_context_get_server_info(connection.context(), serverInfoArrived, &info),
                      QStringLiteral("Cannot read the sound server's information"));
    return info;
}

void sourceListed(pa_context*, const pa_source_info* info, int eol, void* result)
{
    if (eol != 0 || !info) return;
    auto* lines = static_cast<std::vector<PulseLine>*>(result);
    const QString source = QString::fromUtf8(info->name);
    const QString description = QString::fromUtf8(info->description ? info->description : info->name);
    if (info->n_ports < 2) {
        lines->push_back({source, QString(), description});
        return;
    }
    for (uint32_t i = 0; i < info->n_ports; ++i) {
        const pa_source_port_info* port = info->ports[i];
        const QString portName = QString::fromUtf8(port->name);
        const QString portDescription =
            QString::fromUtf8(port->description ? port->description : port->name);
        lines->push_back({source, portName, description + QStringLiteral(": ") + portDescription});
    }
}

void success(pa_context*, int ok, void* result) { *static_cast<int*>(result) = ok; }

QString lineLabel(const PulseLine& line) { return QStringLiteral("'%1'").arg(line.name); }

}  // namespace

QString PulseInputLines::serverName() { return readServerInfo(connection_).name; }

QString PulseInputLines::defaultSource() { return readServerInfo(connection_).defaultSource; }

int PulseInputLines::refresh()
{
    std::vector<PulseLine> lines{{QString(), QString(), QStringLiteral("the system default")}};
    {
        PulseConnection::Lock lock(connection_);
        connection_.ensureConnected();
        connection_.finish(pa_context_get_source_info_list(connection_.context(), sourceListed, &lines),
                           QStringLiteral("Cannot list the sound server's inputs"));
    }
    lines_ = std::move(lines);
    return static_cast<int>(lines_.size());
}

const PulseLine* PulseInputLines::line(int number) const
{
    if (number < 1 || number > static_cast<int>(lines_.size())) return nullptr;
    return &lines_[static_cast<size_t>(number - 1)];
}

PulseInputLines::SourceState PulseInputLines::readSource(const PulseLine& line)
{
    SourceState state;
    auto arrived = [](pa_context*, const pa_source_info* info, int eol, void* result) {
        if (eol != 0 || !info) return;
        auto* out = static_cast<SourceState*>(result);
        out->found = true;
        out->volume = info->volume;
        if (info->active_port) out->activePort = QString::fromUtf8(info->active_port->name);
    };
    const QByteArray source = sourceOf(line);
    PulseConnection::Lock lock(connection_);
    connection_.ensureConnected();
    // An input that vanished since the list was read answers with an error.
    pa_operation* op = pa_context_get_source_info_by_name(connection_.context(), source.constData(), arrived, &state);
    connection_.finish(op, QStringLiteral("Cannot read the input %1").arg(lineLabel(line)));
    if (!state.found) connection_.fail(QStringLiteral("Cannot read the input %1").arg(lineLabel(line)));
    return state;
}

QByteArray PulseInputLines::sourceOf(const PulseLine& line)
{
    return (line.source.isEmpty() ? defaultSource() : line.source).toUtf8();
}

bool PulseInputLines::isActivePort(const PulseLine& line)
{
    return line.port.isEmpty() || readSource(line).activePort == line.port;
}

void PulseInputLines::selectPort(const PulseLine& line)
{
    if (line.port.isEmpty()) return;
    const QString what = QStringLiteral("Cannot select the input %1").arg(lineLabel(line));
    PulseConnection::Lock lock(connection_);
    connection_.ensureConnected();
    int ok = 0;
    connection_.finish(pa_context_set_source_port_by_name(connection_.context(), line.source.toUtf8().constData(),
                                                          line.port.toUtf8().constData(), success, &ok),
                       what);
    if (!ok) connection_.fail(what);
}

int PulseInputLines::volume(const PulseLine& line)
{
    const SourceState state = readSource(line);
    if (state.volume.channels == 0) return 0;
    return static_cast<int>(std::min<pa_volume_t>(pa_cvolume_max(&state.volume), PA_VOLUME_MAX));
}

void PulseInputLines::setVolume(const PulseLine& line, int volume)
{
    const auto level = static_cast<pa_volume_t>(std::clamp<int64_t>(volume, 0, PA_VOLUME_MAX));
    // The loudest channel takes the level and the others keep their share,
    // so a balance set elsewhere survives (a silent source gets it on all).
    pa_cvolume channels = readSource(line).volume;
    if (!pa_cvolume_valid(&channels) || !pa_cvolume_scale(&channels, level))
        pa_cvolume_set(&channels, 1, level);
    const QString what = QStringLiteral("Cannot set the volume of the input %1").arg(lineLabel(line));
    const QByteArray source = sourceOf(line);
    PulseConnection::Lock lock(connection_);
    connection_.ensureConnected();
    int ok = 0;
    connection_.finish(pa_context_set_source_volume_by_name(connection_.context(), source.constData(), &channels,
                                                            success, &ok),
                       what);
    if (!ok) connection_.fail(what);
}
