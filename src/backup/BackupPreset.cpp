#include "backup/BackupPreset.h"

BackupPreset g_BackupPreset;
