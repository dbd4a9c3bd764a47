#pragma once
// Every picture the program carries, drawn by code at first use and cached:
// the skinned buttons' U/D/F/X groups, the balloon, its close button, the list
// images, the auto-recording image, the tray and menu pictures, the drag
// cursor and the program icon. Names and numbers are the resource ids the
// windows ask for.

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <vector>

namespace sonvelle {

// Bitmap ids.
constexpr int kBitmapAutoRecordingOn = 230;  // REG_AUTO while auto-recording is on, all four states
constexpr int kBitmapCloseDown = 266;        // balloon close button, pressed and focused
constexpr int kBitmapCloseUp = 267;          // balloon close button, normal and disabled
constexpr int kBitmapListImage0 = 297;       // list images, indexes 0..3 in this order
constexpr int kBitmapListImage1 = 298;
constexpr int kBitmapListRecording = 296;    // index 2: a recording
constexpr int kBitmapListProtected = 332;    // index 3: a protected recording
// Menu mark pictures of the tray menu.
constexpr int kBitmapMenuNewOk = 261, kBitmapMenuNewGrey = 255;
constexpr int kBitmapMenuAutoOn = 256, kBitmapMenuAutoGrey = 262;
constexpr int kBitmapMenuStopOk = 263, kBitmapMenuStopGrey = 257;
constexpr int kBitmapMenuOptions = 259;
// Cursor and icons.
constexpr int kCursorDrag = 278;
constexpr int kIconProgram = 128;
constexpr int kIconTrayIdle = 271;
constexpr int kIconTrayRecording = 242;
constexpr int kIconTrayListening = 241;
constexpr int kIconTrayAutoRecording = 324;
constexpr int kIconTrayMarker = 270;

// The balloon bitmap's name and colours.
inline const char* const kBalloonBitmap = "FUMETTO";

// A named bitmap ("REGISTRAU", "FUMETTO"; case-insensitive) or a numbered one;
// a null image for a name the program does not carry.
QImage LoadBitmapImage(const QString& name);
QImage LoadBitmapImage(int id);
// The same as pixmaps (needs a GUI application).
QPixmap LoadBitmapResource(const QString& name);
QPixmap LoadBitmapResource(int id);

// Icons 128, 241, 242, 270, 271, 324 at a square size; null for another id.
QImage LoadIconImage(int id, int size = 32);
QIcon LoadIconResource(int id);
// Cursor 278 (the drag cursor); the arrow for another id.
QCursor LoadCursorResource(int id);

// Everything carried, for the contact sheet and the tests.
QStringList ButtonBitmapCaptions();   // REGISTRA, PLAYREC, ...: each has U, D, F and X
QStringList NamedBitmaps();           // every named bitmap, the four states spelled out
std::vector<int> NumberedBitmaps();
std::vector<int> IconIds();

}  // namespace sonvelle
