// Persisting the settings in the current user's registry: the strict reading
// when the source opens, the defaults, and saving on the user's request.
#pragma once

#include <cstddef>

// HKEY_CURRENT_USER\SOFTWARE\Korvanta\Twain\Meteor2
constexpr size_t SETTINGS_KEY_PATH_SIZE = 64;
void BuildSettingsKeyPath(char* buffer);

// The number of values the settings key holds when it is in order.
constexpr unsigned SETTINGS_VALUE_COUNT = 17;

enum RegistryWriteMode { REGISTRY_DEFAULTS = 0, REGISTRY_CURRENT = 1 };

// Reads every value of the settings key into the settings record; a key that
// is missing, holds another number of values or any value it does not know is
// replaced by the defaults. 0 when settings were read, 1 when the key cannot
// be used at all.
int ReadRegistrySettings();

// Writes the seventeen settings values under keyPath: the defaults (also into
// the record) or the current settings read back from the digitizer.
int WriteRegistrySettings(const char* keyPath, int mode);

// Dump = 0 into the source key and the default settings into the settings key.
int CreateRegistryDefaults();

// The current settings into the registry.
int SaveCurrentSettings();
