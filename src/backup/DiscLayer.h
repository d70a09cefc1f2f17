#pragma once
// The forwarding layer between the disc writer and the disc backend. The writer calls only
// these functions; each forwards to the loaded backend and, while none is loaded, gives a
// fixed answer (initialise, burn and done 1; open, disc information, drives and track null).
// The built-in backend writes with libburn and libisofs; tests load one of their own.
// Loading and unloading happen on the UI thread; the calls may come from any thread.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backup/DiscBackend.h"

// Loads the backend: the one given by SetDiscBackendForTesting, else the built-in one.
// Always succeeds.
bool LoadDiscLibrary();
void UnloadDiscLibrary();
bool DiscLibraryLoaded();
// The backend the next LoadDiscLibrary loads; nullptr restores the built-in one.
void SetDiscBackendForTesting(std::shared_ptr<DiscBackend> backend);

int DiscInit();
int DiscDone();
std::optional<std::vector<std::string>> DiscGetAvailableDrivesEx(uint32_t mediaType);
std::unique_ptr<DiscDevice> DiscOpenDevice(const std::string& drive);
void DiscCloseDevice(std::unique_ptr<DiscDevice>& device);
std::optional<DiscInfo> DiscGetCDInfo(DiscDevice* device, uint32_t flags);
DiscImport DiscImportDataTrack(DiscDevice* device, int track);
std::unique_ptr<DiscIsoTrack> DiscCreateIsoTrackEx(DiscIsoItemList items, const std::string& volume,
                                                   uint32_t flags);
int DiscBurn(DiscDevice* device, const DiscWriteDesc& desc, uint32_t flags,
             const DiscProgress& progress);
std::string DiscGetErrorLog();
void DiscClearErrors();
