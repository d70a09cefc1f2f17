#pragma once
// One ".vse" record file being written: its header image, the offsets of the frame blocks
// written so far, and the write operations of the format. Every write is checked: after a
// failed write the file holds only whole frames, and Finish still closes it with a valid
// trailer where the disk allows.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record/PreRecordFrame.h"
#include "record/RecordFormat.h"

class RecordFile {
  public:
    RecordFile();
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Creates `folder` + `baseName` + ".vse" for writing, to get `header` (record type, user
    // name, device address) once WriteHeader runs. A file of that name is never replaced:
    // "_1", "_2", ... go before the extension until a free name is found. False when no
    // file could be created.
    bool Create(std::string_view folder, std::string_view baseName,
                const RecordHeader_Struct& header);
    bool IsOpen() const { return fd_ >= 0; }
    // Full path of the open file (or of the last one).
    const std::string& Path() const { return path_; }

    // Builds the header image with the local time of now as its creation time, and writes
    // header, extension block and 0xFFFF word.
    bool WriteHeader();
    bool HeaderWritten() const { return headerWritten_; }

    // Writes one frame block and its JPEG bytes with one write call. The frame gets the next
    // serial of this file (its descriptor's serial is ignored); the first frame's time stamp
    // goes into the header.
    bool WriteFrame(PreRecordFrame_Struct frame, std::span<const uint8_t> jpeg);

    // Frames written to this file.
    uint32_t FrameCount() const { return static_cast<uint32_t>(blockOffsets_.size()); }

    // Finishes the file: a header not yet written is written first, the header gets the
    // frame count and the last time stamp, the frame index and the count are appended, and
    // the file is closed. False when a write failed (the file is closed all the same).
    // Nothing happens when no file is open.
    bool Finish();

  private:
    bool UpdateHeader(uint32_t firstTimeStamp);
    bool SetHeaderInfo(uint32_t frameCount, uint32_t lastTimeStamp);
    bool RewriteHeader();
    void Close();

    int fd_ = -1;
    std::string path_;
    RecordHeader_Struct m_Header;
    bool headerWritten_ = false;
    uint32_t m_dwFileOffset = 0;  // file offset after the last whole frame
    uint32_t lastTimeStamp_ = 0;
    std::vector<uint32_t> blockOffsets_;
};
