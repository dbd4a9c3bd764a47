#include "mainwnd/TrayMenuRules.h"

#include "resources/TextIds.h"
#include "resources/art/Art.h"

#include <algorithm>

namespace sonvelle {

std::vector<TrayMenuItem> TrayMenuItems(RecorderState state)
{
    const bool autoOn = IsAutoRecordingOn(state);
    const bool idle = state == RecorderState::Idle || state == RecorderState::Playing;
    const bool byHand = state == RecorderState::Recording || state == RecorderState::RecordingWhilePlaying;
    // Each item carries the picture of what it offers: lit when it can be chosen, grey when not.
    return {
        {ID_TRAY_OPEN, IDS_TRAY_OPEN, true, 0},
        {},
        {ID_TRAY_OPTIONS, IDS_TRAY_OPTIONS, true, kBitmapMenuOptions},
        {ID_TRAY_AUTO_RECORDING, autoOn ? IDS_TRAY_AUTO_OFF : IDS_TRAY_AUTO_ON, !byHand,
         autoOn ? kBitmapMenuAutoOn : kBitmapMenuAutoGrey},
        {},
        {ID_TRAY_NEW_RECORDING, IDS_TRAY_NEW_RECORDING, idle, idle ? kBitmapMenuNewOk : kBitmapMenuNewGrey},
        {ID_TRAY_STOP, IDS_TRAY_STOP, byHand, byHand ? kBitmapMenuStopOk : kBitmapMenuStopGrey},
        {},
        {ID_TRAY_EXIT, IDS_TRAY_EXIT, true, 0},
    };
}

int TrayIconFor(RecorderState state, bool soundCardPresent)
{
    if (!soundCardPresent)
        return kIconTrayIdle;
    switch (state) {
    case RecorderState::Idle:
    case RecorderState::Playing: return kIconTrayIdle;
    case RecorderState::Recording:
    case RecorderState::RecordingWhilePlaying: return kIconTrayRecording;
    case RecorderState::Listening:
    case RecorderState::ListeningWhilePlaying: return kIconTrayListening;
    case RecorderState::AutoRecording:
    case RecorderState::AutoRecordingWhilePlaying: return kIconTrayAutoRecording;
    }
    return kIconTrayIdle;
}

QPoint BalloonTopLeft(const QRect& iconGeometry, const QRect& screen, const QSize& balloon)
{
    QPoint topLeft;
    if (iconGeometry.isValid() && !iconGeometry.isEmpty()) {
        // The balloon's tail sits 243 pixels from its left edge.
        topLeft = QPoint(iconGeometry.center().x() - 243, iconGeometry.top() - 70);
        // A panel at the top of the screen: below the icon instead.
        if (topLeft.y() < screen.top())
            topLeft.setY(iconGeometry.bottom() + 1);
    } else {
        topLeft = QPoint(screen.right() + 1 - 330, screen.bottom() + 1 - 70);
    }
    topLeft.setX(std::clamp(topLeft.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - balloon.width())));
    topLeft.setY(std::clamp(topLeft.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - balloon.height())));
    return topLeft;
}

}  // namespace sonvelle
