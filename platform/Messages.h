#pragma once
// Message numbers shared by the threads and the main window. They are fixed.

#include "Message.h"

namespace sonvelle {

// To the capture thread.
constexpr unsigned WM_REC_START = WM_USER + 500;
constexpr unsigned WM_REC_STOP = WM_USER + 501;
constexpr unsigned WM_REC_CLOSE = WM_USER + 503;
constexpr unsigned WM_REC_SET_WRITER = WM_USER + 504;
constexpr unsigned WM_REC_VOICE_ACTIVATION = WM_USER + 505;
constexpr unsigned MM_WIM_DATA = 0x3C0;

// To the writer thread.
constexpr unsigned WM_WRITER_CREATE_FILE = WM_USER + 700;
constexpr unsigned WM_WRITER_DATA = WM_USER + 701;
constexpr unsigned WM_WRITER_CLOSE_FILE = WM_USER + 702;
constexpr unsigned WM_WRITER_QUIT = WM_USER + 503;
constexpr unsigned WM_WRITER_HAND_OVER = WM_USER + 704;

// To the main window.
constexpr unsigned WM_VOICE_DETECTED = WM_USER + 500;
constexpr unsigned WM_RECORDING_FILE_READY = WM_USER + 501;
constexpr unsigned WM_INPUT_LEVEL = WM_USER + 503;
// The writer could not write (a full disk): the recording is cut short. Payload: the reason (QString).
constexpr unsigned WM_RECORDING_CUT_SHORT = WM_USER + 521;

}  // namespace sonvelle
