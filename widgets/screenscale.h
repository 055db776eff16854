#pragma once

class QRect;

// The widget kit's screen scale: 1 on a screen narrower than 1920 pixels, otherwise the
// screen width divided by 1920, rounded down (3840 gives 2, 2560 gives 1).
int screenScaleForGeometry(const QRect &geometry);

// The screen scale of the primary screen; 1 when there is no screen.
int primaryScreenScale();
