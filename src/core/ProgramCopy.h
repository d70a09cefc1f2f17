#pragma once
// Copies the installed program (ProgramFileTable) from the program folder into another
// folder, one row at a time, and points the copy's Setting.ini at its new place. Each
// file is written under a temporary name and renamed, so no half-copied file ever bears
// a final name. Names are looked up in the source without regard to letter case and
// copied under the names they really have.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class ProgramCopy {
  public:
    struct Failure {
        std::string name;    // relative to the folders
        std::string reason;  // the system's reason
    };

    ProgramCopy(std::filesystem::path source, std::filesystem::path destination);

    // Why the copy must not start: the destination is the program folder itself (also
    // when reached through a link). Nothing otherwise.
    std::optional<std::string> Refusal() const;

    // Makes the destination's skin folders; copies row `row` of the table.
    void Prepare();
    void CopyRow(size_t row);

    // Writes "Record Path", "Snapshot Path" (the destination with a trailing "/") and
    // "Trigger Wav Path" (the destination's alarm.wav) into the copy's Setting.ini,
    // creating it when the copy has none. False (noted as a failure) when it cannot.
    bool WriteSettings();

    size_t Copied() const { return m_copied; }
    // Rows whose file is not in the program folder; no failure.
    size_t Absent() const { return m_absent; }
    const std::vector<Failure>& Failures() const { return m_failures; }

    // The destination as the settings name it: ending in "/".
    std::string DestinationFolder() const;

  private:
    void Fail(std::string name, std::string reason);

    std::filesystem::path m_source;
    std::filesystem::path m_destination;
    size_t m_copied = 0;
    size_t m_absent = 0;
    std::vector<Failure> m_failures;
};
