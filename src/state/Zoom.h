// Zoom and drag arithmetic of the view: the limits of the zoom steps, the centred origin, the
// status text of a zoom command, the fixed ratios, and the clamp that keeps a dragged picture
// covering the view.
#pragma once

#include <windows.h>

#include "framework/AfxStr.h"

// A typed ratio, in percent, is taken between 5 and 1600 inclusive.
bool ZoomPercentInRange(int nPercent);
// Zoom out halves only from 10 % up, so it never goes under 5 %.
bool ZoomOutAllowed(double dZoom);
// Zoom in doubles only up to 800 %, so it never goes over 1600 %.
bool ZoomInAllowed(double dZoom);

// Origin along one axis that centres a picture of nImage pixels scaled by dZoom in nClient
// pixels, truncated toward zero; negative when the scaled picture is the larger.
int CentredOrigin(int nClient, int nImage, double dZoom);
// The ratio in percent rounded down to a whole number. A ratio that is a whole percentage in
// decimal but falls just short of it in binary (0.3 x 100 = 29.999...) counts as that percentage.
double ZoomPercentFloor(double dZoom);
// Pane 4 after a zoom command: ZoomPercentFloor with "%.2f" and "%" (no blanks).
CString ZoomCommandText(double dZoom);
// The ratio of a fixed-ratio command (ID_ZOOM_25 .. ID_ZOOM_50), or 0 for another id.
double PresetZoom(UINT nID);

// One drag step along a pannable axis: the origin moved by nDelta and kept within
// [2 x nCentre, 0], so the near edge never comes inside the view.
int DragOrigin(int nDraw, int nDelta, int nCentre);
