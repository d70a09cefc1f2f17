#pragma once
// The program's two trace files in the program folder.
//
// trace.log: one fixed line per login or live-stream event, CR LF ended, holding only
// the newest lines up to the limit that InitTraceFile sets (oldest dropped first).
// Written by several threads; each write rewrites the whole file under one lock, so
// lines are only written on rare events.
//
// DebugTrace.log: created empty at every start and held open until the end; nothing
// is written to it.
#include <string>
#include <string_view>

// Sets the line limit and the file: `folder` followed by "trace.log". Neither opens
// nor creates the file. Call before the first WriteTraceFile.
void InitTraceFile(int nMaxLines, std::string_view folder);
// Appends `line` and CR LF, then drops the oldest lines beyond the limit. The file is
// replaced atomically; a line that cannot be written is lost. Does nothing before
// InitTraceFile or after FreeTraceFile.
void WriteTraceFile(std::string_view line);
// Forgets the path; later writes do nothing.
void FreeTraceFile();

class CDebugTrace {
  public:
    CDebugTrace() = default;
    ~CDebugTrace();
    CDebugTrace(const CDebugTrace&) = delete;
    CDebugTrace& operator=(const CDebugTrace&) = delete;

    // Creates `folder` followed by "DebugTrace.log" empty (replacing any old one) and
    // keeps it open, unless a file is open already. False when it cannot be created.
    bool Open(std::string_view folder);
    // Closes the file if open. Always true.
    bool Close();

    const std::string& Path() const { return m_strPath; }
    bool IsOpen() const { return m_hFile >= 0; }

  private:
    int m_hFile = -1;
    std::string m_strPath;
};
