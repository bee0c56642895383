// Where the source keeps its settings under HKEY_CURRENT_USER.
#pragma once

#include <cstddef>

// "SOFTWARE\Korvanta\Twain\" with its trailing backslash (24 characters).
constexpr size_t REGISTRY_KEY_PATH_SIZE = 25;

// Puts the source key text into a caller's buffer of at least
// REGISTRY_KEY_PATH_SIZE characters.
void BuildRegistryKeyPath(char* buffer);
