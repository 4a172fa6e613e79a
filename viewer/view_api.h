#pragma once
// The entry points of the viewer library (libView), looked up by name at
// run time. The program passes its main window (a QWidget*, or null) as the
// window handle; texts are length-prefixed Windows-1251: a length byte, then
// up to 255 characters.

#include <QtGlobal>
#include <cstdint>

// Exported from the library (dllexport on Windows, default visibility elsewhere).
#define VIEW_EXPORT Q_DECL_EXPORT

extern "C" {

// Runs the value editor for one grid row modally: the row's caption, its
// register number, its editor value and the earth-fault transformer's
// secondary current (for the amperes shown beside earth-fault currents).
// `reserved` is 0. Returns the value SetValue then gives.
VIEW_EXPORT std::int32_t ShowView(void* window, const unsigned char* caption, std::uint16_t reg,
                                  std::int32_t value, std::uint16_t earthCtSecondary,
                                  std::int32_t reserved);

// Optional, looked up by name: a note for the next ShowView dialog only,
// as length-prefixed Windows-1251 text (where the value comes from, what a
// file held instead of a value), and whether the value handed to it stands
// for nothing (non-zero: the field starts empty and OK waits for a value).
VIEW_EXPORT void SetEditNote(const unsigned char* note, std::int32_t startEmpty);

// The value confirmed in the last ShowView dialog; the value passed in when
// the dialog was cancelled or nothing was changed.
VIEW_EXPORT std::int32_t SetValue();

// Writes the display name of item `index` of list `kind` into the 256-byte
// buffer as length-prefixed text (an empty text for an unknown item).
// Kinds: 0 indicators (0-21), 1 output relays (0-17), 2 discrete inputs
// (0-14), 3 active stages (0-14), 4 blockings (0-5), 5 accelerations (0-2),
// 6 characteristic types (0-19), 7 recorder digital channels (0-31).
VIEW_EXPORT void GetFuncAr(unsigned char* buffer, std::int32_t kind, std::int32_t index);
}
