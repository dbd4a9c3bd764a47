#include "SoundCardProbe.h"

#include "Log.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <QString>

namespace sonvelle {

bool ControlloPresenzaScheda()
{
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = 32000;
    spec.channels = 1;
    // Small fragments, so that the first read returns after a few milliseconds.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = 640;
    int error = 0;
    pa_simple* stream =
        pa_simple_new(nullptr, "Sonvelle", PA_STREAM_RECORD, nullptr, "controlloAudio", &spec, nullptr, &attr, &error);
    if (!stream) {
        WriteLog(QStringLiteral("Errore ControlloPresenzaScheda: ") + QString::fromUtf8(pa_strerror(error)));
        return false;
    }
    char buffer[640];
    const bool recorded = pa_simple_read(stream, buffer, sizeof buffer, &error) == 0;
    if (!recorded)
        WriteLog(QStringLiteral("Errore ControlloPresenzaScheda (2): ") + QString::fromUtf8(pa_strerror(error)));
    pa_simple_free(stream);
    return recorded;
}

}  // namespace sonvelle
