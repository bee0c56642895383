// The record handed to every triplet handler, and the dispatch tables.
#pragma once

#include "platform/twain.h"

struct Triplet {
  pTW_IDENTITY origin;
  TW_UINT32 DG;
  TW_UINT16 DAT;
  TW_UINT16 MSG;
  TW_MEMREF data;
};

typedef TW_UINT16 (*TripletHandler)(const Triplet& triplet);

struct DispatchEntry {
  TW_UINT16 DAT;
  TripletHandler handler;
};

// Both tables end with a row whose handler is null.
extern const DispatchEntry ControlDispatchTable[];
extern const DispatchEntry ImageDispatchTable[];

TW_UINT16 DispatchTriplet(const Triplet& triplet, const DispatchEntry* table);
