#include "sound/NoOutputNotice.h"

#include <QDir>
#include <QtGlobal>
#include <cstdio>

namespace ResWave {
namespace {

// Where libpulse looks for the server when nobody named one.
QString serverPlace()
{
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return qEnvironmentVariable("PULSE_SERVER");
    if (!qEnvironmentVariableIsEmpty("PULSE_RUNTIME_PATH"))
        return qEnvironmentVariable("PULSE_RUNTIME_PATH") + QStringLiteral("/native");
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pulse/native");
    return QDir::homePath() + QStringLiteral("/.pulse");
}

QString orUnset(const char* name)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name)
                                           : QStringLiteral("(not set)");
}

} // namespace

QString NoOutputNotice::text(Reason reason)
{
    const QString tail = QStringLiteral(" The game goes on without sound.");
    switch (reason) {
    case Reason::NoServer:
        return QStringLiteral("vuruz: no sound: no sound server answered at %1 (PulseAudio, or "
                              "PipeWire with pipewire-pulse); check that one runs for this user, "
                              "or set SDL_AUDIODRIVER=alsa to play straight to the sound card.")
                   .arg(serverPlace()) +
               tail;
    case Reason::StreamNotStarted:
        return QStringLiteral("vuruz: no sound: the sound server at %1 answered but never started "
                              "the game's stream; check that its session manager (wireplumber) "
                              "runs and that it has an output.")
                   .arg(serverPlace()) +
               tail;
    case Reason::NoSdlDevice:
        return QStringLiteral("vuruz: no sound: SDL found no output with SDL_AUDIODRIVER=%1 and "
                              "AUDIODEV=%2; check the driver's name and the device, or unset "
                              "SDL_AUDIODRIVER to play through the desktop's sound server.")
                   .arg(orUnset("SDL_AUDIODRIVER"), orUnset("AUDIODEV")) +
               tail;
    }
    return {};
}

void NoOutputNotice::tell(Reason reason)
{
    if (m_told.exchange(true))
        return;
    const QByteArray line = text(reason).toLocal8Bit() + '\n';
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
}

} // namespace ResWave
