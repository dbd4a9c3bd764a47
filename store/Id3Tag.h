#pragma once
// The tag in front of a recording's audio: ID3v2.3 text frames, except that
// the size in the header counts the 10 header bytes too and "COMM" frames
// carry an empty language and description. Stored files rely on both. Tags
// of other programs, whose size leaves the header out, are told apart by
// where their frames end, so that their audio is kept exact.

#include "store/Id3Frame.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace sonvelle {

class CId3Tag {
public:
    static constexpr int kHeaderSize = 10;
    static constexpr qint64 kCopyChunk = 0x100000;
    // More frames than any recording carries; the rest of a larger tag is ignored.
    static constexpr std::size_t kMaxFrames = 4096;

    CId3Tag() = default;
    virtual ~CId3Tag();
    CId3Tag(const CId3Tag&) = delete;
    CId3Tag& operator=(const CId3Tag&) = delete;

    // Opens an existing file for reading; only Write needs write access.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_file.isOpen(); }
    const QString& Path() const { return m_path; }

    // -1: fewer than 10 bytes; 0: no "ID3", or a size no tag can have (top
    // bits set, below 10); 1: header read, `size` set (header-inclusive).
    int ReadHeader(unsigned char buffer[kHeaderSize], std::uint32_t& size, QFile* file = nullptr);
    // 1 parsed (maybe without frames), 0 not a tag or a frame size that cannot be right, -1 read error.
    int Read();
    // Puts the current frames in front of the audio. The recording is
    // replaced only by a complete new file; on failure, and for a file the
    // user may not write, it is untouched.
    bool Write();

    // Where the audio begins, after Read or Write.
    std::uint32_t TagSize() const { return m_tagSize; }

    // Frames in list order: parsed frames in reverse file order, then new ones.
    const std::vector<std::unique_ptr<CId3Frame>>& Frames() const { return m_frames; }
    CId3Frame* FindFrame(const QByteArray& identifier) const;
    bool GetFrame(const QByteArray& identifier, CId3Frame& out) const;
    void SetTextFrame(const QByteArray& identifier, const QString& text);
    void SetNumberFrame(const QByteArray& identifier, std::int32_t value);
    void SetFlagFrame(const QByteArray& identifier, bool flag);

    // The bytes of one frame as written (11 + n, or 15 + n for "COMM").
    static QByteArray SerializeFrame(const CId3Frame& frame);
    // Four synchsafe bytes of a size below 2^28.
    static QByteArray SynchsafeBytes(std::uint32_t size);

private:
    // The frame bytes after the header and the offset of the audio: 1, or
    // ReadHeader's 0 / -1 (also -1 for a size beyond the end of the file).
    int LocateTag(QFile& file, QByteArray* frames, qint64& audioStart);
    bool WriteFrame(QFile& out, const CId3Frame& frame, std::uint32_t& written);
    bool WriteSize(QFile& out, std::uint32_t size);
    bool CopyAudio(QFile& out);

    QFile m_file;
    QString m_path;
    std::uint32_t m_tagSize = 0;
    std::vector<std::unique_ptr<CId3Frame>> m_frames;
};

}  // namespace sonvelle
