#include "core/TraceFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/Paths.h"

namespace {

// One writer at a time rewrites the file; the path and limit change under the same lock.
std::mutex g_TraceFileMutex;
std::string g_szTraceFilePath;
int g_nTraceMaxLines = 0;

std::string JoinFolder(std::string_view folder, std::string_view name) {
    return (std::filesystem::path(folder) / name).string();
}

// The text from the start of the `count`-th line from the end (lines end with LF).
std::string_view LastLines(std::string_view text, size_t count) {
    size_t begin = text.size();
    size_t seen = 0;
    while (begin > 0) {
        // `begin` is the start of a line; step to the start of the one before.
        size_t lf = begin >= 2 ? text.rfind('\n', begin - 2) : std::string_view::npos;
        if (++seen > count) break;
        begin = lf == std::string_view::npos ? 0 : lf + 1;
    }
    return text.substr(begin);
}

}  // namespace

void InitTraceFile(int nMaxLines, std::string_view folder) {
    std::lock_guard<std::mutex> lock(g_TraceFileMutex);
    g_nTraceMaxLines = nMaxLines;
    g_szTraceFilePath = JoinFolder(folder, "trace.log");
}

void WriteTraceFile(std::string_view line) {
    std::lock_guard<std::mutex> lock(g_TraceFileMutex);
    if (g_szTraceFilePath.empty()) return;

    std::string content;
    {
        std::ifstream in(g_szTraceFilePath, std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // A last line left without its line end (a hand edit) keeps its own line.
    if (!content.empty() && content.back() != '\n') content += "\r\n";
    content += line;
    content += "\r\n";
    // Keep whole lines, newest last; a file already past the limit is cut back to it.
    size_t limit = static_cast<size_t>(std::max(g_nTraceMaxLines, 1));
    ormidon::ReplaceFileAtomically(g_szTraceFilePath, LastLines(content, limit));
}

void FreeTraceFile() {
    std::lock_guard<std::mutex> lock(g_TraceFileMutex);
    g_szTraceFilePath.clear();
    g_nTraceMaxLines = 0;
}

CDebugTrace::~CDebugTrace() { Close(); }

bool CDebugTrace::Open(std::string_view folder) {
    m_strPath = JoinFolder(folder, "DebugTrace.log");
    if (m_hFile < 0) {
        m_hFile = ::open(m_strPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_hFile < 0) return false;
    }
    return true;
}

bool CDebugTrace::Close() {
    if (m_hFile >= 0) {
        ::close(m_hFile);
        m_hFile = -1;
    }
    return true;
}
