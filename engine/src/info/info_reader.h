// What Info_* answers about one file: facts, stream selection, thumbnail and
// the closed-caption scan.
#pragma once

#include "core/picture_block.h"
#include "media/input_file.h"

#include <string>

namespace orv {

class InfoReader
{
public:
    int open(const std::string& path);
    void close();
    bool isOpen() const { return m_input.isOpen(); }

    uint64_t duration() const { return m_input.durationUs(); }
    const char* formatName() const;
    uint32_t videoWidth() const;
    uint32_t videoHeight() const;
    uint32_t videoBitRate() const;
    uint32_t videoFrameRate() const;
    uint32_t audioSampleRate() const;
    uint32_t audioChannels() const;
    uint32_t audioBitRate() const;
    bool canSeek() const;

    unsigned char* videoImage(uint64_t timeUs, bool accurate, int w, int h);

    int programCount() const { return int(m_input.programs().size()); }
    bool setProgram(int index);
    const char* programName() const;
    int videoCount() const { return int(program().video.size()); }
    int audioCount() const { return int(program().audio.size()); }
    int subtitleCount() const { return int(program().subtitle.size()); }
    bool setAudio(int index);
    bool setSubtitle(int index);
    const char* audioTitle() const { return streamTag(m_audio, "title"); }
    const char* audioLanguage() const { return streamTag(m_audio, "language"); }
    const char* subtitleTitle() const { return streamTag(m_subtitle, "title"); }
    const char* subtitleLanguage() const { return streamTag(m_subtitle, "language"); }
    bool enableClosedCaption(bool on);

private:
    const Program& program() const { return m_input.program(m_program); }
    const AVStream* stream(int index) const;
    const char* streamTag(int stream, const char* key) const;
    bool decodeFrameAt(uint64_t timeUs, bool accurate, AVFrame* out);
    bool scanCaptions();

    InputFile m_input;
    int m_program = -1;
    int m_video = -1; // AVStream indexes
    int m_audio = -1;
    int m_subtitle = -1;
    int m_captions = -1; // -1 not scanned, 0 none, 1 found
    PictureBlock m_image;
    std::string m_formatName;
};

} // namespace orv
