#pragma once
// The forwarding layer between the disc writer and the disc backend. The writer calls only
// these functions; each forwards to the loaded backend and, while none is loaded, gives a
// fixed answer (initialise, burn and done 1; open, disc information, drives and track null).
// The built-in backend writes with libburn and libisofs; tests load one of their own.
// Loading and unloading happen on the UI thread; the calls may come from any thread.
//
// Drive work can outlast the window that started it: a device the backend still works on
// after an abort, a worker left inside a drive call (a scan, a check or a burn on a drive
// that does not answer), and a drive scan that a stop left running in the backend. All go
// to the keeper, which lives until the program ends and releases each once the backend
// reports the device idle, the worker returned or the backend's left work ended.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "backup/DiscBackend.h"
#include "platform/Thread.h"

// Loads the backend: the one given by SetDiscBackendForTesting, else the built-in one.
// Always succeeds.
bool LoadDiscLibrary();
void UnloadDiscLibrary();
bool DiscLibraryLoaded();
// The backend the next LoadDiscLibrary loads; nullptr restores the built-in one.
void SetDiscBackendForTesting(std::shared_ptr<DiscBackend> backend);

int DiscInit();
int DiscDone();
std::optional<std::vector<std::string>> DiscGetAvailableDrivesEx(uint32_t mediaType,
                                                                 std::stop_token stop = {});
std::unique_ptr<DiscDevice> DiscOpenDevice(const std::string& drive, std::stop_token stop = {});
// Frees the device now when it is idle, else hands it to the keeper.
void DiscCloseDevice(std::unique_ptr<DiscDevice>& device);
std::optional<DiscInfo> DiscGetCDInfo(DiscDevice* device, uint32_t flags);
DiscImport DiscImportDataTrack(DiscDevice* device, int track);
std::unique_ptr<DiscIsoTrack> DiscCreateIsoTrackEx(DiscIsoItemList items, const std::string& volume,
                                                   uint32_t flags);
int DiscBurn(DiscDevice* device, const DiscWriteDesc& desc, uint32_t flags,
             const DiscProgress& progress);
std::string DiscGetErrorLog();
void DiscClearErrors();

// Hands a worker that may still be inside a drive call to the keeper, which joins it once
// it returned. Requests its stop. Never throws: what cannot be kept now stays held.
void KeepDiscWorker(ormidon::Thread worker) noexcept;
// Hands a worker that runs to its own bound (a request to the device that must not be cut
// short when its window goes) to the keeper, which joins it once it returned. Its stop is
// requested only at program exit. Never throws.
void KeepRunningWorker(ormidon::Thread worker) noexcept;
// True when the last list of drives left the optical drives out while one was held.
bool DiscDrivesHeldBack();
// Devices, workers and left work the keeper still holds.
std::size_t KeptDiscWork();
// The drive names of the busy devices the keeper holds: no other use of them can start.
std::vector<std::string> KeptDiscDrives();
// How many times the keeper has looked at what it holds; tests wait for a look.
uint64_t DiscKeeperPolls();
// True while the keeper's thread runs; it ends once the keeper holds nothing.
bool DiscKeeperRunning();
// Program exit: waits up to `boundMs` (of the current clock) for the keeper to let go of
// everything; what still runs then (a request kept running) is asked to stop and gets a
// short while more. False when something still holds a drive: it is
// left running, and nothing it uses may be destroyed.
bool EndKeptDiscWork(uint32_t boundMs);
