#pragma once
// The RS-485 devices that the connected device relays commands to: the device itself or
// a recorder on its bus (master role) and the pan-tilt-zoom cameras behind it (slave
// role), at most 30, with the one that the remote-control panel currently steers.
//
// One list lives in the application record. The main window fills it from the device
// information, the re-login thread refills it, the PTZ commands edit its slaves and the
// frame-header parsers report the R.E.T.R. state into it, each from its own thread; a
// lock keeps every operation whole.
#include <cstdint>
#include <mutex>
#include <string_view>

constexpr int kControlDItemCount = 30;

// Role flags of an entry.
enum ControlDRole : uint16_t { kRoleUsed = 0x1, kRoleMaster = 0x2, kRoleSlave = 0x4 };

struct ControlDItem_Struct {
    uint32_t dwBaudRate;  // as given to AddDevice; stored only
    uint8_t byAddress;    // RS-485 address
    uint8_t byKind;       // row of DeviceKindTable
    uint16_t wFlags;      // ControlDRole bits
};

// The main window's R.E.T.R. key (control 8331), which shows the state that the device
// reports. The window installs itself once it is built and removes itself before it
// goes; tests install a recorder. Called from the frame-fetch thread with the list's
// lock held: an implementation hands the change to its own thread and does not call
// back into the list.
class RetrKeyView {
  public:
    virtual ~RetrKeyView() = default;
    // State 1 (on) or 0 (off), and the key's new tooltip.
    virtual void ShowRetrState(int state, std::string_view tooltip) = 0;
};

class C_ControlD {
  public:
    C_ControlD() = default;
    C_ControlD(const C_ControlD&) = delete;
    C_ControlD& operator=(const C_ControlD&) = delete;

    // Empties the list: no entries, all indexes and the R.E.T.R. state 0.
    void Clear();
    // Appends an entry with `roleFlags` and the used bit. -1 when the list is full or
    // the kind is none of the device-kind table (nothing changes); else 0.
    int AddDevice(uint32_t baudRate, uint8_t address, uint8_t kind, uint16_t roleFlags);
    // Keeps only the masters, in their order. The current entry stays current when it
    // was a master; otherwise the first master becomes current.
    void RemoveSlaves();
    // Makes the n-th used entry (from 0, in table order) with any role of `roleMask`
    // current. -1 when there is none (nothing changes); else 0.
    int MakeCurrent(uint16_t roleMask, uint8_t n);

    uint8_t GetCurrentKind() const;
    uint8_t GetCurrentAddress() const;
    uint8_t GetCurrentMasterAddress() const;
    uint8_t GetCurrentSlaveAddress() const;
    uint8_t GetCurrentMasterKind() const;
    // Kind of the n-th master (slave); 0 when there are not n+1 of them.
    uint8_t GetMasterKind(uint8_t n) const;
    uint8_t GetSlaveKind(uint8_t n) const;
    // 1 when the current entry has the master role, else 0.
    uint8_t IsCurrentMaster() const;
    // How many used entries of the current entry's role lie before it: 0 for the first
    // master (slave), 1 for the second.
    uint8_t GetCurrentIndexInKind() const;
    // 1 when a used master is one of the recorders with R.E.T.R. (kinds 19, 22, 23).
    uint8_t HasRetrDvr() const;
    // The device's R.E.T.R. state as a frame header reports it. First the settings'
    // "Alarm Trigger Record" follows the state held so far (so it lags one header);
    // then, when the state changed, the R.E.T.R. key shows it. Returns 1.
    int SetRetrState(uint8_t state);
    uint8_t GetRetrState() const;
    // The key that SetRetrState updates; null for none. Once this returns, the view
    // removed is no longer called.
    void SetRetrKeyView(RetrKeyView* view);
    // Gives the n-th slave a kind and an address; no such slave, or a kind outside the
    // table: nothing changes. 1.
    int SetSlave(uint8_t n, uint8_t kind, uint8_t address);

    // Entries in use, at positions 0 to count-1.
    uint8_t GetCount() const;
    ControlDItem_Struct GetItem(uint8_t index) const;

  private:
    // Position of the n-th used entry with any role of `mask`; -1 when there is none.
    int FindNth(uint16_t mask, uint8_t n) const;
    int CountBefore(uint16_t mask, int position) const;

    mutable std::mutex m_lock;
    uint8_t m_byCurrentIndex = 0;
    uint8_t m_byCount = 0;
    uint8_t m_byCurrentMasterIndex = 0;
    uint8_t m_byCurrentSlaveIndex = 0;
    uint8_t m_byRetrState = 0;
    RetrKeyView* m_retrKeyView = nullptr;
    ControlDItem_Struct m_Items[kControlDItemCount] = {};
};
