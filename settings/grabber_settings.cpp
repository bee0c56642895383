#include "settings/grabber_settings.h"

#include <cstring>

GrabberSettings grabberSettings;

char* GetDigFormat(char* buffer) {
  // The field is kept zero-terminated within its size, so the copy never
  // exceeds the caller's DIG_FORMAT_SIZE characters.
  memcpy(buffer, grabberSettings.DigFormat, DIG_FORMAT_SIZE);
  buffer[DIG_FORMAT_SIZE - 1] = '\0';
  return buffer;
}

void SetDigFormat(const char* format) {
  size_t length = strnlen(format, DIG_FORMAT_SIZE - 1);
  memcpy(grabberSettings.DigFormat, format, length);
  memset(grabberSettings.DigFormat + length, 0, DIG_FORMAT_SIZE - length);
}

uint32_t GetChannel() { return grabberSettings.Channel; }

int32_t GetDispZoom() { return grabberSettings.DispZoom; }

int32_t GetExtWindow() { return grabberSettings.ExtWindow; }

void SetExtWindow(int32_t value) { grabberSettings.ExtWindow = value; }

int32_t PreviewState(int32_t value) {
  if (value == -1) return grabberSettings.Preview;
  grabberSettings.Preview = value;
  return 0;
}

void FreeLutNodeData() {
  grabberSettings.LutNodeData.clear();
  grabberSettings.LutNodeData.shrink_to_fit();
  grabberSettings.LutValues = 0;
}

void ResetGrabberSettings() { grabberSettings = GrabberSettings{}; }
