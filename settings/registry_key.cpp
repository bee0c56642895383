#include "settings/registry_key.h"

#include <cstring>

void BuildRegistryKeyPath(char* buffer) {
  static const char SOURCE_KEY[] = "SOFTWARE\\Korvanta\\Twain\\";
  static_assert(sizeof SOURCE_KEY == REGISTRY_KEY_PATH_SIZE, "source key length");
  memcpy(buffer, SOURCE_KEY, sizeof SOURCE_KEY);
}
