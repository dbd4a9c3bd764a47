#pragma once
// A sound player as the recording control sees it.

#include "audio/SoundPlayer.h"
#include "mainwnd/RecordingControlPorts.h"

namespace sonvelle {

class CSoundPlayerPort : public IRecordingPlayer {
public:
    explicit CSoundPlayerPort(CSoundPlayer& player) : m_player(player) {}

    bool Play(const QString& path, bool alternative) override { return m_player.Play(path, nullptr, alternative); }
    void Stop() override { m_player.Stop(); }
    bool Pause() override { return m_player.Pause(); }
    bool Seek(std::uint32_t positionMs) override { return m_player.Seek(positionMs); }
    void GetStatus(std::uint32_t& lengthMs, std::uint32_t& positionMs) override
    {
        m_player.GetStatus(lengthMs, positionMs);
    }
    std::uint32_t FastForward(std::uint32_t positionMs, bool apply) override
    {
        return m_player.FastForward(positionMs, apply);
    }
    std::uint32_t Rewind(std::uint32_t positionMs, bool apply) override { return m_player.Rewind(positionMs, apply); }
    bool MeasureSeconds(const QString& path, bool alternative, std::int64_t& seconds) override
    {
        std::chrono::seconds duration{0};
        const bool ok = m_player.CalcolaDurata(path, alternative, duration);
        seconds = duration.count();
        return ok;
    }

private:
    CSoundPlayer& m_player;
};

}  // namespace sonvelle
