#pragma once
// An initialisation file with the rules of the classic private-profile files:
//   [Section]
//   key=value
// Section and key names compare without regard to ASCII letter case; names and values
// are trimmed of blanks and tabs; a value wrapped in a pair of matching quotes loses
// them. Lines starting with ";" are comments. The first occurrence of a section or key
// wins. Writing a key replaces its line in place, appends a new key after the last line
// of its section, and appends a new section at the end of the file. Every line keeps
// its own line end; new lines take the line end of the file's first line (CR LF for a
// new file). Save() replaces the file atomically.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ormidon {

class IniFile {
  public:
    IniFile() = default;
    // Reads `file`; a missing or unreadable file reads as an empty one.
    explicit IniFile(std::filesystem::path file);

    // Reads the file again, dropping unsaved changes. False when it cannot be read.
    bool Load();
    // Writes the text back (temporary file, then rename). False on failure.
    bool Save() const;

    const std::filesystem::path& Path() const { return m_path; }

    bool HasKey(std::string_view section, std::string_view key) const;
    // The key's value, or `fallback` when the section or key is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
    // The key's value read as an integer: optional blanks, an optional sign, then the
    // leading decimal digits (wrapping at 32 bits); 0 when no digit leads. `fallback`
    // when the section or key is missing.
    int GetInt(std::string_view section, std::string_view key, int fallback) const;

    // Stores `value` for the key. Refused (false, nothing changed) when a name or the
    // value would break the line structure: a CR, LF or NUL anywhere, an "=" in the key,
    // a key starting with ";" or "[", a "]" in the section, or an empty name.
    bool SetString(std::string_view section, std::string_view key, std::string_view value);
    bool SetInt(std::string_view section, std::string_view key, long long value);

    // The whole text as it would be saved.
    std::string Text() const;
    // Replaces the whole text (as if read from the file).
    void SetText(std::string_view text);

  private:
    struct Line {
        std::string text;    // without its line end
        std::string ending;  // "\r\n", "\n"; "\r" or "" for an unterminated last line
    };
    // Index of the section's header line, or npos.
    size_t FindSection(std::string_view section) const;
    // Index of the key's line inside the section that starts at `header`, or npos.
    size_t FindKey(size_t header, std::string_view key) const;
    std::string NewLineEnding() const;
    // Gives a line that lines are added behind a whole line end.
    static void EndLine(Line& line, const std::string& ending);

    std::filesystem::path m_path;
    std::string m_bom;  // a UTF-8 byte-order mark found at the start, written back
    std::vector<Line> m_lines;
};

// Reads an integer the way the private-profile reader does (see IniFile::GetInt).
int ParseProfileInt(std::string_view text);

}  // namespace ormidon
